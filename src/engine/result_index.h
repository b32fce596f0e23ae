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
        AddAll(pages);
    }

    std::size_t Find(std::uint32_t page) const
    {
        if (m_bSparse) {
            const auto it = m_sparse.find(page);
            return it == m_sparse.end() ? kNone : it->second;
        }
        return page < m_dense.size() ? m_dense[page] : kNone;
    }

    // Records index for page unless the page has an entry already.
    void Add(std::uint32_t page, std::size_t index)
    {
        if (!m_bSparse && page >= m_dense.size())
            Grow(page);
        if (m_bSparse) {
            m_sparse.try_emplace(page, index);
        } else if (m_dense[page] == kNone) {
            m_dense[page] = index;
        }
    }

    // Forgets the entries of pages.
    void Remove(std::span<const std::uint32_t> pages)
    {
        for (std::uint32_t page : pages) {
            if (m_bSparse)
                m_sparse.erase(page);
            else if (page < m_dense.size())
                m_dense[page] = kNone;
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
    // serves them. A page identifier past kDenseLimit (damaged data) moves
    // the index to a hash map for good.
    static constexpr std::uint32_t kDenseLimit = 1u << 22;

    void Grow(std::uint32_t page)
    {
        if (page >= kDenseLimit) {
            for (std::size_t p = 0; p < m_dense.size(); ++p)
                if (m_dense[p] != kNone)
                    m_sparse.emplace(static_cast<std::uint32_t>(p), m_dense[p]);
            m_dense = {};
            m_bSparse = true;
            return;
        }
        const std::size_t wanted = std::max<std::size_t>(std::size_t{page} + 1, m_dense.size() * 2);
        m_dense.resize(std::min<std::size_t>(wanted, kDenseLimit), kNone);
    }

    bool m_bCurrent = true;
    bool m_bSparse = false;
    std::vector<std::size_t> m_dense;
    std::unordered_map<std::uint32_t, std::size_t> m_sparse;
};

} // namespace vesk
