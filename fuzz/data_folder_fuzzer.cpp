// A whole data folder from one input (data_folder_layout.h): the index of one
// type, the page store, the contents and the variant table are written to a
// scratch folder, then opened and used the way the reader and vesk-tool use
// them: searches with "and" and "or", hit pages of the pages found, pages by
// number from the contents records, and the full check walk (page store,
// index files, contents against the page store, variant table).
//
// The folder is kept from input to input and holds exactly the files of the
// current one: a file is written only when the part it comes from changed
// (kept_files.h), and the posting directory is patched in place.
#include "data_folder_layout.h"
#include "fuzz_input.h"
#include "kept_files.h"
#include "scratch_folder.h"

#include "engine/index.h"
#include "engine/index_check.h"
#include "engine/variant_table_check.h"
#include "pane/model/contents_check.h"
#include "pane/model/contents_model.h"
#include "textstore/file_list.h"
#include "textstore/file_list_check.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <climits>
#include <filesystem>

namespace {

using namespace vesk;
using namespace vesk::fuzz;

const char* const kIndexBases[3] = {"Index", "Index_content", "Index_desc"};

const ScratchFolder& Folder()
{
    static const ScratchFolder folder;
    return folder;
}

// Writes the data folder of one input.
void WriteDataFolder(const std::vector<std::string_view>& parts, std::uint8_t control, const std::string& base)
{
    static KeptFiles files(Folder().path());
    static const ScratchFolder kept;
    static PatchedDirectory directory(kept.path() / "directory");
    static bool expanded = false;
    static std::string postings; // the part the posting data was expanded from
    static std::string data;

    for (const char* other : kIndexBases) {
        if (other != base) {
            files.Remove(std::string(other) + "-idx.h");
            files.Remove(std::string(other) + "-idx.m");
        }
    }
    if (control & 4) {
        files.Put(base + "-idx.h", parts[kPartKeys]);
    } else {
        directory.Write(parts[kPartKeys], parts[kPartLinks]);
        files.Link(base + "-idx.h", directory.path());
    }
    if (control & 8) {
        files.Remove(base + "-idx.m");
    } else {
        if (!expanded || postings != parts[kPartPostings]) {
            expanded = true;
            postings.assign(parts[kPartPostings]);
            ExpandPostingData(postings, data);
        }
        files.Put(base + "-idx.m", data);
    }
    files.Put("Index-fl.h", parts[kPartPageDir]);
    if (control & 0x10)
        files.Remove("Index-fl.cnt");
    else
        files.Put("Index-fl.cnt", parts[kPartPages], CFileList::kContentKey);
    files.Put("kav.dir", parts[kPartContents]);
    files.Put("yitizi.txt", parts[kPartVariants]);
}

std::string IndexBase(int type)
{
    return kIndexBases[type == kIndexMain ? 1 : type == kIndexAnnotations ? 2 : 0];
}

// Where pages by number are looked for from a contents record: docID - 1,
// kept inside 32 bits for a damaged record (docID -2^31 starts at -2^31).
std::int32_t StartOf(const ContentsRecordTag& record)
{
    return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{record.docID} - 1, INT32_MIN));
}

void CheckResultArrays(const CIndex& index)
{
    Require(index.m_arrPages.size() == index.m_arrCounts.size(), "result arrays of one length");
    Require(static_cast<std::size_t>(index.m_nResults) == index.m_arrPages.size(), "m_nResults counts the pages");
    if (!index.IsOpen())
        Require(index.m_nResults == 0, "a closed index finds nothing");
}

void Search(CIndex& index, std::string_view keywordUtf8, bool useVariants, std::int32_t target)
{
    const std::u16string keyword = Utf8ToUtf16(keywordUtf8);
    for (const bool useOr : {false, true}) {
        std::u16string kept = keyword;
        if (useOr)
            index.SearchOr(kept, useVariants);
        else
            index.SearchAnd(kept, useVariants);
        CheckResultArrays(index);
        const std::vector<std::uint32_t> pages = index.m_arrPages;
        for (std::size_t i = 0; i < std::min<std::size_t>(pages.size(), 2); ++i) {
            std::string page;
            index.RenderHitPage(pages[i], page, kept, target, useVariants);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SilenceReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = SplitParts(data, size, kDataFolderParts);
    const std::uint8_t control = ByteAt(parts[kPartControl], 0);
    const int type = (control & 3) == 3 ? 0 : control & 3;
    const auto target = static_cast<std::int32_t>(ByteAt(parts[kPartControl], 1) % 4);
    const bool useVariants = (control & 0x20) != 0;

    const ScratchFolder& folder = Folder();
    const std::string base = IndexBase(type);
    WriteDataFolder(parts, control, base);

    CIndex index;
    const int opened = index.Open(folder.path(), "Index", type);
    Require(opened == (index.IsOpen() ? 1 : 0), "Open returns 1 exactly when the index is open");

    for (std::string_view keyword : Lines(parts[kPartKeywords], 4))
        Search(index, keyword, useVariants, target);

    // Pages by number, as the contents records ask for them (the contents
    // loader itself is fuzzed by the tables target).
    const std::string_view contents = parts[kPartContents];
    for (std::size_t at = 0; at + kContentsRecordSize <= contents.size() && at < 64 * kContentsRecordSize;
         at += kContentsRecordSize) {
        const ContentsRecordTag record =
            ContentsRecordTag::FromBytes(reinterpret_cast<const std::uint8_t*>(contents.data() + at));
        std::int32_t found = 0;
        if (index.FindRecordByNumber(StartOf(record), record.curFileName, found)) {
            std::uint32_t length = 0;
            std::string page;
            if (index.GetRecordLength(static_cast<std::uint32_t>(found), length))
                index.ReadRecord(static_cast<std::uint32_t>(found), page);
        }
    }

    // The check walk of vesk-tool check (for half the inputs: it reads the
    // whole directory again and visits all 100000 keys).
    if (!(control & 0x40))
        return 0;
    std::vector<std::string> problems;
    std::uint32_t pageCount = 0;
    CheckFileList(folder.path(), pageCount, problems);
    CheckIndexFiles(folder.path(), base, pageCount, problems);
    CFileList list;
    std::size_t before = problems.size();
    const bool soundContents =
        CheckContentsFile(folder.path(), list.Open(folder.path(), "Index") ? &list : nullptr, pageCount, problems);
    Require(soundContents == (problems.size() == before), "the contents check is sound exactly when it names nothing");
    before = problems.size();
    const bool soundTable = CheckVariantTable(folder.path(), problems);
    Require(soundTable == (problems.size() == before), "the variant table check is sound exactly when it names nothing");
    return 0;
}
