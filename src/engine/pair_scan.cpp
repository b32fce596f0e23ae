#include "engine/pair_scan.h"

#include "engine/lists_in_block.h"
#include "engine/variant_table.h"
#include "textstore/code_converter.h"

#include <algorithm>
#include <cstring>

namespace vesk {
namespace {

// One pair's stream read record by record. Every read is checked against
// the stream's bytes; a record that contradicts the format (pages not
// ascending, a list running past the stream, a mark that names another
// page) makes the cursor damaged, and the caller gives the term back to
// the posting streams.
class PairCursor {
public:
    explicit PairCursor(const PairStream& stream)
        : m_stream(stream), m_at(stream.records.data()), m_end(stream.records.data() + stream.records.size())
    {
    }

    // Reads the next record; false on damage. After the last record the
    // cursor is finished.
    bool Next()
    {
        if (m_nNext == m_stream.recordCount) {
            m_bFinished = true;
            return true;
        }
        // Every stride-th record starts its pages again from 0; a countdown
        // finds them without dividing on every record.
        const bool restart = m_nToRestart == 0;
        std::uint32_t delta = 0, length = 0;
        if (!ReadPairLeb128Two(m_at, m_end, delta, length))
            return false;
        const std::uint32_t base = restart ? 0 : m_nPage;
        if (base > UINT32_MAX - delta || (m_nNext > 0 && base + delta <= m_nPage) ||
            length > static_cast<std::size_t>(m_end - m_at) || length == 0)
            return false;
        m_nPage = base + delta;
        m_list = {m_at, m_at + length};
        m_at += length;
        if (restart) {
            m_nToRestart = m_stream.markStride - 1;
            if (m_nNext > 0)
                ++m_nMarkAfter;
        } else {
            --m_nToRestart;
        }
        ++m_nNext;
        return true;
    }

    // Moves on to the first record at or after target (or to the end);
    // false on damage. Leaps to the last mark at or before target when one
    // lies ahead.
    bool AdvanceTo(std::uint32_t target)
    {
        if (m_bFinished || m_nPage >= target)
            return true;
        // One leap at most: after it (or when the first mark ahead already
        // lies beyond target) no mark the walk passes lies at or before target.
        if (Leap(target)) {
            if (m_bDamaged)
                return false;
        } else if (!Next()) {
            return false;
        }
        while (!m_bFinished && m_nPage < target)
            if (!Next())
                return false;
        return true;
    }

    bool Finished() const { return m_bFinished; }
    std::uint32_t Page() const { return m_nPage; }
    ListInBlock List() const { return m_list; }
    std::uint32_t Records() const { return m_stream.recordCount; }

private:
    std::uint32_t MarkPage(std::size_t k) const
    {
        std::uint32_t page = 0;
        std::memcpy(&page, m_stream.marks.data() + 8 * (k - 1), 4);
        return page;
    }

    // Leaps to the last mark k (record k * stride) after the current record
    // whose page is at most target; true when it has read that record.
    bool Leap(std::uint32_t target)
    {
        const std::size_t marks = m_stream.marks.size() / 8;
        std::size_t k = m_nMarkAfter;
        if (k > marks || MarkPage(k) > target)
            return false;
        std::size_t step = 1;
        while (k + step <= marks && MarkPage(k + step) <= target) {
            k += step;
            step *= 2;
        }
        std::size_t high = std::min(k + step, marks + 1); // MarkPage(high) > target, or past the marks
        while (high - k > 1) {
            const std::size_t mid = k + (high - k) / 2;
            if (MarkPage(mid) <= target)
                k = mid;
            else
                high = mid;
        }
        std::uint32_t offset = 0;
        std::memcpy(&offset, m_stream.marks.data() + 8 * (k - 1) + 4, 4);
        const std::uint32_t page = MarkPage(k);
        if (offset > m_stream.records.size() || k * std::uint64_t{m_stream.markStride} >= m_stream.recordCount) {
            m_bDamaged = true;
            return true;
        }
        m_at = m_stream.records.data() + offset;
        m_nNext = static_cast<std::uint32_t>(k * m_stream.markStride);
        m_nToRestart = 0;
        m_nMarkAfter = k; // reading record k * stride moves it on to k + 1
        if (!Next() || m_nPage != page)
            m_bDamaged = true;
        return true;
    }

    PairStream m_stream;
    const std::uint8_t* m_at;
    const std::uint8_t* m_end;
    ListInBlock m_list;
    std::uint32_t m_nNext = 0; // the record Next reads
    std::uint32_t m_nToRestart = 0; // records before the next one that starts from page 0
    std::size_t m_nMarkAfter = 1;   // the first mark after the current record
    std::uint32_t m_nPage = 0;
    bool m_bFinished = false;
    bool m_bDamaged = false;
};

// The number of positions in a list; false when a number runs past it.
bool CountList(ListInBlock list, std::uint32_t& count)
{
    count = 0;
    while (list.HasMore()) {
        std::uint32_t value = 0;
        if (!list.Read(value))
            return false;
        ++count;
    }
    return true;
}

// The pair streams that one covering pair of a phrase searched with variants
// stands for: every pair (a, b) of a character a whose key is the first
// cursor's and a character b whose key is the second's. Read together page
// by page as one stream: on a page where several stand, their lists are
// merged (two pairs cannot start at the same position, which holds one
// character) and written out again in the lists' own number format, so the
// phrase search reads them as it reads one pair's list.
class PairUnion {
public:
    void Add(const PairStream& stream) { m_parts.emplace_back(stream); }
    bool Empty() const { return m_parts.empty(); }

