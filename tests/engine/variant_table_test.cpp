// Loading "yitizi.txt" and looking code points up in it.
#include "engine/variant_table.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>

namespace vesk {
namespace {

TEST(VariantTable, ParsesLinesAndFields)
{
    struct Case {
        const char* what;
        std::string bytes;
        VariantGroups groups;
    };
    const Case cases[] = {
        {"one group", "4E00,5F0C\n", {{0x4E00, 0x5F0C}}},
        {"CR LF ends a number", "4E00,5F0C\r\n5B78\r\n", {{0x4E00, 0x5F0C}, {0x5B78}}},
        {"empty lines are skipped", "\n4E00\n\n\n5F0C", {{0x4E00}, {0x5F0C}}},
        {"an empty CR LF line is a group of 0", "4E00\r\n\r\n5F0C\r\n", {{0x4E00}, {0}, {0x5F0C}}},
        {"empty fields are skipped", ",4E00,,5F0C,", {{0x4E00, 0x5F0C}}},
        {"blanks, 0x prefix, lower case", " 0x4e00,\t5f0c", {{0x4E00, 0x5F0C}}},
        {"reading stops at a non-digit", "4E00xyz,20000z", {{0x4E00, 0x20000}}},
        {"no digits give 0", "zz,4E00", {{0, 0x4E00}}},
        {"a line of commas is an empty group", "4E00\n,,\n5F0C", {{0x4E00}, {}, {0x5F0C}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VariantTable table;
        table.Parse(c.bytes);
        EXPECT_EQ(table.Groups(), c.groups);
    }
}

TEST(VariantTable, GroupKeysFollowLineOrderAndTheFirstGroupWins)
{
    VariantTable table;
    table.Parse("4E00,5F0C\n5B78,5B66,4E00\n");
    std::uint32_t key = 0;
    ASSERT_TRUE(table.FindKey(0x4E00, key));
    EXPECT_EQ(key, 88065u);
    ASSERT_TRUE(table.FindKey(0x5B66, key));
    EXPECT_EQ(key, 88066u);
    key = 42;
    EXPECT_FALSE(table.FindKey(0x9F8D, key));
    EXPECT_EQ(key, 42u);
    EXPECT_FALSE(table.FindKey(0x10000 + 0x4E00, key)) << "all 32 bits are compared";
}

// The first lookups walk the members, later ones search the sorted table:
// both give the same keys, also past groups without members.
TEST(VariantTable, WalkedAndSortedLookupsAgreePastEmptyGroups)
{
    VariantTable table;
    table.Parse(",\n4E00,5F0C\n,,\n5B78,4E00\n");
    const std::pair<std::uint32_t, std::uint32_t> expected[] = {
        {0x4E00, 88066}, {0x5F0C, 88066}, {0x5B78, 88068}};
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        for (const auto& [codePoint, wanted] : expected) {
            std::uint32_t key = 0;
            ASSERT_TRUE(table.FindKey(codePoint, key));
            EXPECT_EQ(key, wanted);
        }
        std::uint32_t key = 0;
        EXPECT_FALSE(table.FindKey(0, key));
    }
}

// Members drawn from a few hundred neighbouring characters, and from a pool
// of values spread over all 32 bits (sharing low or high bits, so that the
// sort by code point has to order on every part); fields written plainly or
// with blanks, "0x", leading zeros or CR, which read the same.
TEST(VariantTable, LookupAgreesWithAWalkOverTheGroups)
{
    std::mt19937 random(7);
    std::vector<std::uint32_t> wide;
    for (int i = 0; i < 24; ++i) {
        const auto value = static_cast<std::uint32_t>(random());
        wide.insert(wide.end(), {value, value ^ 0x80000000u, value & 0x7FFu, value | 0x7FFu, value & 0xFFFFF800u});
    }
    for (const bool spread : {false, true}) {
        SCOPED_TRACE(spread ? "spread over 32 bits" : "neighbouring characters");
        std::string bytes;
        VariantGroups expected;
        std::vector<std::uint32_t> candidates;
        for (int line = 0; line < 300; ++line) {
            expected.emplace_back();
            for (int member = 0, n = 1 + static_cast<int>(random() % 4); member < n; ++member) {
                const std::uint32_t value =
                    spread ? wide[random() % wide.size()] : static_cast<std::uint32_t>(0x4E00 + random() % 400);
                static const char* const kForms[] = {"%X,", "%X,", " %x,", "0x%X,", "0%08X,"};
                char field[24];
                std::snprintf(field, sizeof field, kForms[spread ? random() % 5 : 0], static_cast<unsigned>(value));
                bytes += field;
                expected.back().push_back(value);
                candidates.insert(candidates.end(), {value - 1, value, value + 1});
            }
            // After the last ",", a CR is a field of its own: member 0.
            if (line % 7 == 0) {
                bytes += "\r\n";
                expected.back().push_back(0);
            } else {
                bytes += "\n";
            }
        }
        VariantTable table;
        table.Parse(bytes);
        ASSERT_EQ(table.Groups(), expected);
        for (std::uint32_t c = 0x4DF0; c < 0x4E00 + 410; ++c)
            candidates.push_back(c);
        for (const std::uint32_t c : candidates) {
            std::uint32_t walked = 0;
            bool found = false;
            for (std::size_t g = 0; g < expected.size() && !found; ++g)
                for (std::uint32_t member : expected[g])
                    if (!found && member == c) {
                        found = true;
                        walked = kFirstVariantKey + static_cast<std::uint32_t>(g);
                    }
            std::uint32_t key = 0;
            EXPECT_EQ(table.FindKey(c, key), found) << std::hex << c;
            if (found) {
                EXPECT_EQ(key, walked) << std::hex << c;
            }
        }
    }
}

TEST(VariantTable, MissingFileLeavesNoGroups)
{
    VariantTable table;
    table.Parse("4E00\n");
    EXPECT_FALSE(table.Load("/nonexistent-folder"));
    EXPECT_TRUE(table.Groups().empty());
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The file is read a few kilobytes at a time and parsed line by line: the
// groups and lookups are those of parsing its usable bytes whole, with lines
// across every read, a line longer than the read buffer, a last line without
// its newline, and a file past the size limit whose line ends just before,
// at or after the limit.
TEST(VariantTable, LoadGivesTheGroupsOfItsUsableBytesParsedWhole)
{
    std::string mixed;
    for (int line = 0; line < 3000; ++line) {
        char text[48];
        std::snprintf(text, sizeof text, line % 11 == 0 ? "%X,%X\r\n" : line % 13 == 0 ? ",\n" : "%X,%X\n",
                      0x4E00 + line, 0x9000 + line % 700);
        mixed += text;
        if (line == 1500)
            for (int m = 0; m < 6000; ++m) // one line of 36 kB
                mixed += " 5B78,";
    }
    mixed += "4E00,5B66"; // no newline
    const auto pastLimit = [](std::size_t lastNewline) {
        std::string bytes;
        while (bytes.size() + 60 < lastNewline)
            bytes += "4E00,5F0C,5B78,5B66,4E8C,4E09,4E8E,4E91,4E94,4E95,4EA1,4EA4\n";
        bytes.resize(lastNewline, '7');
        bytes += "\n6C34,6C35\n";
        return bytes;
    };
    const std::pair<const char*, std::string> cases[] = {
        {"lines across reads", mixed},
        {"empty", ""},
        {"a line ending just before the limit", pastLimit(kMaxVariantTableBytes - 1)},
        {"a line ending at the limit", pastLimit(kMaxVariantTableBytes)},
        {"a line ending after the limit", pastLimit(kMaxVariantTableBytes + 1)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        test::TempDir dir;
        WriteFile(dir.path() / "yitizi.txt", bytes);
        VariantTable loaded, parsed;
        ASSERT_TRUE(loaded.Load(dir.path()));
        parsed.Parse(UsableVariantBytes(bytes));
        EXPECT_EQ(loaded.Groups(), parsed.Groups());
        for (const std::uint32_t c : {0x4E00u, 0x5B78u, 0x9000u + 699, 0x4E00u + 2999, 0x6C34u, 0x7777u}) {
            std::uint32_t fromLoad = 0, fromParse = 0;
            EXPECT_EQ(loaded.FindKey(c, fromLoad), parsed.FindKey(c, fromParse)) << std::hex << c;
            EXPECT_EQ(fromLoad, fromParse) << std::hex << c;
        }
    }
}

// LoadOnFirstUse gives the groups Load would have given at that call, however
// the folder changes before the first lookup, and whichever lookup comes
// first.
TEST(VariantTable, LoadOnFirstUseReadsTheFileOfThatCall)
{
    const VariantGroups first = {{0x4E00, 0x5F0C}};
    struct Case {
        const char* what;
        bool fileAtCall;
        std::function<void(const std::filesystem::path&)> change; // after the call, before the lookup
        VariantGroups groups;
    };
    const Case cases[] = {
        {"unchanged", true, [](const auto&) {}, first},
        {"replaced by another file", true,
         [](const auto& dir) {
             WriteFile(dir / "new.txt", "5B78,5B66\n");
             std::filesystem::rename(dir / "new.txt", dir / "yitizi.txt");
         },
         first},
        {"removed", true, [](const auto& dir) { std::filesystem::remove(dir / "yitizi.txt"); }, first},
        {"missing at the call, written after", false,
         [](const auto& dir) { WriteFile(dir / "yitizi.txt", "4E00,5F0C\n"); }, {}},
    };
    for (const Case& c : cases) {
        for (const bool lookupFirst : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (lookupFirst ? ", FindKey first" : ", Groups first"));
            test::TempDir dir;
            if (c.fileAtCall)
                WriteFile(dir / "yitizi.txt", "4E00,5F0C\n");
            VariantTable table;
            table.Parse("9F8D\n"); // dropped by the call
            table.LoadOnFirstUse(dir.path());
            c.change(dir.path());
            std::uint32_t key = 0;
            const bool found = table.FindKey(0x5F0C, key);
            if (lookupFirst) {
                EXPECT_EQ(found, !c.groups.empty());
                EXPECT_EQ(table.Groups(), c.groups);
            } else {
                EXPECT_EQ(table.Groups(), c.groups);
                EXPECT_EQ(found, !c.groups.empty());
            }
            EXPECT_FALSE(table.FindKey(0x9F8D, key));
            EXPECT_FALSE(table.FindKey(0x5B78, key));
        }
    }
}

TEST(VariantTable, ParseOrClearDropsAWaitingFile)
{
    test::TempDir dir;
    WriteFile(dir / "yitizi.txt", "4E00,5F0C\n");
    VariantTable table;
    table.LoadOnFirstUse(dir.path());
    table.Parse("5B78,5B66\n");
    EXPECT_EQ(table.Groups(), (VariantGroups{{0x5B78, 0x5B66}}));
    table.LoadOnFirstUse(dir.path());
    table.Clear();
    std::uint32_t key = 0;
    EXPECT_FALSE(table.FindKey(0x4E00, key));
    EXPECT_TRUE(table.Groups().empty());
    table.LoadOnFirstUse(dir.path());
    EXPECT_EQ(table.Groups(), (VariantGroups{{0x4E00, 0x5F0C}}));
}

} // namespace
} // namespace vesk
