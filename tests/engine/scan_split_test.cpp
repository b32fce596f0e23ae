// The split of a term's scan between two threads: whatever the order in
// which the first thread asks for pages and the second fixes the split, the
// first part ends exactly where the second begins.
#include "engine/scan_split.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(ScanSplit, TheSplitNeverFallsInsidePagesAlreadyGiven)
{
    ScanSplit split;
    EXPECT_EQ(split.ClaimFrom(0), ScanSplit::kClaimPages);
    EXPECT_EQ(split.ClaimFrom(1000), 1000 + ScanSplit::kClaimPages);
    // The second thread walked only to page 800: the first has been given
    // pages up to 1512, so the split moves there.
    EXPECT_EQ(split.Fix(800), 1000 + ScanSplit::kClaimPages);
    // Once fixed, the first thread is given nothing beyond it.
    EXPECT_EQ(split.ClaimFrom(1400), 1000 + ScanSplit::kClaimPages);

    ScanSplit ahead;
    ahead.ClaimFrom(10);
    EXPECT_EQ(ahead.Fix(50000), 50000u);
    EXPECT_EQ(ahead.ClaimFrom(20000), 50000u);
}

TEST(ScanSplit, GivingUpLeavesEveryPageToTheFirstPart)
{
    ScanSplit split;
    split.ClaimFrom(5);
    split.GiveUp();
    EXPECT_EQ(split.ClaimFrom(UINT32_MAX), ScanSplit::kNoSplit);
    EXPECT_GT(split.ClaimFrom(UINT32_MAX), std::uint64_t{UINT32_MAX});

    // The last page a stream can name is given too.
    ScanSplit last;
    EXPECT_GT(last.ClaimFrom(UINT32_MAX), std::uint64_t{UINT32_MAX});
}

} // namespace
} // namespace vesk
