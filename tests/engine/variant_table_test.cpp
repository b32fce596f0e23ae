// Loading "yitizi.txt" and looking code points up in it.
#include "engine/variant_table.h"

#include <gtest/gtest.h>

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

TEST(VariantTable, LookupAgreesWithAWalkOverTheGroups)
{
    std::mt19937 random(7);
    std::string bytes;
    for (int line = 0; line < 300; ++line) {
        for (int member = 0, n = 1 + static_cast<int>(random() % 4); member < n; ++member) {
            char field[16];
            std::snprintf(field, sizeof field, "%X,", static_cast<unsigned>(0x4E00 + random() % 400));
            bytes += field;
        }
        bytes += line % 7 == 0 ? "\r\n" : "\n";
    }
    VariantTable table;
    table.Parse(bytes);
    for (std::uint32_t c = 0x4DF0; c < 0x4E00 + 410; ++c) {
        std::uint32_t walked = 0;
        bool found = false;
        for (std::size_t g = 0; g < table.Groups().size() && !found; ++g)
            for (std::uint32_t member : table.Groups()[g])
                if (!found && member == c) {
                    found = true;
                    walked = kFirstVariantKey + static_cast<std::uint32_t>(g);
                }
        std::uint32_t key = 0;
        EXPECT_EQ(table.FindKey(c, key), found);
        if (found) {
            EXPECT_EQ(key, walked);
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

} // namespace
} // namespace vesk
