// vesk-tool check: walks every posting stream of the three index variants and
// their pair files, every page-store entry, the contents file and the variant
// table, and names what is damaged.
#include "cli/commands.h"
#include "common/options.h"
#include "datafolder/data_folder_switch.h"
#include "datafolder/folder_generation.h"
#include "engine/index_check.h"
#include "engine/pair_index_check.h"
#include "engine/variant_table_check.h"
#include "pane/model/contents_model.h"
#include "textstore/file_list.h"
#include "textstore/file_list_check.h"

#include <cstdio>
#include <system_error>

namespace vesk::tool {
namespace {

void CheckContents(const std::filesystem::path& data, std::uint32_t pageCount, std::vector<std::string>& problems)
{
    ContentsModel contents;
    if (!contents.LoadContents(data)) {
        problems.push_back("kav.dir: cannot be opened");
        return;
    }
    if (!contents.m_strProblem.empty())
        problems.push_back(contents.m_strProblem);
    CFileList list;
    const bool listOpen = list.Open(data, "Index");
    for (std::int32_t slot = 1; slot < contents.m_nRecordCount; ++slot) {
        const ContentsRecordTag& r = contents.Record(static_cast<std::size_t>(slot));
        const std::string where = "kav.dir record " + std::to_string(slot) + ": offset " +
                                  std::to_string((slot - 1) * static_cast<std::int64_t>(kContentsRecordSize));
        if (r.docID < 1 || r.docNo < 0 ||
            static_cast<std::uint64_t>(r.docID) - 1 + static_cast<std::uint64_t>(r.docNo) > pageCount) {
            problems.push_back(where + ": pages " + std::to_string(r.docID) + " + " + std::to_string(r.docNo) +
                               " outside the page store (" + std::to_string(pageCount) + " pages)");
            continue;
        }
        std::int32_t found = 0;
        if (listOpen && r.level == 3 && r.docNo > 0 &&
            (!list.FindRecordByNumber(r.docID - 1, r.curFileName, found) || found != r.docID - 1))
            problems.push_back(where + ": first page " + std::to_string(r.curFileName) + " is not page " +
                               std::to_string(r.docID - 1) + " of the page store");
    }
}

} // namespace

int RunCheck(const std::filesystem::path& data, const Arguments& args)
{
    if (!args.empty()) {
        std::fprintf(stderr, "vesk-tool check: takes no arguments\n");
        return kExitUsage;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(data, ec)) {
        std::fprintf(stderr, "vesk-tool check: %s is not a folder\n", data.c_str());
        return kExitNoData;
    }
    std::vector<std::string> problems;
    std::string marker, generationProblem;
    if (!CheckFolderGeneration(data, marker, generationProblem))
        problems.push_back(generationProblem);
    // Leftovers of an interrupted build change no answer: they are named,
    // and the next build removes them, but they are not damage.
    for (const std::string& leftover : FindWriteLeftovers(data))
        std::printf("%s: left over from an interrupted build (the next build removes it)\n", leftover.c_str());
    std::uint32_t pageCount = 0;
    CheckFileList(data, pageCount, problems);
    std::vector<std::string> notes;
    for (const char* base : {"Index", "Index_content", "Index_desc"}) {
        CheckIndexFiles(data, base, pageCount, problems);
        CheckPairFile(data, base, pageCount, problems, notes);
    }
    CheckContents(data, pageCount, problems);
    CheckVariantTable(data, problems);
    for (const std::string& problem : problems)
        std::printf("%s\n", problem.c_str());
    for (const std::string& note : notes)
        std::fprintf(stderr, "vesk-tool check: %s\n", note.c_str());
    if (problems.empty()) {
        std::printf("sound: %u pages, three index variants, contents, variant table\n", pageCount);
        return kExitOk;
    }
    return kExitDamaged;
}

} // namespace vesk::tool
