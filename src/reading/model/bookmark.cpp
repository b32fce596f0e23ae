#include "reading/model/bookmark.h"

#include "pane/model/contents_model.h"
#include "textstore/file_list.h"

#include <algorithm>

namespace vesk {
namespace {

std::vector<std::u16string> PathOfNode(const ContentsNodeTag* node)
{
    std::vector<std::u16string> path;
    for (; node && node->parent; node = node->parent)
        path.push_back(node->name);
    std::reverse(path.begin(), path.end());
    return path;
}

bool IsLoadedSlot(const ContentsModel& contents, int record)
{
    return record >= 1 && record < contents.m_nRecordCount &&
           static_cast<std::size_t>(record) < contents.m_records.size();
}

std::optional<BookmarkTarget> FindPage(const ContentsModel& contents, const CFileList& pages, int record,
                                       std::int32_t pageNo)
{
    const ContentsRecordTag& volume = contents.Record(static_cast<std::size_t>(record));
    const std::optional<std::int32_t> start = volume.FirstPageId();
    std::int32_t found = -1;
    if (!start || volume.docNo < 1 || !pages.FindRecordByNumber(*start, pageNo, found))
        return std::nullopt;
    const std::int64_t last = std::int64_t{*start} + volume.docNo - 1;
    if (found < *start || found > last)
        return std::nullopt;
    return BookmarkTarget{record, pageNo, static_cast<std::uint32_t>(found)};
}

} // namespace

std::optional<BookmarkTag> BookmarkOfVolumePage(const ContentsModel& contents, int record, int pageNo)
{
    if (!IsLoadedSlot(contents, record))
        return std::nullopt;
    const ContentsNodeTag* node = contents.NodeOfRecord(static_cast<std::size_t>(record));
    if (!node)
        return std::nullopt;
    BookmarkTag bookmark;
    bookmark.vecPath = PathOfNode(node);
    bookmark.nPageNo = pageNo;
    bookmark.nRecordHint = record;
    return bookmark;
}

std::optional<BookmarkTag> BookmarkOfPage(const ContentsModel& contents, std::uint32_t pageId)
{
    for (int record = 1; IsLoadedSlot(contents, record); ++record) {
        const ContentsNodeTag* node = contents.NodeOfRecord(static_cast<std::size_t>(record));
        if (!node || !node->children.empty() || node->docNo < 1 || !node->ContainsPage(pageId + 1))
            continue;
        const std::int64_t pageNo = std::int64_t{pageId} + node->curFileName + 1 - node->docID;
        return BookmarkOfVolumePage(contents, record, static_cast<std::int32_t>(pageNo));
    }
    return std::nullopt;
}

std::optional<BookmarkTarget> ResolveBookmark(const ContentsModel& contents, const CFileList& pages,
                                              const BookmarkTag& bookmark)
{
    const auto matches = [&](int record) {
        const ContentsNodeTag* node = contents.NodeOfRecord(static_cast<std::size_t>(record));
        // Only a volume (a record without children): page numbers start
        // anew in each volume, so a work's range does not name one page.
        return node && node->children.empty() && PathOfNode(node) == bookmark.vecPath;
    };
    int record = 0;
    if (IsLoadedSlot(contents, bookmark.nRecordHint) && matches(bookmark.nRecordHint)) {
        record = bookmark.nRecordHint;
    } else {
        for (int slot = 1; IsLoadedSlot(contents, slot) && record == 0; ++slot)
            if (matches(slot))
                record = slot;
    }
    if (record == 0)
        return std::nullopt;
    return FindPage(contents, pages, record, bookmark.nPageNo);
}

} // namespace vesk
