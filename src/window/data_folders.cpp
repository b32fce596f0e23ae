#include "window/data_folders.h"

#include "textstore/data_folder_lookup.h"

#include <QDir>
#include <QSettings>

namespace vesk {
namespace {

const QString kLastKey = QStringLiteral("DataFolders/Last");
const QString kRecentKey = QStringLiteral("DataFolders/Recent");

bool IsDataFolderPath(const QString& folder)
{
    return !folder.isEmpty() && IsDataFolder(std::filesystem::path(folder.toStdString()));
}

} // namespace

CDataFolders::CDataFolders(const QString& current, QObject* parent) : QObject(parent), m_current(current)
{
}

QStringList CDataFolders::Recent() const
{
    QStringList recent;
    for (const QString& folder : QSettings().value(kRecentKey).toStringList())
        if (IsDataFolderPath(folder) && !recent.contains(folder))
            recent << folder;
    return recent;
}

void CDataFolders::SetCurrent(const QString& folder)
{
    const QString previous = m_current.isEmpty() ? QString() : QDir::cleanPath(QDir(m_current).absolutePath());
    m_current = QDir::cleanPath(QDir(folder).absolutePath());
    QStringList recent = QSettings().value(kRecentKey).toStringList();
    // The folder the reader started with (found by --data or the lookup)
    // joins the list when the user leaves it, so the way back is in the menu.
    if (!previous.isEmpty() && previous != m_current && !recent.contains(previous) && IsDataFolderPath(previous))
        recent.prepend(previous);
    recent.removeAll(m_current);
    recent.prepend(m_current);
    while (recent.size() > kMaxRecent)
        recent.removeLast();
    QSettings settings;
    settings.setValue(kRecentKey, recent);
    settings.setValue(kLastKey, m_current);
    emit DataFolderChanged(m_current);
}

QString CDataFolders::Remembered()
{
    const QString last = QSettings().value(kLastKey).toString();
    return IsDataFolderPath(last) ? last : QString();
}

} // namespace vesk
