// ScanTerm: the cursors of a planned term aligned page by page, and the page
// search on every page where they all stand (page_search.h).
#include "engine/helper_processor.h"
#include "engine/page_lists.h"
#include "engine/page_search.h"
#include "engine/lists_in_block.h"
#include "engine/one_key_pair.h"
#include "engine/posting_cursor.h"
#include "engine/scan_chunks.h"
#include "engine/skip_table.h"
#include "engine/term_search.h"

#include <algorithm>
#include <exception>
#include <thread>

namespace vesk {
namespace {

struct TermCursor {
    PostingCursor posting;
    std::uint32_t lastPage = 0;
    std::uint32_t termPosition = 0;
    std::uint32_t key = 0;
    SkipTable* skips = nullptr; // the key's skip table (fast method)
    std::uint64_t record = 0;   // number of the current page record in the stream
    std::size_t skipHint = 0;   // no mark before it lies after the cursor
    // This page's position list, decoded in one go (fast method). Cursors
    // of one key stand on the same list: the first of them decodes it and
    // the others (source) read its numbers.
    std::size_t source = 0;
    std::vector<std::uint32_t> numbers; // running sums of the list's numbers
    std::uint32_t numberCount = 0;
    std::uint32_t nextNumber = 0;
    bool damagedAfter = false; // reading number numberCount meets damage
};

// Positions read from the stream number by number, as the procedure asks.
class StreamPositions {
public:
    explicit StreamPositions(std::vector<TermCursor>& cursors) : m_cursors(cursors) {}
    bool HasMore(std::size_t i) const { return m_cursors[i].posting.Remaining() != 0; }
    bool Read(std::size_t i, std::uint32_t& value) { return m_cursors[i].posting.ReadPosition(value); }

private:
    std::vector<TermCursor>& m_cursors;
};

// Positions from the lists decoded for the page. A list cut short by damage
// reports more to read, and the read there fails, as the stream's would.
class DecodedPositions {
public:
    explicit DecodedPositions(std::vector<TermCursor>& cursors) : m_cursors(cursors) {}
    bool HasMore(std::size_t i) const
    {
        const TermCursor& c = m_cursors[i];
        return c.nextNumber < c.numberCount || c.damagedAfter;
    }
    bool Read(std::size_t i, std::uint32_t& value)
    {
        TermCursor& c = m_cursors[i];
        if (c.nextNumber == c.numberCount) {
            m_nFailed = i;
            return false;
        }
        const std::uint32_t* sums = m_cursors[c.source].numbers.data();
        value = c.nextNumber == 0 ? sums[0] : sums[c.nextNumber] - sums[c.nextNumber - 1];
        ++c.nextNumber;
        return true;
    }
    // The cursor whose read failed.
    std::size_t Failed() const { return m_nFailed; }

private:
    std::vector<TermCursor>& m_cursors;
    std::size_t m_nFailed = 0;
};

// The state of one term's scan over its cursors.
class TermScan {
public:
    TermScan(const TermPlan& plan, const PostingTables& tables, ScanMethod method);

    // Makes this scan search one chunk of a scan shared by two threads
    // (scan_chunks.h): from start (the streams' start for the first chunk)
    // to where the chunks say it ends.
    void SearchChunk(ScanChunks& chunks, std::size_t index, const ChunkStart& start)
    {
        m_pChunks = &chunks;
        m_nChunk = index;
        m_pStart = &start;
        m_nLimit = 0;
    }
    // Sets the cursors' skip tables (one per cursor, taken from the index's
    // by the caller); extend false uses them without adding marks, so that
    // threads may share tables nobody extends meanwhile.
    void UseSkipTables(std::span<SkipTable* const> tables, bool extend)
    {
        for (std::size_t i = 0; i < m_cursors.size(); ++i)
            m_cursors[i].skips = tables[i];
        m_bExtendSkips = extend;
    }
    // Walks the cursors from the streams' start and offers a chunk start
    // each time cursor lead has passed about chunkBytes of its stream, until
    // a stream ends. False on damage.
    bool WalkChunks(ScanChunks& chunks, std::size_t lead, std::uint64_t chunkBytes);

