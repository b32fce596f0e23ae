#include "textstore/file_list_check.h"

#include "textstore/file_list.h"
#include "textstore/read_only_file.h"

namespace vesk {

bool CheckFileList(const std::filesystem::path& folder, std::uint32_t& pageCount, std::vector<std::string>& problems)
{
    const std::size_t before = problems.size();
    pageCount = 0;
    CFileList list;
    if (!list.Open(folder, "Index")) {
        problems.push_back("Index-fl.h / Index-fl.cnt: cannot be opened (missing, too short, "
                           "name width outside 1..260, or 2 GiB or larger)");
        return false;
    }
    ReadOnlyFile dir;
    std::int64_t dirSize = -1;
    if (dir.Open(folder / "Index-fl.h"))
        dirSize = dir.Size();
    const auto entrySize = static_cast<std::uint64_t>(list.GetNameWidth()) + 8;
    if (dirSize >= CFileList::kHeaderSize && (static_cast<std::uint64_t>(dirSize) - CFileList::kHeaderSize) % entrySize != 0)
        problems.push_back("Index-fl.h: offset " + std::to_string(dirSize) + ": partial entry at the end");
    pageCount = list.GetRecordCount();
    if (list.GetHeaderValue() < 0 || static_cast<std::uint32_t>(list.GetHeaderValue()) != pageCount)
        problems.push_back("Index-fl.h: header: page count " + std::to_string(list.GetHeaderValue()) +
                           ", but the directory has " + std::to_string(pageCount) + " entries");
    const std::int64_t contentSize = list.GetContentSize();
    // The pages lie one after another in entry order: each starts where the
    // entry before it ends, so an entry that disagrees with its neighbours
    // makes a page that starts or ends inside another.
    std::uint64_t previousEnd = 0;
    for (std::uint32_t i = 0; i < pageCount; ++i) {
        std::uint32_t end = 0, length = 0;
        const std::string where =
            "Index-fl.h: entry " + std::to_string(i) + ": offset " + std::to_string(CFileList::kHeaderSize + i * entrySize);
        if (!list.ReadEntryBounds(i, end, length)) {
            problems.push_back(where + ": cannot be read");
            continue;
        }
        if (end > static_cast<std::uint64_t>(contentSize) || length > end) {
            problems.push_back(where + ": end " + std::to_string(end) + ", length " + std::to_string(length) +
                               ": outside Index-fl.cnt (" + std::to_string(contentSize) + " bytes)");
        } else if (end - length != previousEnd) {
            problems.push_back(where + ": end " + std::to_string(end) + ", length " + std::to_string(length) +
                               ": starts at " + std::to_string(end - length) + ", but " +
                               (i == 0 ? std::string("the first page starts at 0")
                                       : "entry " + std::to_string(i - 1) + " ends at " + std::to_string(previousEnd)));
        }
        previousEnd = end;
    }
    if (problems.size() == before && previousEnd != static_cast<std::uint64_t>(contentSize))
        problems.push_back("Index-fl.cnt: " + std::to_string(contentSize) + " bytes, but the last page ends at " +
                           std::to_string(previousEnd));
    return problems.size() == before;
}

} // namespace vesk
