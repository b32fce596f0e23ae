#include "engine/page_count_index_check.h"

#include "datafolder/folder_generation.h"
#include "engine/page_count_index.h"

namespace vesk {
namespace {

// Findings past this many per file are not listed: one is damage enough.
constexpr std::size_t kMostProblems = 20;

// Where the stream of entry differs from what its posting stream gives; an
// empty string when they agree.
std::string Compare(const std::vector<std::uint32_t>& pages, const std::vector<std::uint32_t>& counts,
                    const std::vector<std::uint32_t>& expectedPages, const std::vector<std::uint32_t>& expectedCounts)
{
    for (std::size_t r = 0; r < pages.size() && r < expectedPages.size(); ++r)
        if (pages[r] != expectedPages[r] || counts[r] != expectedCounts[r])
            return "record " + std::to_string(r) + " lists page " + std::to_string(pages[r]) + " with " +
                   std::to_string(counts[r]) + ", the posting stream page " + std::to_string(expectedPages[r]) +
                   " with " + std::to_string(expectedCounts[r]);
    if (pages.size() != expectedPages.size())
        return std::to_string(pages.size()) + " records, the posting stream " + std::to_string(expectedPages.size());
    return {};
}

} // namespace

bool CheckPageCountFile(const std::filesystem::path& folder, std::string_view base, std::vector<std::string>& problems,
                        std::vector<std::string>& notes)
{
    const std::string name = std::string(base) + std::string(kPageCountFileSuffix);
    const std::filesystem::path path = folder / name;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return true;
    const std::size_t before = problems.size();
    MappedFile map;
    if (!map.Open(path)) {
        problems.push_back(name + ": cannot be read");
        return false;
    }
    const std::span<const std::uint8_t> bytes = map.Bytes();
    std::uint64_t keys = 0, tableOffset = 0;
    if (!ReadPageCountHeader(bytes, keys, tableOffset)) {
        problems.push_back(name + ": not a page-count file of version " + std::to_string(kPageCountFileVersion) +
                           " (or its key table lies outside it)");
        return false;
    }
    const std::string id(reinterpret_cast<const char*>(bytes.data() + kPageCountIdOffset), kPageCountIdSize);
    if (!OptionalFileIsCurrent(folder, name, id)) {
        notes.push_back(name + ": not of this build (the folder's generation marker does not list it with "
                               "its id); searches ignore it");
        return true;
    }
    if (tableOffset + keys * kPageCountEntrySize != bytes.size())
        problems.push_back(name + ": bytes after the key table");
    for (std::uint64_t e = 1; e < keys; ++e) {
        if (PageCountEntryAt(bytes, tableOffset, e - 1).key >= PageCountEntryAt(bytes, tableOffset, e).key) {
            problems.push_back(name + ": key table entry " + std::to_string(e) + " out of order");
            return false;
        }
    }

    // The layer's posting files; when they cannot be read, their own check
    // names them and there is nothing to compare with.
    MappedFile directory, data;
    PostingTables tables;
    if (!directory.Open(folder / (std::string(base) + "-idx.h")) ||
        !data.Open(folder / (std::string(base) + "-idx.m")) ||
        !PostingTablesInPlace(directory.Bytes(), data.Bytes(), tables))
        return problems.size() == before;

    std::uint64_t e = 0;
    std::vector<std::uint32_t> pages, counts, expectedPages, expectedCounts;
    for (std::uint32_t key = 0; key < tables.firstBlocks.size() && problems.size() < before + kMostProblems; ++key) {
        const bool listed = e < keys && PageCountEntryAt(bytes, tableOffset, e).key == key;
        const bool hasStream = tables.firstBlocks[key] >= 0;
        if (!listed && !hasStream)
            continue;
        const std::string where = name + ": key " + std::to_string(key) + ": ";
        if (!hasStream) {
            problems.push_back(where + "listed, but the layer has no posting stream for it");
            ++e;
            continue;
        }
        expectedPages.clear();
        expectedCounts.clear();
        ScanFault fault;
        const bool sound = PageCountsFromPostings(tables, key, expectedPages, expectedCounts, fault);
        if (!listed) {
            if (sound)
                problems.push_back(where + "missing (its posting stream has " + std::to_string(expectedPages.size()) +
                                   " pages)");
            continue; // a damaged stream is left out by design: searches read it and report the damage
        }
        const PageCountEntry entry = PageCountEntryAt(bytes, tableOffset, e++);
        if (entry.offset > bytes.size() || entry.length > bytes.size() - entry.offset) {
            problems.push_back(where + "stream outside the file");
            continue;
        }
        const std::span<const std::uint8_t> stream = bytes.subspan(entry.offset, entry.length);
        if (PageCountStreamChecksum(key, stream) != entry.checksum) {
            problems.push_back(where + "checksum does not match");
            continue;
        }
        pages.clear();
        counts.clear();
        if (entry.records == 0 || !DecodePageCounts(stream, entry.records, pages, counts)) {
            problems.push_back(where + "its " + std::to_string(entry.records) + " records do not fit its stream");
            continue;
        }
        if (!sound) {
            problems.push_back(where + "listed, but its posting stream is damaged");
            continue;
        }
        const std::string difference = Compare(pages, counts, expectedPages, expectedCounts);
        if (!difference.empty())
            problems.push_back(where + difference);
    }
    if (e < keys && problems.size() < before + kMostProblems)
        problems.push_back(name + ": key " + std::to_string(PageCountEntryAt(bytes, tableOffset, e).key) +
                           ": beyond the index keys");
    return problems.size() == before;
}

} // namespace vesk