    bool Run(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts, ScanFault& fault);

private:
    bool RunOneCursor(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts, ScanFault& fault);
    TermCursor* ReadFirstHeaders();
    bool RunOneKeyPair(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts, ScanFault& fault);
    bool CountOnOneList(std::span<const std::uint8_t> list, std::uint32_t& places);
    enum class Advance { Reached, Finished, Damaged };
    Advance AdvanceTo(TermCursor& cursor, std::uint32_t target);
    bool Leap(TermCursor& cursor, std::uint32_t target);
    PageEnd SearchPage(std::uint32_t page, std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts);
    template <class Positions>
    PageEnd SearchAllCursors(Positions& positions, std::uint32_t page, std::vector<std::uint32_t>& pages,
                             std::vector<std::uint32_t>& counts);
    bool SearchInBlock(std::uint32_t page, std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts,
                       PageEnd& end);
    PageEnd SearchDecoded(std::uint32_t page, std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts);
    PageEnd CountDecodedPlaces(std::uint32_t page, std::vector<std::uint32_t>& pages,
                               std::vector<std::uint32_t>& counts);
    bool Fault(const TermCursor& cursor, ScanFault& fault) const;

    const TermPlan& m_plan;
    const ScanMethod m_method;
    std::vector<TermCursor> m_cursors;
    std::vector<std::uint32_t> m_aligned;
    std::vector<std::uint32_t> m_common; // working space of CountCommonPositions
    std::vector<AlignedList> m_lists;
    std::vector<ListInBlock> m_listBytes; // the page's lists read straight from their blocks
    std::vector<std::uint32_t> m_bases;   // per cursor: the term positions after its character
    bool m_bInBlockKind = false; // a phrase or a pair with "*" between, searched in block (fast method)
    bool m_bGapPair = false;     // two cursors in two segments
    bool m_bSharedKeys = false; // two cursors stand on one key's stream
    bool m_bOneKeyPair = false; // a phrase or a pair with "*" between of two cursors on one key (fast method)
    std::vector<std::uint32_t> m_oneListSums; // the page's list of such a pair, decoded
    bool m_bGap = false; // the gap flag: kept from pass to pass, clear at the start of the term
    std::uint32_t m_nLastPage = UINT32_MAX; // no page after the earliest of the keys' last pages is found
    // A chunk of a shared scan: it searches the pages below m_nLimit
    // without asking the chunks again.
    bool m_bExtendSkips = true;
    ScanChunks* m_pChunks = nullptr;
    std::size_t m_nChunk = 0;
    const ChunkStart* m_pStart = nullptr;
    std::uint64_t m_nLimit = ScanChunks::kNoEnd;

