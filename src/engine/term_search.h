#pragma once
// One term of a keyword, searched over the posting streams: the pages on
// which the term occurs and the number of places on each.
//
// A term is a phrase of characters with wildcards: "?" or "？" stands for one
// character, "*" for a gap of 0 to 300 characters. The term is prepared in
// three steps (PlanTerm): runs of "*" collapse and a leading "*" is dropped,
// a final "*" closes the last segment; characters without an index key are
// removed, so their neighbours join up; every remaining character becomes a
// cursor on its key's stream (its variant group's key with variants on),
// and every "*" ends a segment. ScanTerm then aligns the cursors page by page
// and counts places by a forward scan: each place found moves the goal one
// position on, so overlapping occurrences count one by one.
//
// Decisions on what the procedure leaves open:
// - Working limits: a term whose normalised form (final "*" included) is
//   longer than 319 units, or that has more than 300 searchable characters or
//   more than 300 segments, is rejected: it finds nothing, like a term with a
//   character that has no postings.
// - A segment without characters (only "?", or emptied by removing keyless
//   characters, as in A*?*B or A*、*B) takes no part in the segment tests.
//   Its "?" still count as term positions, so they lengthen the gap around
//   them: A*?*B finds exactly what A*?B finds (B at 2 .. 302 positions after
//   A), and A*、*B what A*B finds.
#include "engine/posting_stream.h"
#include "engine/scan_chunks.h"
#include "engine/skip_table.h"
#include "engine/variant_table.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

inline constexpr std::size_t kMaxNormalisedTermUnits = 319;
inline constexpr std::size_t kMaxTermCursors = 300;
inline constexpr std::size_t kMaxTermSegments = 300;
inline constexpr std::uint32_t kMaxGap = 300;

struct TermCursorPlan {
    std::uint32_t key = 0;
    std::uint32_t termPosition = 0;
};

struct TermSegment {
    std::uint32_t begin = 0; // first cursor
    std::uint32_t end = 0;   // one past the last cursor
};

struct TermPlan {
    std::vector<TermCursorPlan> cursors;
    std::vector<TermSegment> segments; // non-empty segments only
    std::uint32_t termPositions = 0;   // T: characters and single wildcards
};

enum class TermPlanStatus {
    Ready,     // at least one cursor
    NoCursors, // empty, only wildcards, or a character without postings
    Rejected,  // beyond the working limits
};

// Step 1: drops leading "*", collapses runs of "*", appends a final "*".
std::u16string NormaliseStars(std::u16string_view term);
// Step 2: removes characters without a key ("?", "*" and "？" stay).
std::u16string DropKeylessCharacters(std::u16string_view term);

// Prepares term. firstBlocks is the open index's first-block table (empty
// when closed: then there are no cursors).
TermPlanStatus PlanTerm(std::u16string_view term, bool useVariants, const VariantTable& variants,
                        std::span<const std::int32_t> firstBlocks, TermPlan& plan);

struct PostingTables {
    std::span<const std::uint8_t> data;
    std::span<const std::int32_t> firstBlocks;
    std::span<const std::uint32_t> lastPages;
    std::span<const std::uint32_t> links;
    SkipTables* skipTables = nullptr; // the index's skip tables; none: walk every header
    SharedScanRoom* sharedRoom = nullptr; // the index's room for scans shared by two threads; none: fresh
};

// How ScanTerm executes the procedure; both find the same pages and counts.
enum class ScanMethod {
    // Reads every page header of a lagging cursor and every position number
    // as the procedure asks for it: the procedure as written, kept as the
    // yardstick for the fast method.
    StepByStep,
    // Lagging cursors leap through the skip tables. On a page where all
    // cursors meet, a phrase and a pair of characters with "*" between read
    // lists that lie inside their blocks straight from the bytes, with the
    // same reads in the same order (lists_in_block.h). Otherwise a term with
    // "*" or with a key twice has its lists decoded once (one decoding per
    // key); a pair of characters with "*" between is counted straight from
    // them, any other such term by the page search over the decoded lists.
    Fast,
    // The fast method with every term that can be shared between two
    // threads shared, whatever the size of its streams (Fast shares only
    // terms over large streams): the sharing put to the test.
    FastInTwo,
};

struct ScanFault {
    std::uint32_t key = 0;
    std::uint64_t offset = 0;
    StreamFault fault = StreamFault::None;
};

// Searches the planned term. Appends the pages found (ascending) and their
// counts; false with fault filled when a stream is damaged (pages and counts
// then hold what was found before it). The fast method shares a phrase or a
// pair with "*" between over large streams between two threads, in chunks
// of pages (scan_chunks.h); the answer, and the damage reported, are those
// of the scan on one.
bool ScanTerm(const TermPlan& plan, const PostingTables& tables, std::vector<std::uint32_t>& pages,
              std::vector<std::uint32_t>& counts, ScanFault& fault, ScanMethod method = ScanMethod::Fast);

// The number of blocks in key's stream, counted up to most (and never beyond
// the blocks of the data, so that a damaged chain that loops ends too).
std::uint64_t StreamBlocks(const PostingTables& tables, std::uint32_t key, std::uint64_t most = UINT64_MAX);

} // namespace vesk