    bool Next()
    {
        for (PairCursor& part : m_parts)
            if (!part.Next())
                return false;
        Settle();
        return true;
    }
    bool AdvanceTo(std::uint32_t target)
    {
        for (PairCursor& part : m_parts)
            if (!part.Finished() && !part.AdvanceTo(target))
                return false;
        Settle();
        return true;
    }
    bool Finished() const { return m_bFinished; }
    std::uint32_t Page() const { return m_nPage; }
    std::uint64_t Records() const
    {
        std::uint64_t records = 0;
        for (const PairCursor& part : m_parts)
            records += part.Records();
        return records;
    }

    // The page's list; false when a list standing there is damaged or the
    // merged list cannot be written in the number format.
    bool List(ListInBlock& list)
    {
        std::size_t standing = 0;
        for (const PairCursor& part : m_parts) {
            if (!part.Finished() && part.Page() == m_nPage) {
                list = part.List();
                ++standing;
            }
        }
        if (standing == 1)
            return true;
        m_positions.clear();
        for (const PairCursor& part : m_parts) {
            if (part.Finished() || part.Page() != m_nPage)
                continue;
            ListInBlock each = part.List();
            std::uint32_t position = 0;
            for (bool first = true; each.HasMore(); first = false) {
                std::uint32_t value = 0;
                if (!each.Read(value) || (!first && value == 0) || position > UINT32_MAX - value)
                    return false;
                position += value;
                m_positions.push_back(position);
            }
        }
        std::sort(m_positions.begin(), m_positions.end());
        m_bytes.clear();
        std::uint32_t previous = 0;
        for (std::size_t i = 0; i < m_positions.size(); ++i) {
            if (i > 0 && m_positions[i] == previous)
                return false; // two pairs at one position: not a sound folder
            const std::uint32_t value = m_positions[i] - previous;
            previous = m_positions[i];
            if (value < 0x80) {
                m_bytes.push_back(static_cast<std::uint8_t>(value));
            } else if (value < 0x4000) {
                m_bytes.push_back(static_cast<std::uint8_t>(0x80 | value >> 8));
                m_bytes.push_back(static_cast<std::uint8_t>(value));
            } else if (value < 0x400000) {
                m_bytes.push_back(static_cast<std::uint8_t>(0xC0 | value >> 16));
                m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
                m_bytes.push_back(static_cast<std::uint8_t>(value));
            } else {
                return false;
            }
        }
        list = {m_bytes.data(), m_bytes.data() + m_bytes.size()};
        return true;
    }

private:
    // The union stands on the earliest page any part stands on.
    void Settle()
    {
        m_bFinished = true;
        m_nPage = UINT32_MAX;
        for (const PairCursor& part : m_parts) {
            if (part.Finished())
                continue;
            m_bFinished = false;
            m_nPage = std::min(m_nPage, part.Page());
        }
    }

