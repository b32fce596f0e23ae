#pragma once
// The bookmarks of one data folder, in a file of their own in the user's
// configuration folder: $XDG_CONFIG_HOME/vesk/bookmarks/<folder hash>.json.
//
//   { "format": "vesk bookmarks", "version": 1, "dataFolder": "/path",
//     "bookmarks": [ { "path": ["經", "論語", "全一卷"], "page": 3,
//                      "note": "...", "record": 5, "added": "2026-12-11T01:02:03" } ] }
//
// Saving writes a new file beside the old one and renames it over it
// (QSaveFile), then syncs the folder, so a crash while saving leaves the
// earlier bookmarks whole. A file that cannot be read as bookmarks is moved
// aside (".damaged-<time>"), never overwritten.
#include "reading/model/bookmark.h"

#include <QString>

#include <filesystem>
#include <vector>

namespace vesk {

class CBookmarkStore {
public:
    // configFolder: the user's configuration folder; empty for the XDG one.
    explicit CBookmarkStore(const std::filesystem::path& dataFolder, const QString& configFolder = {});

    QString FilePath() const { return m_strFile; }
    // Reads the file; a missing file gives no bookmarks. False with problem
    // set when the file was there but could not be used (it is then moved
    // aside and the list starts empty; a file that cannot be moved aside
    // stays, and saving is refused until a Load succeeds).
    bool Load(QString* problem = nullptr);
    // Writes every bookmark; false with problem set when any step failed
    // (the earlier file is then as it was).
    bool Save(QString* problem = nullptr) const;

    std::vector<BookmarkTag> m_vecBookmarks;

private:
    QString m_strDataFolder;
    QString m_strFile;
    bool m_bUnreadFileInPlace = false; // a file Load could neither use nor move aside
};

} // namespace vesk
