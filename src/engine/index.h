#pragma once
// CIndex: one variant of the full-text index, the variant groups, the page
// store and the result arrays of the last search.
//
//   posting directory ("-idx.h"), little-endian, mapped read-only:
//     0        i32[100000] first block of each key's stream, -1 = no postings
//     400000   u16[100000] reserved (never read)
//     600000   u32[100000] reserved (never read)
//     1000000  u32[100000] page identifier of the last record of each key's stream
//     1400000  u32[L]      block links, L = (size - 1400000) / 4
//   posting data ("-idx.m"): 4096-byte blocks, mapped read-only (posting_stream.h).
//
// Keys: CodePointToSlot for characters (0..84148), 88065 + g for variant group g.
// Corrupt data is rejected, never read past: a directory shorter than its
// tables fails Open with the message; a first block, link or key outside the
// tables or the mapped data ends that term with no hits and a diagnostic.
// A closed index finds nothing.
#include "engine/mapped_file.h"
#include "engine/page_count_index.h"
#include "engine/pair_index.h"
#include "engine/result_index.h"
#include "engine/skip_table.h"
#include "engine/term_search.h"
#include "engine/variant_table.h"
#include "textstore/file_list.h"
#include "textstore/hit_page.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

inline constexpr std::uint32_t kIndexKeys = 100000;
inline constexpr std::uint64_t kIndexTablesSize = 1400000;

// Index types of Open.
inline constexpr int kIndexWhole = 0;
inline constexpr int kIndexAnnotations = 1;
inline constexpr int kIndexMain = 2;

// Modes of SearchTerm.
inline constexpr int kSearchReplace = 0;
inline constexpr int kSearchUnite = 1;
inline constexpr int kSearchIntersect = 2;

class CIndex {
public:
    CIndex() = default;
    CIndex(const CIndex&) = delete;
    CIndex& operator=(const CIndex&) = delete;
    virtual ~CIndex() { Close(); }

    // Opens the index files of type (0 whole text, 1 annotations "_desc",
    // 2 main text "_content") in folder, the page store of the plain base
    // name and the variant table (parsed at its first use). Returns 1, or 0
    // after reporting "データを開けませんでした。" with the index left closed.
    // Closes first.
    int Open(const std::filesystem::path& folder, std::string_view baseName, int type);
    void Close();
    bool IsOpen() const { return m_bOpen; }

    // Variant groups: every Open opens folder/"yitizi.txt" again and the
    // first lookup parses it; LoadVariants parses at once.
    bool LoadVariants(const std::filesystem::path& folder) { return m_variantGroups.Load(folder); }
    bool FindVariantKey(std::uint32_t codePoint, std::uint32_t& key) const
    {
        return m_variantGroups.FindKey(codePoint, key);
    }

    // Keyword search (keyword_search.cpp). Terms are separated by U+0020;
    // both write U+3000 over every U+0020 of keyword. They return at once,
    // results untouched, when CheckKeyword rejects the keyword.
    static int CheckKeyword(std::u16string_view keyword);
    int SearchAnd(std::u16string& keyword, bool useVariants);
    int SearchOr(std::u16string& keyword, bool useVariants);
    int SearchTerm(std::u16string_view term, int mode, bool useVariants);
    // How terms are scanned (term_search.h); both methods give the same
    // results, the step-by-step one serves as the yardstick.
    void SetScanMethod(ScanMethod method) { m_scanMethod = method; }

    // Page access, forwarded to the page store.
    std::int32_t GetHeaderValue() const { return m_fileList.GetHeaderValue(); }
    bool GetRecordLength(std::uint32_t pageId, std::uint32_t& length) const
    {
        return m_fileList.GetRecordLength(pageId, length);
    }
    bool ReadRecord(std::uint32_t pageId, std::span<char> buffer) const
    {
        return m_fileList.ReadRecord(pageId, buffer);
    }
    bool ReadRecord(std::uint32_t pageId, std::string& page) const { return m_fileList.ReadRecord(pageId, page); }
    bool FindRecordByNumber(std::int32_t start, std::int32_t pageNumber, std::int32_t& found) const
    {
        return m_fileList.FindRecordByNumber(start, pageNumber, found);
    }

