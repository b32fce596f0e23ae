#include "reading/keyword_history.h"

#include <QCryptographicHash>
#include <QSettings>

#include <system_error>

namespace vesk {
namespace {

const QString kEntries = QStringLiteral("entries");

QString CanonicalFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(folder), error);
    if (error)
        canonical = folder;
    return QString::fromStdString(canonical.lexically_normal().string());
}

} // namespace

CKeywordHistory::CKeywordHistory(const std::filesystem::path& dataFolder)
    : m_folder(CanonicalFolder(dataFolder)), m_group(GroupOf(dataFolder))
{
    Load();
}

QString CKeywordHistory::GroupOf(const std::filesystem::path& dataFolder)
{
    const QByteArray hash =
        QCryptographicHash::hash(CanonicalFolder(dataFolder).toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("KeywordHistory/") + QString::fromLatin1(hash.left(16));
}

void CKeywordHistory::Load()
{
    QSettings settings;
    settings.beginGroup(m_group);
    const int size = settings.beginReadArray(kEntries);
    for (int i = 0; i < size && m_entries.size() < kMaxEntries; ++i) {
        settings.setArrayIndex(i);
        KeywordHistoryEntry entry;
        entry.keyword = settings.value(QStringLiteral("keyword")).toString();
        entry.target = settings.value(QStringLiteral("target")).toInt();
        entry.variants = settings.value(QStringLiteral("variants"), true).toBool();
        entry.andOr = settings.value(QStringLiteral("andOr")).toInt();
        // A damaged entry is passed over; the rest stay.
        if (entry.keyword.isEmpty() || entry.target < 0 || entry.target > 2 || entry.andOr < 0 || entry.andOr > 1)
            continue;
        m_entries.append(entry);
    }
    settings.endArray();
}

bool CKeywordHistory::Save() const
{
    QSettings settings;
    settings.remove(m_group);
    settings.beginGroup(m_group);
    settings.setValue(QStringLiteral("folder"), m_folder);
    settings.beginWriteArray(kEntries, static_cast<int>(m_entries.size()));
    for (int i = 0; i < m_entries.size(); ++i) {
        settings.setArrayIndex(i);
        const KeywordHistoryEntry& entry = m_entries[i];
        settings.setValue(QStringLiteral("keyword"), entry.keyword);
        settings.setValue(QStringLiteral("target"), entry.target);
        settings.setValue(QStringLiteral("variants"), entry.variants);
        settings.setValue(QStringLiteral("andOr"), entry.andOr);
    }
    settings.endArray();
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool CKeywordHistory::Add(const KeywordHistoryEntry& entry)
{
    if (entry.keyword.isEmpty())
        return true;
    m_entries.removeIf([&](const KeywordHistoryEntry& old) { return old.keyword == entry.keyword; });
    m_entries.prepend(entry);
    while (m_entries.size() > kMaxEntries)
        m_entries.removeLast();
    return Save();
}

bool CKeywordHistory::Clear()
{
    m_entries.clear();
    return Save();
}

} // namespace vesk
