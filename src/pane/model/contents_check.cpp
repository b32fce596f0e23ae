#include "pane/model/contents_check.h"

#include "pane/model/contents_model.h"
#include "textstore/file_list.h"

#include <algorithm>
#include <sys/stat.h>

namespace vesk {
namespace {

constexpr std::int32_t kVolumeLevel = 3;

std::string Where(std::int32_t slot)
{
    return "kav.dir record " + std::to_string(slot) + ": offset " +
           std::to_string((slot - 1) * static_cast<std::int64_t>(kContentsRecordSize));
}

std::string Range(std::int64_t docID, std::int64_t docNo)
{
    return "docID " + std::to_string(docID) + ", docNo " + std::to_string(docNo);
}

// Each record's level against the one before it: the tree the loader builds
// from levels that jump attaches records to a branch they do not belong to.
void CheckLevels(const ContentsModel& contents, std::vector<std::string>& problems)
{
    std::int32_t previous = 0;
    for (std::int32_t slot = 1; slot < contents.m_nRecordCount; ++slot) {
        const std::int32_t level = contents.Record(static_cast<std::size_t>(slot)).level;
        if (level > kVolumeLevel)
            problems.push_back(Where(slot) + ": level " + std::to_string(level) + " is deeper than a volume (3)");
        else if (level > previous + 1)
            problems.push_back(Where(slot) + ": level " + std::to_string(level) + " follows level " +
                               std::to_string(previous) + ": its parent would be a record of another branch");
        previous = level;
    }
}

// What the volumes below a category or work add up to.
struct Span {
    std::int64_t docID = 0, docNo = 0;
    std::uint16_t curFileName = 0;
    bool any = false;
};

// The volumes cover pages 1 .. pageCount one after another, and every other
// record spans exactly the volumes that follow it up to the next record of
// its level or above.
void CheckRanges(const ContentsModel& contents, std::uint32_t pageCount, std::vector<std::string>& problems)
{
    std::int64_t nextPage = 1;
    const std::int32_t count = contents.m_nRecordCount;
    std::vector<std::pair<std::int32_t, Span>> open; // enclosing records (slot, what their volumes add up to)
    auto close = [&](std::int32_t level) {
        while (!open.empty() && contents.Record(static_cast<std::size_t>(open.back().first)).level >= level) {
            const auto [slot, span] = open.back();
            open.pop_back();
            const ContentsRecordTag& r = contents.Record(static_cast<std::size_t>(slot));
            const std::int64_t wantedId = span.any ? span.docID : nextPage;
            if (r.docID != wantedId || r.docNo != span.docNo || (span.any && r.curFileName != span.curFileName))
                problems.push_back(Where(slot) + ": " + Range(r.docID, r.docNo) + ", first page " +
                                   std::to_string(r.curFileName) + ", but its volumes span " +
                                   Range(wantedId, span.docNo) +
                                   (span.any ? ", first page " + std::to_string(span.curFileName) : ""));
        }
    };
    for (std::int32_t slot = 1; slot < count; ++slot) {
        const ContentsRecordTag& r = contents.Record(static_cast<std::size_t>(slot));
        close(r.level);
        if (r.level != kVolumeLevel) {
            open.push_back({slot, {nextPage, 0, 0, false}});
            continue;
        }
        if (r.docID < 1 || r.docNo < 0 ||
            static_cast<std::uint64_t>(r.docID) - 1 + static_cast<std::uint64_t>(r.docNo) > pageCount) {
            problems.push_back(Where(slot) + ": pages " + std::to_string(r.docID) + " + " + std::to_string(r.docNo) +
                               " outside the page store (" + std::to_string(pageCount) + " pages)");
            // Taken as if in its place, so that the records around it are judged on their own.
            for (auto& [up, span] : open) {
                if (!span.any)
                    span = {nextPage, 0, r.curFileName, true};
                span.docNo += std::max(r.docNo, 0);
            }
            nextPage += std::max(r.docNo, 0);
            continue;
        }
        if (r.docID != nextPage || r.docNo < 1)
            problems.push_back(Where(slot) + ": volume of " + Range(r.docID, r.docNo) +
                               ", but the volumes before it end at page " + std::to_string(nextPage - 1) +
                               " (the next volume starts at page " + std::to_string(nextPage) + " with docNo 1 or more)");
        for (auto& [up, span] : open) {
            if (!span.any)
                span = {r.docID, 0, r.curFileName, true};
            span.docNo += r.docNo;
        }
        // Go on from what the record says, so that one bad record is named once.
        if (r.docNo > 0 && r.docID > 0)
            nextPage = std::int64_t{r.docID} + r.docNo;
    }
    close(1);
    if (nextPage - 1 != pageCount)
        problems.push_back("kav.dir: the volumes cover pages 1 .. " + std::to_string(nextPage - 1) +
                           ", but the page store has " + std::to_string(pageCount) + " pages");
}

// The page number each stored name carries against its volume's numbering.
void CheckPageNames(const ContentsModel& contents, const CFileList& list, std::vector<std::string>& problems)
{
    const std::uint32_t entries = list.GetRecordCount();
    std::string name;
    for (std::int32_t slot = 1; slot < contents.m_nRecordCount; ++slot) {
        const ContentsRecordTag& r = contents.Record(static_cast<std::size_t>(slot));
        if (r.level != kVolumeLevel || r.docID < 1 || r.docNo < 1)
            continue;
        for (std::int64_t k = 0; k < r.docNo && r.docID - 1 + k < entries; ++k) {
            const auto entry = static_cast<std::uint32_t>(r.docID - 1 + k);
            if (!list.ReadFileName(entry, name))
                continue; // named by the page store's own check
            const std::optional<std::int32_t> number = CFileList::PageNumberFromName(name);
            const std::int64_t wanted = r.curFileName + k;
            if (!number || *number != wanted)
                problems.push_back("Index-fl.h: entry " + std::to_string(entry) + ": name \"" + name + "\" " +
                                   (number ? "carries page " + std::to_string(*number) : "carries no page number") +
                                   ", but " + Where(slot) + " makes it page " + std::to_string(wanted));
        }
    }
}

} // namespace

bool CheckContentsFile(const std::filesystem::path& folder, const CFileList* list, std::uint32_t pageCount,
                       std::vector<std::string>& problems)
{
    const std::size_t before = problems.size();
    struct stat st {};
    const std::filesystem::path path = folder / "kav.dir";
    if (::stat(path.c_str(), &st) != 0) {
        problems.push_back("kav.dir: cannot be opened");
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        problems.push_back("kav.dir: not a regular file");
        return false;
    }
    ContentsModel contents;
    if (!contents.LoadContents(folder)) {
        problems.push_back("kav.dir: cannot be opened");
        return false;
    }
    if (!contents.m_strProblem.empty())
        problems.push_back(contents.m_strProblem);
    if (contents.m_nRecordCount == 1) { // nothing to cross-check: one line says it all
        problems.push_back("kav.dir: no records");
        return false;
    }
    CheckLevels(contents, problems);
    CheckRanges(contents, pageCount, problems);
    if (list)
        CheckPageNames(contents, *list, problems);
    return problems.size() == before;
}

} // namespace vesk
