// The variant table, the contents file and the generation marker: any bytes
// into their loaders.
//
//   input := yitizi.txt |VESK| kav.dir |VESK| keyword (UTF-8) |VESK| vesk-generation
//
// The variant table is loaded from its file, its lookups are asked for every
// member, the check of vesk-tool check must agree with what was loaded, and
// the keyword (its first 64 units: enough for both cuts of the expansion,
// 65536 spellings and 2097152 units, while each character is looked up
// through every group) is expanded. The contents file is loaded with its
// listing into a model kept from input to input (loading replaces the
// records), and the tree is walked through the lookups the search pane uses.
// The marker is checked against the two files as every reader checks it
// (it may list them with sizes), and a marker that parses is written again
// and must parse to the same generation.
#include "fuzz_input.h"
#include "kept_files.h"
#include "scratch_folder.h"

#include "datafolder/folder_generation.h"
#include "engine/variant_expansion.h"
#include "engine/variant_table.h"
#include "engine/variant_table_check.h"
#include "pane/model/contents_model.h"
#include "textstore/utf8_decode.h"

#include <algorithm>

namespace {

using namespace vesk;
using namespace vesk::fuzz;

const ScratchFolder& Folder()
{
    static const ScratchFolder folder;
    return folder;
}

constexpr std::size_t kExpandedKeywordUnits = 64;

void CheckVariants(const std::filesystem::path& folder, std::string_view bytes, std::string_view keywordUtf8)
{
    VariantTable table;
    Require(table.Load(folder), "a written variant table loads");
    const VariantGroups& groups = table.Groups();
    bool scalarValues = true;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (std::uint32_t member : groups[g]) {
            std::uint32_t key = 0;
            Require(table.FindKey(member, key), "every member has a key");
            Require(key >= kFirstVariantKey && key <= kFirstVariantKey + g, "a member's key is its first group's");
            scalarValues = scalarValues && member <= 0x10FFFF && (member < 0xD800 || member > 0xDFFF);
        }
    }
    std::vector<std::string> problems;
    std::size_t checkedGroups = 0;
    const bool sound = CheckVariantTableBytes(bytes, problems, checkedGroups);
    Require(sound == problems.empty(), "the check is sound exactly when it names nothing");
    Require(checkedGroups == groups.size(), "the check counts the groups the loader makes");
    if (sound)
        Require(scalarValues && groups.size() <= kVariantGroupKeys,
                "a table the check passes holds characters only, under keys inside the tables");

    std::u16string keyword = Utf8ToUtf16(keywordUtf8);
    if (keyword.size() > kExpandedKeywordUnits)
        keyword.resize(kExpandedKeywordUnits);
    const std::vector<std::u16string> spellings = ExpandVariants(groups, keyword);
    Require(!spellings.empty() && spellings.size() <= kMaxVariantSpellings, "the expansion is bounded");
}

void CheckContents(const std::filesystem::path& folder)
{
    // One model for every input: constructing one clears 10000 record slots.
    static ContentsModel contents;
    const std::filesystem::path listing = folder / "kav.txt";
    Require(contents.LoadContents(folder, &listing), "a written contents file loads");
    Require(contents.m_nRecordCount >= 1 && contents.m_nRecordCount <= static_cast<std::int32_t>(kContentsSlots),
            "records stay inside their slots");
    for (std::int32_t slot = 1; slot < contents.m_nRecordCount; ++slot) {
        const ContentsRecordTag& record = contents.Record(static_cast<std::size_t>(slot));
        ContentsNodeTag* node = contents.NodeOfRecord(static_cast<std::size_t>(slot));
        Require(node != nullptr && node->level == record.level, "every loaded record has its node");
        Require(node->parent != nullptr && node->parent->level == record.level - 1, "a node hangs one level up");
        Require(FindRecordNode(contents.m_pRootNode.get(), record) != nullptr, "a record's node is found");
        node->ContainsPage(static_cast<std::uint32_t>(record.docID));
        if (slot < 32)
            FindParentNode(contents.m_pRootNode.get(), *node);
    }
    Require(contents.NodeOfRecord(0) == nullptr &&
                contents.NodeOfRecord(static_cast<std::size_t>(contents.m_nRecordCount)) == nullptr,
            "slots outside the records have no node");
}

void CheckMarker(const std::filesystem::path& folder, std::string_view bytes)
{
    std::string read, problem;
    const bool accepted = CheckFolderGeneration(folder, read, problem);
    Require(accepted == problem.empty(), "a refused marker says why");
    FolderGeneration generation, again;
    if (!ParseGeneration(bytes, generation, problem))
        return;
    Require(ParseGeneration(FormatGeneration(generation), again, problem) && again.files == generation.files &&
                again.id == generation.id && again.switching == generation.switching,
            "a marker written again parses to the same generation");
    for (const auto& listed : generation.files)
        Require(!listed.first.empty() && listed.first.find('/') == std::string::npos, "listed names stay in the folder");
    OptionalFileIsCurrent(folder, "kav.dir", generation.id);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SilenceReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = SplitParts(data, size, 4);
    const ScratchFolder& folder = Folder();
    static KeptFiles files(folder.path());
    files.Put("yitizi.txt", parts[0]);
    files.Put("kav.dir", parts[1]);
    CheckVariants(folder.path(), parts[0], parts[2]);
    CheckContents(folder.path());
    if (parts[3].empty())
        files.Remove("vesk-generation");
    else
        files.Put("vesk-generation", parts[3]);
    CheckMarker(folder.path(), parts[3]);
    return 0;
}
