#pragma once
// The table of contents: "kav.dir" loaded into a fixed record array and a
// tree of nodes (categories, works, volumes).
//
//   kav.dir := record*                 -- no header, depth-first document order
//   record  := u16[100] name (UTF-16LE, NUL-terminated), i32 level, i32 docID,
//              i32 docNo, u16 curFileName, u16 padding      -- 216 bytes
//
// Records occupy slots 1 .. 9999 of m_records (slot 0 stays zero);
// m_nRecordCount is the next free slot. Loading stops, keeping what came
// before, at the first record that cannot be placed: a level outside 1..19,
// a level L >= 2 without an earlier record of level L - 1, a trailing partial
// record, or a 10000th record. The problem is kept in m_strProblem and sent
// as a diagnostic.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

inline constexpr std::size_t kContentsRecordSize = 216;
inline constexpr std::size_t kContentsSlots = 10000;
inline constexpr std::int32_t kContentsMaxLevel = 19;

struct ContentsRecordTag {
    std::array<char16_t, 100> name{};  // NUL-terminated inside the field
    std::int32_t level = 0;            // 1 category, 2 work, 3 volume
    std::int32_t docID = 0;            // 1-based first page of the range
    std::int32_t docNo = 0;            // pages in the range
    std::uint16_t curFileName = 0;     // page number of the range's first page

    std::u16string Name() const;
    // The page identifier of the range's first page, docID - 1; none when
    // docID is below 1 (a damaged record: no page lies before the first).
    std::optional<std::int32_t> FirstPageId() const
    {
        if (docID < 1)
            return std::nullopt;
        return docID - 1;
    }
    // Decodes one 216-byte record.
    static ContentsRecordTag FromBytes(const std::uint8_t* bytes);
};

struct ContentsNodeTag {
    std::u16string name;
    std::int32_t level = 0;
    std::int32_t docID = 0;
    std::int32_t docNo = 0;
    std::uint16_t curFileName = 0;
    ContentsNodeTag* parent = nullptr; // the root for level 1, null for the root
    ContentsNodeTag* prev = nullptr;   // volumes: previous volume of the same work
    ContentsNodeTag* next = nullptr;   // volumes: next volume of the same work
    std::vector<std::unique_ptr<ContentsNodeTag>> children; // owned, in file order

    // True when the 1-based page lies in docID .. docID + docNo - 1 (32-bit unsigned arithmetic).
    bool ContainsPage(std::uint32_t page) const
    {
        const auto first = static_cast<std::uint32_t>(docID);
        return first <= page && page <= first + static_cast<std::uint32_t>(docNo) - 1;
    }
};

// The node under which newNode is attached, searching from node: node itself
// when newNode is one level below it, otherwise the last answer found among
// its children's subtrees (null if none).
ContentsNodeTag* FindParentNode(ContentsNodeTag* node, const ContentsNodeTag& newNode);

// The first node in depth-first pre-order from node whose level, docID,
// docNo and curFileName equal the record's; null if none.
ContentsNodeTag* FindRecordNode(ContentsNodeTag* node, const ContentsRecordTag& record);

class ContentsModel {
public:
    ContentsModel();

    // Loads folder/"kav.dir" in place of whatever was loaded before. When
    // listing is given, the listing is written there when loading ends, in
    // one step (a temporary file renamed over it; empty when the contents
    // file is missing). Only a regular file is read, and only as much of it
    // as the 9999 records fill.
    // A missing or unreadable contents file reports "you delete data file!"
    // and returns false with empty contents.
    bool LoadContents(const std::filesystem::path& folder, const std::filesystem::path* listing = nullptr);

    // Empties the model as constructed: no records, only the root node. Costs
    // the records loaded, not the 10000 slots, so one model can be loaded
    // again and again cheaply.
    void Clear();

    // The listing of the loaded records, UTF-8, one line per record:
    // one tab for level 2, two for level 3, then
    // "name=%s\tdocID=%d\tdocNo=%d\tcurFileName=%d\n".
    std::string Listing() const;

    const ContentsRecordTag& Record(std::size_t slot) const { return m_records[slot]; }
    // The node of a record slot (1 .. m_nRecordCount - 1), null otherwise.
    ContentsNodeTag* NodeOfRecord(std::size_t slot) const;

    std::vector<ContentsRecordTag> m_records; // kContentsSlots slots
    std::int32_t m_nRecordCount = 1;
    std::unique_ptr<ContentsNodeTag> m_pRootNode;
    std::string m_strProblem; // why loading stopped early; empty when the file loaded whole

private:
    std::vector<ContentsNodeTag*> m_nodeOfSlot;
};

} // namespace vesk