    bool MayScan(std::uint32_t page)
    {
        if (page < m_nLimit)
            return true;
        m_nLimit = m_pChunks->Limit(m_nChunk, page);
        return page < m_nLimit;
    }
};

TermScan::TermScan(const TermPlan& plan, const PostingTables& tables, ScanMethod method)
    : m_plan(plan), m_method(method)
{
    m_cursors.reserve(plan.cursors.size());
    for (const TermCursorPlan& planned : plan.cursors) {
        TermCursor cursor;
        cursor.posting = PostingCursor(tables.data, tables.links,
                                       static_cast<std::uint32_t>(tables.firstBlocks[planned.key]));
        cursor.lastPage = tables.lastPages[planned.key];
        m_nLastPage = std::min(m_nLastPage, cursor.lastPage);
        cursor.termPosition = planned.termPosition;
        cursor.key = planned.key;
        if (method != ScanMethod::StepByStep && tables.skipTables != nullptr && plan.cursors.size() > 1)
            cursor.skips = &tables.skipTables->Find(planned.key);
        cursor.source = m_cursors.size();
        for (std::size_t i = 0; i < m_cursors.size(); ++i) {
            if (m_cursors[i].key == planned.key) {
                cursor.source = i;
                m_bSharedKeys = true;
                break;
            }
        }
        m_cursors.push_back(std::move(cursor));
    }
    m_aligned.assign(m_cursors.size(), 0);
    m_listBytes.resize(m_cursors.size());
    for (const TermCursor& cursor : m_cursors)
        m_bases.push_back(plan.termPositions - cursor.termPosition - 1);
    m_bGapPair = plan.segments.size() == 2 && m_cursors.size() == 2;
    m_bInBlockKind = method != ScanMethod::StepByStep && (plan.segments.size() == 1 || m_bGapPair);
    m_bOneKeyPair = m_bInBlockKind && m_cursors.size() == 2 && m_cursors[1].source == 0 &&
                    (m_bGapPair || m_bases[0] - m_bases[1] <= one_key_pair::kMaxPhraseDistance);
}

bool TermScan::Fault(const TermCursor& cursor, ScanFault& fault) const
{
    fault.key = cursor.key;
    fault.offset = cursor.posting.Stream().FaultOffset();
    fault.fault = cursor.posting.Stream().Fault();
    return false;
}

// Room in pages and counts for the pages a cursor on page can still give
// (the key's pages ascend strictly up to its last page), taken in one step
// when the arrays are full: a frequent character's hundreds of thousands of
// pages are then not copied again and again while the arrays grow.
void ReserveForPages(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts, std::uint32_t page,
                     std::uint32_t lastPage)
{
    // A damaged last page must not make a huge reservation: no data folder
    // holds more pages than kMostRoom (its page store ends well before).
    constexpr std::size_t kFirstRoom = 1024, kMostRoom = std::size_t{1} << 21;
    const std::size_t left = page <= lastPage ? std::min<std::size_t>(std::size_t{lastPage - page} + 1, kMostRoom)
                                              : kFirstRoom;
    const std::size_t room = pages.capacity() == 0 ? std::min(left, kFirstRoom) : left;
    pages.reserve(pages.size() + room);
    counts.reserve(counts.size() + room);
}

inline void MakeRoomForPages(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts,
                             std::uint32_t page, std::uint32_t lastPage)
{
    if (pages.size() == pages.capacity() || counts.size() == counts.capacity())
        ReserveForPages(pages, counts, page, lastPage);
}

bool TermScan::Run(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts, ScanFault& fault)
{
    if (m_cursors.size() == 1 && m_method != ScanMethod::StepByStep)
        return RunOneCursor(pages, counts, fault);
    if (m_pStart != nullptr && !m_pStart->marks.empty()) {
        // A later chunk: every cursor where the walk left it.
        for (std::size_t i = 0; i < m_cursors.size(); ++i)
            if (!m_cursors[i].posting.Restore(m_pStart->marks[i]))
                return Fault(m_cursors[i], fault);
    } else if (TermCursor* failed = ReadFirstHeaders()) {
        return Fault(*failed, fault);
    }
    if (m_bOneKeyPair)
        return RunOneKeyPair(pages, counts, fault);
    for (;;) {
        // Align the cursors on the largest page among them.
        std::uint32_t target = m_cursors[0].posting.Page();
        bool same = true;
        for (std::size_t i = 1; i < m_cursors.size(); ++i) {
            const std::uint32_t page = m_cursors[i].posting.Page();
            if (page != target) {
                same = false;
                target = std::max(target, page);
            }
        }
        if (!MayScan(target))
            return true;
        if (same) {
            MakeRoomForPages(pages, counts, target, m_nLastPage);
            if (SearchPage(target, pages, counts) == PageEnd::Damaged)
                for (const TermCursor& cursor : m_cursors)
                    if (cursor.posting.Stream().Failed())
                        return Fault(cursor, fault);
            if (target == UINT32_MAX)
                return true; // no page can follow
            target += 1;
        }
        for (TermCursor& cursor : m_cursors) {
            const Advance advance = AdvanceTo(cursor, target);
            if (advance == Advance::Finished)
                return true;
            if (advance == Advance::Damaged)
                return Fault(cursor, fault);
        }
    }
}

// A term of one character (with or without "?" around it): every record of
// its stream is a page found, and its count is the number of positions, so
// the stream is read record after record with nothing to align. Finds what
// the aligning loop of Run finds, and fails where it fails.
bool TermScan::RunOneCursor(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts,
                            ScanFault& fault)
{
    TermCursor& cursor = m_cursors[0];
    PostingCursor& posting = cursor.posting;
    if (!posting.ReadPageHeader())
        return Fault(cursor, fault);
    for (;;) {
        const std::uint32_t page = posting.Page();
        std::uint32_t first = 0;
        if (!posting.ReadPosition(first))
            return Fault(cursor, fault);
        const std::uint32_t more = posting.CountPositions();
        if (posting.Stream().Failed())
            return Fault(cursor, fault);
        MakeRoomForPages(pages, counts, page, cursor.lastPage);
        pages.push_back(page);
        counts.push_back(1 + more);
        if (page == cursor.lastPage || page == UINT32_MAX)
            return true;
        if (!posting.ReadPageHeader())
            return Fault(cursor, fault);
    }
}

// Reads every cursor's first page header (marking record 0 in its skip
// table); the cursor that meets damage, or nullptr.
TermCursor* TermScan::ReadFirstHeaders()
{
    for (TermCursor& cursor : m_cursors) {
        if (!cursor.posting.ReadPageHeader())
            return &cursor;
        if (cursor.skips != nullptr && m_bExtendSkips)
            cursor.skips->Extend(0, cursor.posting.Mark());
    }
    return nullptr;
}

// Two cursors on one key stand on the same record of the same stream after
// the same reads, so the first cursor walks for both, as the aligning loop
// of Run would move each: a page's sound list (one_key_pair.h) is counted
// once; any other list is searched by the page search with the second
// cursor set where the first stands. Finds what Run finds, and fails where
// it fails (the first cursor meets any damage first).
bool TermScan::RunOneKeyPair(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts,
                             ScanFault& fault)
{
    TermCursor& lead = m_cursors[0];
    for (;;) {
        const std::uint32_t page = lead.posting.Page();
        if (!MayScan(page))
            return true;
        MakeRoomForPages(pages, counts, page, m_nLastPage);
        std::span<const std::uint8_t> list;
        std::uint32_t places = 0;
        if (lead.posting.ListBytesInBlock(list) && CountOnOneList(list, places)) {
            if (places > 0) {
                pages.push_back(page);
                counts.push_back(places);
            }
        } else {
            m_cursors[1].posting = lead.posting;
            if (SearchPage(page, pages, counts) == PageEnd::Damaged)
                for (const TermCursor& cursor : m_cursors)
                    if (cursor.posting.Stream().Failed())
                        return Fault(cursor, fault);
        }
        if (page == UINT32_MAX)
            return true; // no page can follow
        const Advance advance = AdvanceTo(lead, page + 1);
        if (advance == Advance::Finished)
            return true;
        if (advance == Advance::Damaged)
            return Fault(lead, fault);
    }
}

// The places on a page of a pair on one key from its list; false when the
// list is not sound (the page search then reads it).
bool TermScan::CountOnOneList(std::span<const std::uint8_t> list, std::uint32_t& places)
{
    std::uint32_t count = 0;
    if (!one_key_pair::DecodeSound(list.data(), list.data() + list.size(), m_bases[0], m_oneListSums, count))
        return false;
    const std::span<const std::uint32_t> sums(m_oneListSums.data(), count);
    const std::uint32_t distance = m_bases[0] - m_bases[1];
    places = m_bGapPair ? one_key_pair::CountGapPair(sums, distance)
                        : one_key_pair::CountPhrase(sums, distance);
    return true;
}

bool TermScan::WalkChunks(ScanChunks& chunks, std::size_t lead, std::uint64_t chunkBytes)
{
    if (ReadFirstHeaders() != nullptr)
        return false;
    TermCursor& leader = m_cursors[lead];
    for (;;) {
        std::uint64_t walked = 0;
        for (std::uint32_t records = 1; walked < chunkBytes; ++records) {
            if (leader.posting.Page() == leader.lastPage)
                return true; // the stream ends: the last chunk runs to its end
            if (records % 256 == 0 && chunks.Stopped())
                return true; // a searching thread has overtaken the walk and reached the end
            walked += leader.posting.Remaining() + 3; // a header takes three bytes or so
            if (!leader.posting.NextRecord())
                return false;
            ++leader.record;
            if (leader.skips != nullptr && m_bExtendSkips && leader.record % kSkipStride == 0)
                leader.skips->Extend(leader.record, leader.posting.Mark());
        }
        ChunkStart start;
        start.page = leader.posting.Page();
        for (TermCursor& cursor : m_cursors) {
            if (cursor.key == leader.key) {
                cursor.posting = leader.posting; // a cursor of the leader's key stands where it does
                start.marks.push_back(cursor.posting.Mark());
                continue;
            }
            const Advance advance = AdvanceTo(cursor, start.page);
            if (advance == Advance::Finished)
                return true;
            if (advance == Advance::Damaged)
                return false;
            start.marks.push_back(cursor.posting.Mark());
        }
        if (chunks.Stopped())
            return true;
        chunks.Offer(std::move(start)); // refused among pages already given out: walk on
    }
}

// Moves cursor on to the first record at or after target; Finished when it
// meets the key's last page before that.
TermScan::Advance TermScan::AdvanceTo(TermCursor& cursor, std::uint32_t target)
{
    PostingCursor& posting = cursor.posting;
    if (cursor.skips == nullptr) {
        while (posting.Page() < target) {
            if (posting.Page() == cursor.lastPage)
                return Advance::Finished;
            if (!posting.NextRecord())
                return Advance::Damaged;
        }
        return Advance::Reached;
    }
    std::uint32_t steps = 0;
    while (posting.Page() < target) {
        if (posting.Page() == cursor.lastPage)
            return Advance::Finished;
        if (++steps >= kLeapAfter && Leap(cursor, target))
            continue;
        if (!posting.NextRecord())
            return Advance::Damaged;
        ++cursor.record;
        if (m_bExtendSkips && cursor.record % kSkipStride == 0)
            cursor.skips->Extend(cursor.record, posting.Mark());
    }
    return Advance::Reached;
}

// A cursor that has walked a stride of records and still lags: the key's skip
// table takes it to the last marked record before target, when the searches
// so far have marked one beyond the cursor. True when it has moved.
bool TermScan::Leap(TermCursor& cursor, std::uint32_t target)
{
    if (cursor.skips->NextMarkPage(cursor.skipHint) >= target)
        return false;
    const CursorMark* mark = cursor.skips->LastBefore(target, cursor.skipHint);
    if (mark == nullptr || mark->page <= cursor.posting.Page())
        return false;
    // A mark taken from the same stream names a place inside it; should it
    // not, the stream is failed and the next step reports it.
    cursor.record = std::uint64_t{cursor.skipHint} * kSkipStride;
    return cursor.posting.Restore(*mark);
}

PageEnd TermScan::SearchPage(std::uint32_t page, std::vector<std::uint32_t>& pages,
                                       std::vector<std::uint32_t>& counts)
{
    if (m_cursors.size() == 1) {
        // One character: every position is a place (each pass finds one and
        // steps to the next), so the count is the number of positions.
        PostingCursor& posting = m_cursors[0].posting;
        std::uint32_t first = 0;
        if (!posting.ReadPosition(first))
            return PageEnd::Damaged;
        const std::uint32_t more = posting.CountPositions();
        if (posting.Stream().Failed())
            return PageEnd::Damaged;
        pages.push_back(page);
        counts.push_back(1 + more);
        return PageEnd::UsedUp;
    }
    // A phrase or a pair with "*" between reads its lists straight from
    // their blocks when they lie inside them. Otherwise a term with "*" or
    // with a key twice decodes its lists once, and a phrase over distinct
    // keys reads the streams as it goes.
    if (m_method != ScanMethod::StepByStep) {
        PageEnd end = PageEnd::UsedUp;
        if (SearchInBlock(page, pages, counts, end))
            return end;
        if (m_plan.segments.size() > 1 || m_bSharedKeys)
            return SearchDecoded(page, pages, counts);
    }
    StreamPositions positions(m_cursors);
    return SearchAllCursors(positions, page, pages, counts);
}

template <class Positions>
PageEnd TermScan::SearchAllCursors(Positions& positions, std::uint32_t page,
                                             std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts)
{
    const std::uint32_t termPositions = m_plan.termPositions;
    for (std::size_t i = 0; i < m_cursors.size(); ++i) {
        std::uint32_t first = 0;
        if (!positions.Read(i, first))
            return PageEnd::Damaged;
        m_aligned[i] = (termPositions - m_cursors[i].termPosition - 1) + first;
    }
    if (m_plan.segments.size() == 1)
        return SearchPhrasePage(positions, std::span<std::uint32_t>(m_aligned), page, pages, counts);
    return SearchSegmentsPage(positions, std::span<const TermSegment>(m_plan.segments),
                              std::span<std::uint32_t>(m_aligned), m_bGap, page, pages, counts);
}

// A phrase, or a pair of characters with "*" between, whose lists all lie
// inside their blocks (false for other terms and when a list does not: the
// caller then searches otherwise). The search reads the bytes as the stream
// reading would, each cursor its own copy of the list; a list it finds
// damaged is read from the stream at that number, which fails there as the
// stream reading would. Lists the search has left unread are skipped by the
// next header step.
bool TermScan::SearchInBlock(std::uint32_t page, std::vector<std::uint32_t>& pages,
                             std::vector<std::uint32_t>& counts, PageEnd& end)
{
    if (!m_bInBlockKind)
        return false;
    const std::size_t n = m_cursors.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::span<const std::uint8_t> bytes;
        if (!m_cursors[i].posting.ListBytesInBlock(bytes))
            return false;
        m_listBytes[i] = {bytes.data(), bytes.data() + bytes.size()};
    }
    const InBlockResult result = m_bGapPair
                                     ? CountGapPairInBlock(m_listBytes[0], m_listBytes[1], m_bases[0], m_bases[1])
                                     : SearchPhraseInBlock(m_listBytes, m_bases, m_aligned);
    if (result.damaged) {
        PostingCursor& damaged = m_cursors[result.failed].posting;
        std::span<const std::uint8_t> bytes;
        damaged.ListBytesInBlock(bytes);
        damaged.SkipListBytesInBlock(static_cast<std::uint32_t>(m_listBytes[result.failed].at - bytes.data()));
        std::uint32_t value = 0;
        damaged.ReadPosition(value);
        end = PageEnd::Damaged;
        return true;
    }
    if (result.places > 0) {
        pages.push_back(page);
        counts.push_back(result.places);
    }
    end = PageEnd::UsedUp;
    return true;
}

// Decodes every cursor's list of the page, then searches over the lists. A
// damaged list is read again from the stream up to its damage, so that the
// stream fails where the step-by-step reading would have failed.
PageEnd TermScan::SearchDecoded(std::uint32_t page, std::vector<std::uint32_t>& pages,
                                          std::vector<std::uint32_t>& counts)
{
    bool damaged = false;
    for (std::size_t i = 0; i < m_cursors.size(); ++i) {
        TermCursor& cursor = m_cursors[i];
        if (cursor.source == i) {
            cursor.posting.DecodePositionSums(cursor.numbers, cursor.numberCount, cursor.damagedAfter);
        } else {
            // The same bytes as its source's list: it moves past them when
            // they read cleanly and stays before them when they do not.
            const TermCursor& source = m_cursors[cursor.source];
            cursor.numberCount = source.numberCount;
            cursor.damagedAfter = source.damagedAfter;
            if (!cursor.damagedAfter)
                cursor.posting.SkipPositions();
        }
        cursor.nextNumber = 0;
        damaged = damaged || cursor.damagedAfter;
    }
    const std::size_t segments = m_plan.segments.size();
    if (!damaged && (segments == 1 || (segments == 2 && m_cursors.size() == 2)))
        return CountDecodedPlaces(page, pages, counts);
    DecodedPositions positions(m_cursors);
    const PageEnd end = SearchAllCursors(positions, page, pages, counts);
    if (end == PageEnd::Damaged) {
        PostingCursor& damaged = m_cursors[positions.Failed()].posting;
        std::uint32_t value = 0;
        while (damaged.ReadPosition(value)) {
        }
    }
    return end;
}

// Over sound lists, the two commonest kinds of term are counted straight
// from the aligned lists (page_lists.h): terms without "*", and a pair of
// characters with "*" between them.
PageEnd TermScan::CountDecodedPlaces(std::uint32_t page, std::vector<std::uint32_t>& pages,
                                     std::vector<std::uint32_t>& counts)
{
    m_lists.clear();
    for (const TermCursor& cursor : m_cursors) {
        const TermCursor& source = m_cursors[cursor.source];
        m_lists.emplace_back(std::span<const std::uint32_t>(source.numbers.data(), source.numberCount),
                             m_plan.termPositions - cursor.termPosition - 1);
    }
    const std::uint32_t places = m_plan.segments.size() == 1 ? CountCommonPositions(m_lists, m_common)
                                                             : CountGapPairPlaces(m_lists[0], m_lists[1]);
    if (places > 0) {
        pages.push_back(page);
        counts.push_back(places);
    }
    return PageEnd::UsedUp;
}

// A term's scan can be shared out in chunks of pages when each page's search
// depends on that page alone: a phrase (one segment) or a pair with "*"
// between. Other terms with "*" carry the gap flag from page to page.
bool CanShare(const TermPlan& plan)
{
    return plan.cursors.size() >= 2 &&
           (plan.segments.size() == 1 || (plan.segments.size() == 2 && plan.cursors.size() == 2));
}

// A term is shared when every cursor's stream runs over at least
// kShareBlocks blocks (1 MiB). Sharing costs the second thread's start, a
// walk of the streams' headers and sixteen chunk starts, and the two threads
// of this machine's two cores slow each other down by a third; measured on
// the demo corpus, terms over streams of 60 to 100 blocks (春*秋, 春?秋?)
// took 1.3 to 1.5 times as long shared, while at ten times the corpus (500
// blocks and more) sharing takes a quarter to two fifths off.
constexpr std::uint64_t kShareBlocks = 256;

bool AllStreamsLarge(const TermPlan& plan, const PostingTables& tables)
{
    for (const TermCursorPlan& cursor : plan.cursors)
        if (StreamBlocks(tables, cursor.key, kShareBlocks) < kShareBlocks)
            return false;
    return true;
}

// Chunks a shared scan is cut into, by the bytes of its largest stream:
// enough that the two threads finish close together however the work is
// spread over the pages, few enough that taking a chunk costs nothing.
constexpr std::uint64_t kChunks = 16;

// The pages of one chunk in a thread's room: [begin, end) of its arrays.
struct ChunkPart {
    std::size_t index = 0;
    int thread = 0;
    std::size_t begin = 0, end = 0;
};

// Searches chunks, taken one after another, until none is left, appending
// their pages and counts to the thread's arrays; on damage the chunks are
// failed.
void SearchChunks(const TermPlan& plan, const PostingTables& tables, std::span<SkipTable* const> skips,
                  ScanChunks& chunks, int thread,
                  std::vector<std::uint32_t>& roomPages, std::vector<std::uint32_t>& roomCounts,
                  std::vector<ChunkPart>& parts)
{
    ChunkPart part;
    part.thread = thread;
    // The room's arrays are worked on here, not in place: the two threads'
    // arrays stand side by side in the room, and every page appended
    // rewrites an array's end, which would pass one cache line back and forth.
    std::vector<std::uint32_t> pages = std::move(roomPages);
    std::vector<std::uint32_t> counts = std::move(roomCounts);
    ChunkStart start;
    bool walked = false;
    while (chunks.Take(part.index, start, walked)) {
        TermScan scan(plan, tables, ScanMethod::Fast);
        scan.SearchChunk(chunks, part.index, start);
        if (walked && !skips.empty())
            scan.UseSkipTables(skips, false); // complete now: the walker has stopped adding marks
        part.begin = pages.size();
        ScanFault fault;
        if (!scan.Run(pages, counts, fault)) {
            chunks.Fail();
            break;
        }
        part.end = pages.size();
        parts.push_back(part);
        chunks.Searched(part.index);
    }
    roomPages = std::move(pages);
    roomCounts = std::move(counts);
}

// The scan shared by two threads in chunks (scan_chunks.h). This thread
// takes the first chunk, from the streams' start; a second thread walks its
// own cursors ahead, extending the index's skip tables (nobody else touches
// them meanwhile), offering chunk starts, and then searches chunks too.
// Chunks taken after the walk leap through the skip tables without adding
// to them. Any damage, met by either thread, makes the term scan again on
// one thread, which meets it where that scan does.
bool ScanShared(const TermPlan& plan, const PostingTables& tables, std::vector<std::uint32_t>& pages,
                std::vector<std::uint32_t>& counts, ScanFault& fault)
{
    std::size_t lead = 0;
    std::uint64_t leadBlocks = 0;
    for (std::size_t i = 0; i < plan.cursors.size(); ++i) {
        const std::uint64_t blocks = StreamBlocks(tables, plan.cursors[i].key);
        if (blocks > leadBlocks) {
            lead = i;
            leadBlocks = blocks;
        }
    }
    PostingTables ownTables = tables;
    ownTables.skipTables = nullptr;
    SharedScanRoom localRoom;
    SharedScanRoom& room = tables.sharedRoom != nullptr ? *tables.sharedRoom : localRoom;
    for (int t = 0; t < 2; ++t) {
        room.pages[t].clear();
        room.counts[t].clear();
    }
    // The walker extends the index's skip tables, found here (finding may
    // add a table); the chunks searched after the walk leap through them.
    std::vector<SkipTable*> skips;
    if (tables.skipTables != nullptr)
        for (const TermCursorPlan& cursor : plan.cursors)
            skips.push_back(&tables.skipTables->Find(cursor.key));
    ScanChunks chunks;
    std::size_t firstIndex = 0;
    ChunkStart firstStart;
    bool walked = false;
    chunks.Take(firstIndex, firstStart, walked); // the first chunk, from the streams' start
    const std::size_t before = pages.size();
    std::vector<ChunkPart> mine, theirs;
    {
        std::jthread worker([&] { // joined also if this thread throws
            try {
                TermScan walker(plan, ownTables, ScanMethod::Fast);
                if (!skips.empty())
                    walker.UseSkipTables(skips, true);
                const bool walked = walker.WalkChunks(chunks, lead, leadBlocks * kPostingBlockSize / kChunks);
                chunks.WalkDone();
                if (!walked)
                    chunks.Fail();
                else
                    SearchChunks(plan, ownTables, skips, chunks, 1, room.pages[1], room.counts[1], theirs);
            } catch (const std::exception&) {
                chunks.Fail(); // scanned again below
                chunks.WalkDone();
            }
        });
        KeepOffThisProcessor(worker.native_handle());
        TermScan first(plan, ownTables, ScanMethod::Fast);
        first.SearchChunk(chunks, firstIndex, firstStart);
        if (first.Run(pages, counts, fault)) {
            chunks.Searched(firstIndex);
            SearchChunks(plan, ownTables, skips, chunks, 0, room.pages[0], room.counts[0], mine);
        } else {
            chunks.Fail();
        }
    }
    if (chunks.Failed()) {
        pages.resize(before);
        counts.resize(before);
        TermScan scan(plan, tables, ScanMethod::Fast);
        return scan.Run(pages, counts, fault);
    }
    mine.insert(mine.end(), theirs.begin(), theirs.end());
    std::ranges::sort(mine, {}, &ChunkPart::index);
    for (const ChunkPart& part : mine) {
        const auto begin = static_cast<std::ptrdiff_t>(part.begin), end = static_cast<std::ptrdiff_t>(part.end);
        pages.insert(pages.end(), room.pages[part.thread].begin() + begin, room.pages[part.thread].begin() + end);
        counts.insert(counts.end(), room.counts[part.thread].begin() + begin, room.counts[part.thread].begin() + end);
    }
    return true;
}

} // namespace