    // Hit pages (index_render.cpp). The page of pageId with keyword marked as
    // target asks (0 whole text, 1 main text, 2 annotations); with
    // useVariants every variant spelling of the keyword is marked
    // (variant_expansion.h). Returns the number of anchors; 0 with page
    // untouched when the page store is closed or the keyword is empty.
    std::int32_t RenderHitPage(std::uint32_t pageId, std::string& page, std::u16string_view keyword,
                               std::int32_t target, bool useVariants) const;
    // The same page, with every hit told to observer as its pass marks it
    // (HitPageWriter::SetHitObserver), and its marked text cell copied to
    // textCell when given (left alone when nothing was rendered).
    std::int32_t RenderHitPage(std::uint32_t pageId, std::string& page, std::u16string_view keyword,
                               std::int32_t target, bool useVariants, const HitObserver& observer,
                               std::string* textCell = nullptr) const;
    // The variant spellings of keyword (at most kMaxVariantSpellings).
    std::vector<std::u16string> ExpandVariants(std::u16string_view keyword) const;

    // The layer's pair index ("-idx.pairs", pair_index.h), open when it
    // belongs to the folder's build; phrases are then found from it.
    const PairIndex& Pairs() const { return m_pairs; }
    // The layer's page-count index ("-idx.counts", page_count_index.h), open
    // when it belongs to the folder's build; terms of one character are then
    // answered from it.
    const PageCountIndex& PageCounts() const { return m_pageCounts; }

    // Read-only views for checking and tools.
    std::span<const std::int32_t> FirstBlocks() const { return m_firstBlocks; }
    std::span<const std::uint32_t> LastPages() const { return m_lastPages; }
    std::span<const std::uint32_t> BlockLinks() const { return m_blockLinks; }
    std::span<const std::uint8_t> PostingData() const { return m_dataMap.Bytes(); }
    const CFileList& FileList() const { return m_fileList; }
    const VariantTable& Variants() const { return m_variantGroups; }

    CFileList m_fileList;

    std::vector<std::uint32_t> m_arrPages;    // result pages of the last search
    std::vector<std::uint32_t> m_arrCounts;   // places on each, parallel to m_arrPages
    std::int32_t m_nResults = 0;

    VariantTable m_variantGroups;

private:
    bool LoadDirectory(const std::filesystem::path& path);
    // SearchAnd (intersect) and SearchOr (not): each distinct term is
    // searched once, its counts taken as often as it occurs.
    int SearchKeyword(std::u16string& keyword, bool useVariants, bool intersect);
    // Searches term and combines its pages into the result arrays by mode,
    // each count taken repeats times; index mirrors the arrays. False when
    // the term has nothing to search (no cursors, or beyond the limits).
    bool CombineTerm(std::u16string_view term, int mode, bool useVariants, std::uint32_t repeats,
                     ResultIndex& index);
    // Takes the term's arrays (a first term's become the results as they are).
    void Combine(std::vector<std::uint32_t>&& pages, std::vector<std::uint32_t>&& counts, int mode,
                 std::uint32_t repeats, ResultIndex& index);
    void ReserveForUnion(std::size_t added, std::size_t termPages);

    // The posting directory, mapped while open (mapped_file.h), and its
    // tables in place: kIndexKeys first blocks and last pages, then the
    // block links. All empty while closed.
    MappedFile m_directoryMap;
    std::span<const std::int32_t> m_firstBlocks;
    std::span<const std::uint32_t> m_lastPages;
    std::span<const std::uint32_t> m_blockLinks;
    MappedFile m_dataMap;
    PairIndex m_pairs; // optional: closed when absent, stale or not valid
    PageCountIndex m_pageCounts; // optional, as m_pairs
    SkipTables m_skipTables; // made as searches need them, dropped by Close
    // Working room of a keyword search, kept for its capacity only: each
    // search starts them empty (stale).
    std::vector<std::uint32_t> m_termPages, m_termCounts;
    SharedScanRoom m_sharedScanRoom;
    ResultIndex m_resultIndex;
    AscendingRuns m_unionRuns; // room reused from search to search
    ScanMethod m_scanMethod = ScanMethod::Fast;
    bool m_bOpen = false;
};

} // namespace vesk
