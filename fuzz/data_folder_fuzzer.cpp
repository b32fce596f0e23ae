// A whole data folder from one input (data_folder_layout.h): the index of one
// type, the page store, the contents and the variant table are written to a
// scratch folder, then opened and used the way the reader and vesk-tool use
// them: searches with "and" and "or", hit pages of the pages found, pages by
// number from the contents records, and the full check walk.
#include "data_folder_layout.h"
#include "fuzz_input.h"
#include "scratch_folder.h"

#include "engine/index.h"
#include "engine/index_check.h"
#include "pane/model/contents_model.h"
#include "textstore/file_list_check.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <filesystem>

namespace {

using namespace vesk;
using namespace vesk::fuzz;

const ScratchFolder& Folder()
{
    static const ScratchFolder folder;
    return folder;
}

std::string IndexBase(int type)
{
    return type == kIndexMain ? "Index_content" : type == kIndexAnnotations ? "Index_desc" : "Index";
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
    folder.Clear();
    const std::string base = IndexBase(type);
    if (control & 4) {
        folder.Write(base + "-idx.h", parts[kPartKeys]);
    } else {
        static const ScratchFolder kept;
        static PatchedDirectory directory(kept.path() / "directory");
        directory.Write(parts[kPartKeys], parts[kPartLinks]);
        std::filesystem::create_hard_link(directory.path(), folder.path() / (base + "-idx.h"));
    }
    if (!(control & 8))
        folder.Write(base + "-idx.m", ExpandPostingData(parts[kPartPostings]));
    folder.Write("Index-fl.h", parts[kPartPageDir]);
    if (!(control & 0x10))
        folder.Write("Index-fl.cnt", parts[kPartPages], CFileList::kContentKey);
    folder.Write("kav.dir", parts[kPartContents]);
    folder.Write("yitizi.txt", parts[kPartVariants]);

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
        if (index.FindRecordByNumber(record.docID - 1, record.curFileName, found)) {
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
    return 0;
}
