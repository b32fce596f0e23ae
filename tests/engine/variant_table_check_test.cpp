// The check of "yitizi.txt" for vesk-tool check: every field the loader would
// misread, groups past the key tables, and group keys of the index that the
// table no longer reaches.
#include "engine/index.h"
#include "engine/variant_table_check.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines Check(std::string_view bytes, std::size_t& groups)
{
    Lines problems;
    const bool sound = CheckVariantTableBytes(bytes, problems, groups);
    EXPECT_EQ(sound, problems.empty());
    return problems;
}

TEST(VariantTableCheck, NamesEveryMemberTheLoaderMisreads)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t groups;
        Lines problems;
    };
    const Case cases[] = {
        {"empty table", "", 0, {}},
        {"plain members, CR LF, blanks, 0x, +, empty lines and fields",
         "4E00,5F0C\r\n\n 0x4e01 ,\t+5B78,,\n,,\n10FFFF,E000,0", 4, {}},
        {"reading stops at a non-digit", "4E00,5F0Cx\n", 1,
         {"yitizi.txt line 1 (group 0): member 2 \"5F0Cx\" is not a hexadecimal number (read as 5F0C)"}},
        {"two numbers in one field", "4E 00\n", 1,
         {"yitizi.txt line 1 (group 0): member 1 \"4E 00\" is not a hexadecimal number (read as 4E)"}},
        {"an empty CR LF line is a group of 0", "4E00\r\n\r\n5F0C\r\n", 3,
         {"yitizi.txt line 2 (group 1): member 1 \"\\r\" is not a hexadecimal number (read as 0)"}},
        {"no digits", "\n\n5B78,zz,0x\n", 1,
         {"yitizi.txt line 3 (group 0): member 2 \"zz\" is not a hexadecimal number (read as 0)",
          "yitizi.txt line 3 (group 0): member 3 \"0x\" is not a hexadecimal number (read as 0)"}},
        {"a minus sign negates", "-1\n", 1,
         {"yitizi.txt line 1 (group 0): member 1 \"-1\" is not a hexadecimal number (read as FFFFFFFF)"}},
        {"beyond U+10FFFF", "5B78,110000,5B66\n", 1,
         {"yitizi.txt line 1 (group 0): member 2 \"110000\" is not a Unicode scalar value (beyond 10FFFF)"}},
        {"too long for 32 bits", "4E00\n123456789\n", 2,
         {"yitizi.txt line 2 (group 1): member 1 \"123456789\" is not a Unicode scalar value (beyond 10FFFF)"}},
        {"surrogates", "D7FF,D800\nDFFF,E000\n", 2,
         {"yitizi.txt line 1 (group 0): member 2 \"D800\" is not a Unicode scalar value (a surrogate)",
          "yitizi.txt line 2 (group 1): member 1 \"DFFF\" is not a Unicode scalar value (a surrogate)"}},
        {"NUL, tab and bytes past ASCII shown escaped", std::string("4E00\0,\"\t\xE4\xB8\x80\"\n", 13), 1,
         {"yitizi.txt line 1 (group 0): member 1 \"4E00\\x00\" is not a hexadecimal number (read as 4E00)",
          "yitizi.txt line 1 (group 0): member 2 \"\\\"\\t\\xE4\\xB8\\x80\\\"\" is not a hexadecimal number (read as "
          "0)"}},
        {"a long field is cut", "4E00" + std::string(40, 'z') + "\n", 1,
         {"yitizi.txt line 1 (group 0): member 1 \"4E00zzzzzzzzzzzzzzzzzzzz...\" is not a hexadecimal number "
          "(read as 4E00)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t groups = 99;
        EXPECT_EQ(Check(c.bytes, groups), c.problems);
        EXPECT_EQ(groups, c.groups);
    }
}

TEST(VariantTableCheck, GroupsPastTheKeyTables)
{
    const auto table = [](int groups, const std::string& prefix) {
        std::string bytes = prefix;
        for (int g = 0; g < groups; ++g)
            bytes += std::to_string(4000 + g) + "\n";
        return bytes;
    };
    std::size_t groups = 0;
    EXPECT_TRUE(Check(table(11935, ""), groups).empty()) << "key 99999 is the last in the tables";
    EXPECT_EQ(groups, 11935u);
    // Line numbers count the empty lines the loader skips; group numbers do not.
    EXPECT_EQ(Check(table(20000, "\n\n"), groups),
              Lines{"yitizi.txt line 11938 (group 11935): 20000 groups; group 11935 and the 8064 after it have keys "
                    "past 99999, outside the key tables"});
    EXPECT_EQ(groups, 20000u);
}

TEST(VariantTableCheck, ListsAHundredMisreadMembersThenCountsTheRest)
{
    std::string bytes;
    for (int g = 0; g < 130; ++g)
        bytes += "4E00,x\n";
    std::size_t groups = 0;
    const Lines problems = Check(bytes, groups);
    ASSERT_EQ(problems.size(), kMaxListedMemberProblems + 1);
    EXPECT_EQ(problems[99], "yitizi.txt line 100 (group 99): member 2 \"x\" is not a hexadecimal number (read as 0)");
    EXPECT_EQ(problems.back(), "yitizi.txt: 30 more members misread as above (not listed)");
}

// A folder whose three posting directories have postings under the given
// group keys (88065 + g) and nothing else.
void WriteDirectories(const fs::path& folder, std::initializer_list<std::uint32_t> groups)
{
    std::string directory(kIndexTablesSize, '\xFF');
    for (const std::uint32_t g : groups)
        directory.replace((kFirstVariantKey + g) * 4, 4, std::string(4, '\0'));
    for (const char* base : {"Index", "Index_content", "Index_desc"})
        std::ofstream(folder / (std::string(base) + "-idx.h"), std::ios::binary)
            .write(directory.data(), static_cast<std::streamsize>(directory.size()));
}

TEST(VariantTableCheck, GroupKeysOfTheIndexPastTheTable)
{
    struct Case {
        const char* what;
        const char* table; // null: no yitizi.txt
        std::initializer_list<std::uint32_t> groupsWithPostings;
        Lines problems;
    };
    const auto keyLines = [](const std::string& tail) {
        Lines lines;
        for (const char* base : {"Index", "Index_content", "Index_desc"})
            lines.push_back(std::string(base) + "-idx.h: key " + tail);
        return lines;
    };
    Lines missing = keyLines("88065: postings of group 0, but yitizi.txt has 0 groups (2 group keys out of reach)");
    missing.insert(missing.begin(), "yitizi.txt: cannot be read; searches with variants take every character by "
                                    "itself (a data folder without variants has an empty yitizi.txt)");
    const Case cases[] = {
        {"every group key within the table", "4E00,5F0C\n5B78,5B66\n", {0, 1}, {}},
        {"an empty table without group postings", "", {}, {}},
        {"a table cut short", "4E00,5F0C\n", {0, 1, 11934},
         keyLines("88066: postings of group 1, but yitizi.txt has 1 group (2 group keys out of reach)")},
        {"no table without group postings", nullptr, {}, {missing.front()}},
        {"no table with group postings", nullptr, {0, 1}, missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir folder;
        WriteDirectories(folder.path(), c.groupsWithPostings);
        if (c.table)
            std::ofstream(folder / "yitizi.txt", std::ios::binary) << c.table;
        Lines problems;
        const bool sound = CheckVariantTable(folder.path(), problems);
        EXPECT_EQ(sound, c.problems.empty());
        EXPECT_EQ(problems, c.problems);
    }
}

TEST(VariantTableCheck, DirectoriesThatCannotBeReadAreLeftToTheIndexCheck)
{
    test::TempDir folder;
    std::ofstream(folder / "yitizi.txt", std::ios::binary) << "4E00\n";
    std::ofstream(folder / "Index-idx.h", std::ios::binary) << "short";
    Lines problems;
    EXPECT_TRUE(CheckVariantTable(folder.path(), problems));
    EXPECT_TRUE(problems.empty());
}

} // namespace
} // namespace vesk