    std::vector<PairCursor> m_parts;
    std::uint32_t m_nPage = 0;
    bool m_bFinished = true;
    std::vector<std::uint32_t> m_positions;
    std::vector<std::uint8_t> m_bytes;
};

bool ListOf(PairCursor& cursor, ListInBlock& list)
{
    list = cursor.List();
    return true;
}

bool ListOf(PairUnion& cursor, ListInBlock& list)
{
    return cursor.List(list);
}

// Aligns the covering pairs' cursors page by page, the rarest leading, and
// counts the phrase's places where all stand. bases[i] is the number of term
// positions after cursor i's pair. False when a stream turns out damaged
// (pages and counts then as they were).
template <class Cursor>
bool ScanCovering(std::vector<Cursor>& cursors, const std::vector<std::uint32_t>& bases,
                  std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts)
{
    std::vector<std::size_t> order(cursors.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::ranges::sort(order, [&](std::size_t a, std::size_t b) { return cursors[a].Records() < cursors[b].Records(); });

    // Pages found go straight into the caller's arrays (a keyword search
    // reuses their room); a stream found damaged takes them out again.
    const std::size_t before = pages.size();
    const auto fail = [&] {
        pages.resize(before);
        counts.resize(before);
        return false;
    };
    std::vector<ListInBlock> lists(cursors.size());
    std::vector<std::uint32_t> aligned(cursors.size());
    for (Cursor& cursor : cursors)
        if (!cursor.Next())
            return fail();
    std::uint32_t target = 0;
    for (;;) {
        bool same = true;
        for (std::size_t i : order) {
            Cursor& cursor = cursors[i];
            if (!cursor.AdvanceTo(target))
                return fail();
            if (cursor.Finished())
                return true;
            if (cursor.Page() != target) {
                target = cursor.Page();
                same = false;
            }
        }
        if (!same)
            continue;
        for (std::size_t i = 0; i < cursors.size(); ++i)
            if (!ListOf(cursors[i], lists[i]))
                return fail();
        std::uint32_t places = 0;
        if (cursors.size() == 1) {
            if (!CountList(lists[0], places))
                return fail();
        } else {
            const InBlockResult result = SearchPhraseInBlock(lists, bases, aligned);
            if (result.damaged)
                return fail();
            places = result.places;
        }
        if (places > 0) {
            pages.push_back(target);
            counts.push_back(places);
        }
        if (target == UINT32_MAX)
            break;
        target += 1;
    }
    return true;
}

// The character keys a cursor's key stands for: itself for a character, the
// members whose first group it is for a variant group's key. Empty when a
// group key names no group or a member has no key.
std::vector<std::uint32_t> MembersOfKey(std::uint32_t key, const VariantTable& variants)
{
    if (key < static_cast<std::uint32_t>(kCharacterSlots))
        return {key};
    std::vector<std::uint32_t> members;
    const VariantGroups& groups = variants.Groups();
    if (key < kFirstVariantKey || key - kFirstVariantKey >= groups.size())
        return members;
    for (const std::uint32_t codePoint : groups[key - kFirstVariantKey]) {
        std::uint32_t first = 0;
        const std::int32_t slot = CodePointToSlot(codePoint);
        if (slot < 0 || !variants.FindKey(codePoint, first) || first != key)
            continue; // no key of its own, or counted with an earlier group
        if (std::find(members.begin(), members.end(), static_cast<std::uint32_t>(slot)) == members.end())
            members.push_back(static_cast<std::uint32_t>(slot));
    }
    return members;
}

} // namespace

bool ScanPhraseByPairs(const TermPlan& plan, const PairIndex& pairs, const VariantTable& variants,
                       std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts)
{
    const std::size_t n = plan.cursors.size();
    if (!pairs.IsOpen() || n < 2 || plan.segments.size() != 1 || plan.termPositions != n)
        return false;
    bool grouped = false;
    for (const TermCursorPlan& cursor : plan.cursors)
        grouped = grouped || cursor.key >= static_cast<std::uint32_t>(kCharacterSlots);
    // Pairs at term positions 0, 2, 4, ... and the last one for an odd length.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i + 1 < n; i += 2)
        starts.push_back(i);
    if (n % 2 == 1)
        starts.push_back(n - 2);
    std::vector<std::uint32_t> bases;
    for (std::size_t i : starts)
        bases.push_back(static_cast<std::uint32_t>(n - 1 - i));
    if (!grouped) {
        std::vector<PairKeys> keys;
        for (std::size_t i : starts)
            keys.push_back({plan.cursors[i].key, plan.cursors[i + 1].key});
        std::vector<PairStream> streams(keys.size());
        if (!pairs.FindAll(keys, streams))
            return false;
        std::vector<PairCursor> cursors;
        for (const PairStream& stream : streams)
            cursors.emplace_back(stream);
        return ScanCovering(cursors, bases, pages, counts);
    }
    // With variant groups, each covering pair stands for the pairs of its
    // groups' members. A pair the file does not list never occurs, once the
    // list of its first key is known sound (its key checksum holds, checked
    // once for the term); a file without key checksums, a list that fails
    // its checksum or a damaged stream leaves the term to the posting
    // streams.
    if (!pairs.HasKeyChecksums())
        return false;
    constexpr std::size_t kMostPairsPerCover = 256;
    std::vector<std::uint32_t> soundKeys;
    const auto absenceHolds = [&](std::uint32_t a) {
        if (std::find(soundKeys.begin(), soundKeys.end(), a) != soundKeys.end())
            return true;
        if (!pairs.KeyListIsSound(a))
            return false;
        soundKeys.push_back(a);
        return true;
    };
    std::vector<PairUnion> cursors(starts.size());
    bool none = false;
    for (std::size_t c = 0; c < starts.size(); ++c) {
        const std::vector<std::uint32_t> first = MembersOfKey(plan.cursors[starts[c]].key, variants);
        const std::vector<std::uint32_t> second = MembersOfKey(plan.cursors[starts[c] + 1].key, variants);
        if (first.empty() || second.empty() || first.size() * second.size() > kMostPairsPerCover)
            return false;
        for (const std::uint32_t a : first) {
            for (const std::uint32_t b : second) {
                PairStream stream;
                const PairIndex::PairLookup found = pairs.Lookup(a, b, stream);
                if (found == PairIndex::PairLookup::Damaged ||
                    (found == PairIndex::PairLookup::Absent && !absenceHolds(a)))
                    return false;
                if (found == PairIndex::PairLookup::Found)
                    cursors[c].Add(stream);
            }
        }
        none = none || cursors[c].Empty();
    }
    if (none)
        return true; // a covering pair that never occurs: the phrase does not either
    return ScanCovering(cursors, bases, pages, counts);
}

} // namespace vesk
