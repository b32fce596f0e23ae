// Chunks of a term's scan shared by two threads: whatever the order in which
// the searching threads ask for pages and the walker offers chunk starts,
// each chunk ends exactly where the next begins.
#include "engine/scan_chunks.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

ChunkStart At(std::uint32_t page)
{
    ChunkStart start;
    start.page = page;
    return start;
}

TEST(ScanChunks, AStartIsAcceptedOnlyPastThePagesGivenOut)
{
    ScanChunks chunks;
    std::size_t index = 9;
    ChunkStart start;
    bool walked = true;
    ASSERT_TRUE(chunks.Take(index, start, walked));
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(walked);
    EXPECT_EQ(chunks.Limit(0, 0), ScanChunks::kClaimPages);
    EXPECT_EQ(chunks.Limit(0, 1000), 1000 + ScanChunks::kClaimPages);
    // The walker reached page 800 late: the first chunk has been given pages
    // up to 1512, so no chunk may start before.
    EXPECT_FALSE(chunks.Offer(At(800)));
    EXPECT_FALSE(chunks.Offer(At(1511)));
    EXPECT_TRUE(chunks.Offer(At(1512)));
    // The first chunk now ends there, whatever it asks for.
    EXPECT_EQ(chunks.Limit(0, 1400), 1512u);
    // Starts ascend.
    EXPECT_FALSE(chunks.Offer(At(1512)));
    EXPECT_TRUE(chunks.Offer(At(40000)));
    ASSERT_TRUE(chunks.Take(index, start, walked));
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(start.page, 1512u);
    EXPECT_EQ(chunks.Limit(1, 2000), 40000u);
    ASSERT_TRUE(chunks.Take(index, start, walked));
    EXPECT_EQ(index, 2u);
    // The last chunk is given pages a stretch at a time until the walk is
    // done, then runs to the end.
    EXPECT_EQ(chunks.Limit(2, 40000), 40000 + ScanChunks::kClaimPages);
    chunks.WalkDone();
    EXPECT_EQ(chunks.Limit(2, 50000), ScanChunks::kNoEnd);
    EXPECT_GT(chunks.Limit(2, UINT32_MAX), std::uint64_t{UINT32_MAX});
    EXPECT_FALSE(chunks.Offer(At(60000)));
    EXPECT_FALSE(chunks.Take(index, start, walked));
}

TEST(ScanChunks, ReachingTheEndStopsTheWalk)
{
    ScanChunks chunks;
    std::size_t index = 0;
    ChunkStart start;
    bool walked = false;
    ASSERT_TRUE(chunks.Take(index, start, walked));
    ASSERT_TRUE(chunks.Offer(At(ScanChunks::kClaimPages)));
    // The first chunk ends where the second starts: nothing is over yet.
    chunks.Searched(0);
    EXPECT_FALSE(chunks.Stopped());
    ASSERT_TRUE(chunks.Take(index, start, walked));
    EXPECT_EQ(index, 1u);
    // The last chunk searched to its end: the streams are done, the walker
    // stops and offers nothing more.
    chunks.Searched(1);
    EXPECT_TRUE(chunks.Stopped());
    EXPECT_FALSE(chunks.Failed());
    EXPECT_FALSE(chunks.Offer(At(100000)));
}

TEST(ScanChunks, AFailureStopsEveryThread)
{
    ScanChunks chunks;
    ASSERT_TRUE(chunks.Offer(At(100)));
    chunks.Fail();
    std::size_t index = 0;
    ChunkStart start;
    bool walked = false;
    EXPECT_FALSE(chunks.Take(index, start, walked));
    EXPECT_EQ(chunks.Limit(0, 0), 0u);
    EXPECT_FALSE(chunks.Offer(At(200)));
    EXPECT_TRUE(chunks.Failed());
    EXPECT_TRUE(chunks.Stopped());
}

} // namespace
} // namespace vesk
