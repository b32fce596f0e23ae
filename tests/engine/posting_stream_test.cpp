// Reading a posting stream through its block chain: fields split across
// blocks, skips that end on a block boundary, and every kind of bad link.
#include "engine/posting_cursor.h"
#include "engine/posting_stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace vesk {
namespace {

constexpr std::uint32_t kBlock = kPostingBlockSize;

// Posting data of `blocks` blocks, filled with 0xEE.
std::vector<std::uint8_t> Blocks(std::uint32_t blocks)
{
    return std::vector<std::uint8_t>(std::size_t{blocks} * kBlock, 0xEE);
}

TEST(PostingStream, FollowsLinksAndSplitsFieldsAcrossBlocks)
{
    std::vector<std::uint8_t> data = Blocks(3);
    const std::vector<std::uint32_t> links = {0, 0, 1}; // 2 -> 1
    // A three-byte number whose first byte ends block 2 and whose rest starts block 1.
    data[2 * kBlock + kBlock - 1] = 0xC1;
    data[1 * kBlock + 0] = 0x02;
    data[1 * kBlock + 1] = 0x03;
    PostingStream stream(data, links, 2);
    ASSERT_TRUE(stream.Skip(kBlock - 1));
    std::uint32_t value = 0;
    ASSERT_TRUE(stream.ReadNumber(value));
    EXPECT_EQ(value, 0x010203u);
    EXPECT_EQ(stream.Block(), 1u);
    EXPECT_EQ(stream.Offset(), 2u);
}

TEST(PostingStream, SkipToTheBlockEndStaysUntilTheNextRead)
{
    std::vector<std::uint8_t> data = Blocks(2);
    const std::vector<std::uint32_t> links = {1, 7}; // block 1's link is never needed
    data[kBlock] = 0x05;
    PostingStream stream(data, links, 0);
    ASSERT_TRUE(stream.Skip(kBlock));
    EXPECT_EQ(stream.Block(), 0u);
    EXPECT_EQ(stream.Offset(), kBlock);
    std::uint8_t byte = 0;
    ASSERT_TRUE(stream.ReadByte(byte));
    EXPECT_EQ(byte, 0x05);
    EXPECT_EQ(stream.Block(), 1u);
    // A skip past the block end follows the link at once.
    PostingStream again(data, links, 0);
    ASSERT_TRUE(again.Skip(kBlock + 1));
    EXPECT_EQ(again.Block(), 1u);
    EXPECT_EQ(again.Offset(), 1u);
}

TEST(PostingStream, RejectsBadBlocksWithoutReadingPastTheData)
{
    struct Case {
        const char* what;
        std::uint32_t blocks;
        std::size_t trim; // bytes cut from the end of the data
        std::vector<std::uint32_t> links;
        std::uint32_t first;
        std::uint32_t skip;
        StreamFault fault;
    };
    const Case cases[] = {
        {"first block past the data", 2, 0, {1, 0}, 2, 0, StreamFault::FirstBlockOutside},
        {"link past the data", 2, 0, {5, 0}, 0, kBlock + 1, StreamFault::LinkOutside},
        {"block without a link entry", 2, 0, {1}, 1, kBlock + 1, StreamFault::LinkOutsideTable},
        {"cycle", 2, 0, {1, 0}, 0, 50 * kBlock, StreamFault::ChainTooLong},
        {"self link", 1, 0, {0}, 0, 3 * kBlock, StreamFault::ChainTooLong},
        {"short last block", 2, 100, {1, 0}, 0, 2 * kBlock - 50, StreamFault::DataEnds},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> data = Blocks(c.blocks);
        data.resize(data.size() - c.trim);
        PostingStream stream(data, c.links, c.first);
        std::uint8_t byte = 0;
        const bool ok = stream.Skip(c.skip) && stream.ReadByte(byte);
        EXPECT_FALSE(ok);
        EXPECT_EQ(stream.Fault(), c.fault);
        EXPECT_FALSE(stream.ReadByte(byte)) << "a failed stream stays failed";
    }
}

TEST(PostingCursor, ReadsRecordsAndRejectsContradictions)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool sound;
    };
    const Case cases[] = {
        // page 0 with positions 5, 5+2; page 0+3 with position 0x1234
        {"two records", {0x00, 0x02, 0x00, 0x05, 0x02, 0x03, 0x02, 0x00, 0x92, 0x34}, true},
        {"page delta 0 after the first record", {0x01, 0x01, 0x00, 0x05, 0x00, 0x01, 0x00, 0x05}, false},
        {"number longer than its list", {0x01, 0x01, 0x00, 0x92, 0x34, 0x00}, false},
        {"empty list", {0x01, 0x00, 0x00, 0x05}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> data = Blocks(1);
        std::copy(c.bytes.begin(), c.bytes.end(), data.begin());
        const std::vector<std::uint32_t> links = {0};
        PostingCursor cursor(data, links, 0);
        bool ok = true;
        std::vector<std::uint32_t> seen;
        for (int record = 0; record < 2 && ok; ++record) {
            ok = cursor.ReadPageHeader();
            if (!ok)
                break;
            seen.push_back(cursor.Page());
            do { // the first position is always read, as a page search does
                std::uint32_t value = 0;
                ok = cursor.ReadPosition(value);
                if (ok)
                    seen.push_back(value);
            } while (ok && cursor.Remaining() > 0);
        }
        EXPECT_EQ(ok, c.sound);
        if (c.sound) {
            EXPECT_EQ(seen, (std::vector<std::uint32_t>{0, 5, 2, 3, 0x1234}));
        }
    }
}

} // namespace
} // namespace vesk