std::uint64_t StreamBlocks(const PostingTables& tables, std::uint32_t key, std::uint64_t most)
{
    // A stream has at most as many blocks as the data: the count ends on a
    // damaged chain that loops, and where it leaves the data or the links.
    const std::uint64_t dataBlocks = (tables.data.size() + kPostingBlockSize - 1) / kPostingBlockSize;
    most = std::min(most, dataBlocks);
    std::int64_t block = tables.firstBlocks[key];
    std::uint64_t blocks = 0;
    while (blocks < most && block >= 0 && static_cast<std::uint64_t>(block) < dataBlocks &&
           static_cast<std::uint64_t>(block) < tables.links.size()) {
        ++blocks;
        block = tables.links[static_cast<std::size_t>(block)];
    }
    return blocks;
}

bool ScanTerm(const TermPlan& plan, const PostingTables& tables, std::vector<std::uint32_t>& pages,
              std::vector<std::uint32_t>& counts, ScanFault& fault, ScanMethod method)
{
    if (plan.cursors.empty() || plan.segments.empty())
        return true;
    if (method != ScanMethod::StepByStep && CanShare(plan) &&
        (method == ScanMethod::FastInTwo || (AllStreamsLarge(plan, tables) && AnotherProcessorAvailable()))) {
        return ScanShared(plan, tables, pages, counts, fault);
    }
    TermScan scan(plan, tables, method);
    return scan.Run(pages, counts, fault);
}

} // namespace vesk
