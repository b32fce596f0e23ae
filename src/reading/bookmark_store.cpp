#include "reading/bookmark_store.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

#include <optional>
#include <system_error>

namespace vesk {
namespace {

const QString kFormat = QStringLiteral("vesk bookmarks");
constexpr int kVersion = 1;
constexpr int kMaxPathNames = 19;   // the deepest contents level
constexpr int kMaxPageNo = 65535;

QString CanonicalFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(folder), error);
    if (error)
        canonical = folder;
    return QString::fromStdString(canonical.lexically_normal().string());
}

QJsonObject ToJson(const BookmarkTag& bookmark)
{
    QJsonArray path;
    for (const std::u16string& name : bookmark.vecPath)
        path.append(QString::fromStdU16String(name));
    return {{QStringLiteral("path"), path},
            {QStringLiteral("page"), bookmark.nPageNo},
            {QStringLiteral("note"), QString::fromStdU16String(bookmark.strNote)},
            {QStringLiteral("record"), bookmark.nRecordHint},
            {QStringLiteral("added"), QString::fromStdString(bookmark.strAdded)}};
}

std::optional<BookmarkTag> FromJson(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    const QJsonArray path = object.value(QStringLiteral("path")).toArray();
    const int page = object.value(QStringLiteral("page")).toInt(-1);
    if (path.isEmpty() || path.size() > kMaxPathNames || page < 0 || page > kMaxPageNo ||
        !object.value(QStringLiteral("note")).isString())
        return std::nullopt;
    BookmarkTag bookmark;
    for (const QJsonValue& name : path) {
        if (!name.isString())
            return std::nullopt;
        bookmark.vecPath.push_back(name.toString().toStdU16String());
    }
    bookmark.nPageNo = page;
    bookmark.strNote = object.value(QStringLiteral("note")).toString().toStdU16String();
    bookmark.nRecordHint = object.value(QStringLiteral("record")).toInt(0);
    bookmark.strAdded = object.value(QStringLiteral("added")).toString().toStdString();
    return bookmark;
}

// The rename that QSaveFile made lasts only once the folder is on disk too.
bool SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

void SetProblem(QString* problem, const QString& text)
{
    if (problem)
        *problem = text;
}

} // namespace

CBookmarkStore::CBookmarkStore(const std::filesystem::path& dataFolder, const QString& configFolder)
    : m_strDataFolder(CanonicalFolder(dataFolder))
{
    const QString config = configFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                               : configFolder;
    const QByteArray hash =
        QCryptographicHash::hash(m_strDataFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_strFile = config + QStringLiteral("/vesk/bookmarks/") + QString::fromLatin1(hash) + QStringLiteral(".json");
}

bool CBookmarkStore::Load(QString* problem)
{
    m_vecBookmarks.clear();
    m_bUnreadFileInPlace = false;
    QFile file(m_strFile);
    if (!file.exists())
        return true;
    QString why;
    QJsonParseError parseError{};
    QJsonDocument document;
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
    } else {
        document = QJsonDocument::fromJson(file.readAll(), &parseError);
        file.close();
        if (parseError.error != QJsonParseError::NoError)
            why = parseError.errorString();
    }
    const QJsonObject root = document.object();
    if (why.isEmpty() && (root.value(QStringLiteral("format")).toString() != kFormat ||
                          root.value(QStringLiteral("version")).toInt() != kVersion))
        why = QStringLiteral("not a bookmark file of version %1").arg(kVersion);
    std::vector<BookmarkTag> bookmarks;
    if (why.isEmpty()) {
        for (const QJsonValue& value : root.value(QStringLiteral("bookmarks")).toArray()) {
            std::optional<BookmarkTag> bookmark = FromJson(value);
            if (!bookmark) {
                why = QStringLiteral("bookmark %1 is damaged").arg(bookmarks.size() + 1);
                break;
            }
            bookmarks.push_back(std::move(*bookmark));
        }
    }
    if (why.isEmpty()) {
        m_vecBookmarks = std::move(bookmarks);
        return true;
    }
    // Kept for the user: the next save must not overwrite what could not be read.
    const QString aside =
        m_strFile + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    const bool moved = QFile::rename(m_strFile, aside);
    m_bUnreadFileInPlace = !moved;
    SetProblem(problem, QStringLiteral("%1: %2 (%3)").arg(m_strFile, why, moved ? aside : QStringLiteral("left as it is")));
    return false;
}

bool CBookmarkStore::Save(QString* problem) const
{
    const QFileInfo info(m_strFile);
    if (m_bUnreadFileInPlace) {
        SetProblem(problem, QStringLiteral("%1 could not be read and is kept as it is; move it away to save bookmarks")
                                .arg(m_strFile));
        return false;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        SetProblem(problem, QStringLiteral("cannot make %1").arg(info.absolutePath()));
        return false;
    }
    QJsonArray bookmarks;
    for (const BookmarkTag& bookmark : m_vecBookmarks)
        bookmarks.append(ToJson(bookmark));
    const QJsonObject root{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("dataFolder"), m_strDataFolder},
                           {QStringLiteral("bookmarks"), bookmarks}};
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    QSaveFile file(m_strFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        SetProblem(problem, QStringLiteral("%1: %2").arg(m_strFile, file.errorString()));
        return false;
    }
    if (!SyncFolder(info.absolutePath())) {
        SetProblem(problem, QStringLiteral("%1: the folder could not be synced").arg(info.absolutePath()));
        return false;
    }
    return true;
}

} // namespace vesk
