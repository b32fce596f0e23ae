#pragma once
// Page -> index of its first entry in the result arrays of a search. A
// keyword search keeps one in step with the arrays from term to term, so
// combining a term costs time in proportion to the pages involved rather
// than to the largest page identifier or the whole result so far.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace vesk {

class ResultIndex {
public:
    static constexpr std::size_t kNone = SIZE_MAX;

    // An index stays stale from MarkStale until Rebuild: the arrays were
    // replaced wholesale, and a search of one term never needs the index.
    bool IsCurrent() const { return m_bCurrent; }
    void MarkStale() { m_bCurrent = false; }
    void Rebuild(std::span<const std::uint32_t> pages)
    {
        m_bSparse = false;
        m_sparse.clear();
        m_dense.clear();
        m_bCurrent = true;
        MakeRoom(pages);
        AddAll(pages);
    }

    // Sizes the table at once for the pages about to be added: grown page
    // by page it would copy itself into fresh memory on every doubling, and
    // the first search of a process pays a page fault for every fresh 4 KiB.
    void MakeRoom(std::span<const std::uint32_t> pages)
    {
        if (m_bSparse || pages.empty())
            return;
        const std::uint32_t highest = *std::ranges::max_element(pages);
        if (highest >= m_dense.size())
            Grow(highest, false);
    }

    std::size_t Find(std::uint32_t page) const
    {
        if (m_bSparse) {
            const auto it = m_sparse.find(page);
            return it == m_sparse.end() ? kNone : it->second;
        }
        return page < m_dense.size() && m_dense[page] != kDenseNone ? m_dense[page] : kNone;
    }

    // Records index for page unless the page has an entry already.
    void Add(std::uint32_t page, std::size_t index)
    {
        if (!m_bSparse && (page >= m_dense.size() || index >= kDenseNone))
            Grow(index >= kDenseNone ? kDenseLimit : page, true);
        if (m_bSparse) {
            m_sparse.try_emplace(page, index);
        } else if (m_dense[page] == kDenseNone) {
            m_dense[page] = static_cast<std::uint32_t>(index);
        }
    }

    // Forgets the entries of pages.
    void Remove(std::span<const std::uint32_t> pages)
    {
        for (std::uint32_t page : pages) {
            if (m_bSparse)
                m_sparse.erase(page);
            else if (page < m_dense.size())
                m_dense[page] = kDenseNone;
        }
    }

    // Indexes pages as the whole result arrays.
    void AddAll(std::span<const std::uint32_t> pages)
    {
        for (std::size_t i = 0; i < pages.size(); ++i)
            Add(pages[i], i);
    }

private:
    // Page identifiers are below the page count in sound data: a dense table
    // of 32-bit indexes serves them. A page identifier past kDenseLimit
    // (damaged data), or an index that does not fit, moves the index to a
    // hash map for good.
    static constexpr std::uint32_t kDenseLimit = 1u << 22;
    static constexpr std::uint32_t kDenseNone = UINT32_MAX;

    // Room for page: doubling when pages come one by one, exactly when the
    // highest page is known beforehand, with a quarter more reserved (and
    // left untouched) for the next term's pages.
    void Grow(std::uint32_t page, bool doubling)
    {
        if (page >= kDenseLimit) {
            for (std::size_t p = 0; p < m_dense.size(); ++p)
                if (m_dense[p] != kDenseNone)
                    m_sparse.emplace(static_cast<std::uint32_t>(p), m_dense[p]);
            m_dense = {};
            m_bSparse = true;
            return;
        }
        const std::size_t wanted = std::min<std::size_t>(
            std::max<std::size_t>(std::size_t{page} + 1, doubling ? m_dense.size() * 2 : 0), kDenseLimit);
        if (wanted > m_dense.capacity())
            m_dense.reserve(std::min<std::size_t>(wanted + wanted / 4, kDenseLimit));
        m_dense.resize(wanted, kDenseNone);
    }

    bool m_bCurrent = true;
    bool m_bSparse = false;
    std::vector<std::uint32_t> m_dense;
    std::unordered_map<std::uint32_t, std::size_t> m_sparse;
};

// The result arrays of an "or" seen as their strictly ascending runs, each
// searched by a cursor that only moves forward: the pages of a term, asked
// for in ascending order, are found by one merge per run, without a map.
class AscendingRuns {
public:
    static constexpr std::size_t kNone = SIZE_MAX;
    // Beyond this many runs the map serves better.
    static constexpr std::size_t kMostRuns = 16;

    // Splits pages into their runs and rewinds; false when there are more
    // than kMostRuns.
    bool Split(std::span<const std::uint32_t> pages)
    {
        m_starts.clear();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0 && pages[i] > pages[i - 1])
                continue;
            if (m_starts.size() == kMostRuns)
                return false;
            m_starts.push_back(i);
        }
        m_starts.push_back(pages.size());
        Rewind();
        return true;
    }

    void Rewind() { m_at.assign(m_starts.begin(), m_starts.end() - 1); }

    // The first entry of pages (the arrays split) equal to page, or kNone.
    // The pages asked for since the last Rewind must ascend.
    std::size_t Find(std::span<const std::uint32_t> pages, std::uint32_t page)
    {
        for (std::size_t r = 0; r < m_at.size(); ++r) {
            std::size_t& at = m_at[r];
            const std::size_t end = std::min(m_starts[r + 1], pages.size());
            while (at < end && pages[at] < page)
                ++at;
            if (at < end && pages[at] == page)
                return at;
        }
        return kNone;
    }

private:
    std::vector<std::size_t> m_starts; // of every run, then the end
    std::vector<std::size_t> m_at;     // each run's cursor
};

} // namespace vesk
