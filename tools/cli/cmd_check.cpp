// vesk-tool check: walks every posting stream of the three index variants and
// their pair and page-count files, every page-store entry, the contents file
// and the variant table, checks each against the others, and names what is
// damaged.
#include "cli/commands.h"
#include "common/options.h"
#include "common/standard_output.h"
#include "datafolder/data_folder_switch.h"
#include "datafolder/folder_generation.h"
#include "datafolder/optional_files.h"
#include "engine/index_check.h"
#include "engine/page_count_index_check.h"
#include "engine/pair_index_check.h"
#include "engine/variant_table_check.h"
#include "pane/model/contents_check.h"
#include "textstore/file_list.h"
#include "textstore/file_list_check.h"

#include <cstdio>
#include <system_error>

namespace vesk::tool {

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
    if (!CheckFolderGeneration(data, marker, generationProblem, ListedFiles::all))
        problems.push_back(generationProblem);
    // Leftovers of an interrupted build change no answer: they are named,
    // and the next build removes them, but they are not damage.
    for (const std::string& leftover : FindWriteLeftovers(data))
        Out().Print("%s: left over from an interrupted build (the next build removes it)\n", leftover.c_str());
    // An optional file of another generation is ignored by readers: named,
    // not damage. One that readers use is validated like the rest.
    std::vector<std::string> ignoredOptional;
    CheckOptionalFiles(data, KnownOptionalFiles(), problems, ignoredOptional);
    for (const std::string& note : ignoredOptional)
        Out().Print("%s\n", note.c_str());
    std::uint32_t pageCount = 0;
    CheckFileList(data, pageCount, problems);
    std::vector<std::string> notes;
    for (const char* base : {"Index", "Index_content", "Index_desc"}) {
        CheckIndexFiles(data, base, pageCount, problems);
        CheckPairFile(data, base, pageCount, problems, notes);
        CheckPageCountFile(data, base, problems, notes);
    }
    CFileList list;
    CheckContentsFile(data, list.Open(data, "Index") ? &list : nullptr, pageCount, problems);
    CheckVariantTable(data, problems);
    for (const std::string& problem : problems)
        Out().Print("%s\n", problem.c_str());
    for (const std::string& note : notes)
        std::fprintf(stderr, "vesk-tool check: %s\n", note.c_str());
    if (problems.empty()) {
        Out().Print("sound: %u pages, three index variants, contents, variant table\n", pageCount);
        return kExitOk;
    }
    return kExitDamaged;
}

} // namespace vesk::tool
