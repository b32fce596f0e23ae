#pragma once
// Writes the page store:
//   "-fl.h"   header: i32 number of pages, i32 name width N (100), 260-byte
//             label (ASCII, NUL-padded); then per page an entry of N + 8
//             bytes: NUL-padded name "folder\NNNN.htm", u32 end, u32 length
//   "-fl.cnt" the page bytes one after another, each XOR 0x5A
// All numbers little-endian. Both files stay below 2 GiB.
#include "builder/output_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::build {

inline constexpr std::int32_t kNameWidth = 100;
inline constexpr std::size_t kStoreHeaderSize = 268;
inline constexpr std::string_view kStoreLabel = "vesk page store 1";
inline constexpr std::uint8_t kContentKey = 0x5A;

// The stored name of a page: the folder with "\" between its components, a
// "\", the page number with at least four digits, ".htm".
std::string StorePageName(std::string_view folder, std::uint32_t pageNumber);

class PageStoreWriter {
public:
    PageStoreWriter(OutputFile& directory, OutputFile& content);

    // Adds the next page. False with an error when the name does not fit the
    // name field or the content would reach 2 GiB (faults of the page), or
    // when the content file cannot be written (then OutputFailed is true).
    bool AddPage(std::string_view name, std::string_view bytes, std::string& error);
    bool OutputFailed() const { return m_outputFailed; }
    // Writes the directory (the header value is the number of pages added).
    bool Finish(std::string& error);

private:
    bool WriteEntries(std::string& error);

    OutputFile& m_directory;
    OutputFile& m_content;
    std::vector<std::uint8_t> m_entries; // not yet written
    std::uint64_t m_entriesWritten = 0;
    std::vector<std::uint8_t> m_scrambled;
    std::uint32_t m_pages = 0;
    std::uint64_t m_end = 0;
    bool m_outputFailed = false;
};

} // namespace vesk::build
