#pragma once
// The page store: a directory file ("-fl.h") and a content file ("-fl.cnt").
//
//   directory := header entry*
//   header    := i32 headerValue, i32 N (name width, 1..260), byte[260] (kept, unused)
//   entry     := byte[N] fileName (NUL-padded), u32 end, u32 length   -- at 268 + i*(N+8)
//   content   := the pages' bytes, each XOR 0x5A; page i is [end-length, end)
//
// All numbers little-endian. Nothing is cached between calls: every operation
// reads the fields it needs with positioned reads. Every entry is checked
// against the files before use: an index at or past the end of the directory,
// an entry whose bytes fall outside the content file or whose length exceeds
// it gives false, never a wild read or a huge allocation.
#include "textstore/read_only_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vesk {

class HitPageWriter;

class CFileList {
public:
    static constexpr std::uint32_t kHeaderSize = 268;
    static constexpr std::int32_t kMaxNameWidth = 260;
    static constexpr std::uint8_t kContentKey = 0x5A;
    static constexpr std::int64_t kMaxFileSize = 0x7FFFFFFF; // offsets are 32-bit

    CFileList() = default;
    CFileList(const CFileList&) = delete;
    CFileList& operator=(const CFileList&) = delete;
    ~CFileList() { Close(); }

    // Opens folder/baseName + "-fl.h" and "-fl.cnt" and reads the header.
    // Fails (and leaves the list closed) when a file is missing, a file is
    // 2 GiB or larger, the directory is shorter than its header, or the name
    // width is outside 1..260. Shows no message; the caller does.
    bool Open(const std::filesystem::path& folder, std::string_view baseName);
    void Close();
    bool IsOpen() const { return m_bOpen; }

    std::int32_t GetHeaderValue() const { return m_nHeaderValue; }
    std::int32_t GetNameWidth() const { return m_nNameWidth; }

    // Number of whole entries in the directory (0 when closed).
    std::uint32_t GetRecordCount() const;

    // The stored length of page index. False when closed or the entry is bad;
    // length is then untouched.
    bool GetRecordLength(std::uint32_t index, std::uint32_t& length) const;

    // Reads page index (un-scrambled) into buffer, which must hold its length.
    // False when closed, the entry is bad, the buffer is too small or a read fails.
    bool ReadRecord(std::uint32_t index, std::span<char> buffer) const;
    // The same, into a string sized to the page.
    bool ReadRecord(std::uint32_t index, std::string& page) const;

    // Scans entries from start onward for the first whose name carries
    // pageNumber. found is set to each entry's index before it is examined;
    // on failure it is the last entry examined (start - 1 if none).
    bool FindRecordByNumber(std::int32_t start, std::int32_t pageNumber, std::int32_t& found) const;

    // The hit page of page index: keywords (separated by U+0020 or U+3000)
    // marked in its text cell as target asks (hit_page.h). Returns the number
    // of anchors written; 0 with page untouched when the list is closed, the
    // entry cannot be read, or keywords holds no keyword.
    std::int32_t RenderHitPage(std::uint32_t index, std::string& page, std::u16string_view keywords,
                               std::int32_t target) const;
    // The same with the keywords handed to the writer by addKeywords.
    std::int32_t RenderHitPage(std::uint32_t index, std::string& page,
                               const std::function<void(HitPageWriter&)>& addKeywords,
                               std::int32_t target) const;

    // The NUL-terminated name of entry index; false when closed or out of range.
    bool ReadFileName(std::uint32_t index, std::string& name) const;

    // The bounds of entry index as stored: end and length, unchecked against the content.
    bool ReadEntryBounds(std::uint32_t index, std::uint32_t& end, std::uint32_t& length) const;

    // Size of the content file (-1 when closed).
    std::int64_t GetContentSize() const { return m_fileContent.Size(); }

    // The page number a file name carries: the digits between its last
    // backslash and the last dot after it, read as atoi reads them (clamped
    // to the 32-bit range). None without such a backslash and dot.
    static std::optional<std::int32_t> PageNumberFromName(std::string_view name);

    std::int32_t m_nHeaderValue = 0;
    std::int32_t m_nNameWidth = 100;
    bool m_bOpen = false;

private:
    std::uint64_t EntryOffset(std::uint32_t index) const;
    bool ReadCheckedBounds(std::uint32_t index, std::uint32_t& end, std::uint32_t& length) const;
    // Reads entry index in one read (its name into name when not null) and
    // checks its bounds against the content file, as ReadCheckedBounds does.
    bool ReadCheckedEntry(std::uint32_t index, std::string* name, std::uint32_t& end, std::uint32_t& length) const;
    // Reads and decodes the content bytes of checked bounds into page.
    bool ReadContent(std::uint32_t end, std::uint32_t length, std::string& page) const;
    // A page and its entry's name with one read of the entry (hit pages).
    bool ReadRecordAndName(std::uint32_t index, std::string& page, std::string& name) const;

    ReadOnlyFile m_fileDir;
    ReadOnlyFile m_fileContent;
};

} // namespace vesk
