#pragma once
// A bookmark: a page named by its place in the contents (the names from the
// category down to the volume, and the page number within the volume), so
// that it finds its page again after the data folder is built anew, and can
// say so when the page is gone.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

class CFileList;
class ContentsModel;

struct BookmarkTag {
    std::vector<std::u16string> vecPath; // names from the category down to the volume
    std::int32_t nPageNo = 0;            // page number within the volume
    std::u16string strNote;              // the user's name for it; may be empty
    std::int32_t nRecordHint = 0;        // the volume's record slot when it was added
    std::string strAdded;                // when it was added (ISO 8601, shown only)
};

// Where a bookmark's page is now.
struct BookmarkTarget {
    int record = 0;           // the volume's record slot
    int pageNo = 0;           // its page number (as in the bookmark)
    std::uint32_t pageId = 0; // the page identifier in the store
};

// The bookmark of page pageNo of the volume in record slot record; none when
// the slot holds no loaded record.
std::optional<BookmarkTag> BookmarkOfVolumePage(const ContentsModel& contents, int record, int pageNo);

// The bookmark of page identifier pageId: the first record without children
// whose range holds it; none when no such record does.
std::optional<BookmarkTag> BookmarkOfPage(const ContentsModel& contents, std::uint32_t pageId);

// Finds the bookmark's page: the volume (a record without children) of the
// same path of names (the hinted record first, else the first in contents order), then the page of that
// number inside the volume's range of the store. None when either is gone.
std::optional<BookmarkTarget> ResolveBookmark(const ContentsModel& contents, const CFileList& pages,
                                              const BookmarkTag& bookmark);

} // namespace vesk
