#pragma once
// The whole-data-folder input: one byte string that stands for every file of
// a data folder, written so that small inputs describe real folders.
//
//   input := control |VESK| keys |VESK| links |VESK| postings |VESK| pageDir
//            |VESK| pages |VESK| contents |VESK| variants |VESK| keywords
//
//   control   byte 0: bits 0-1 index type (3 counts as 0); bit 2: keys is the
//             whole posting directory as it stands; bit 3: no posting data
//             file; bit 4: no page content file; bit 5: search with variants;
//             bit 6: run the check walk of vesk-tool check as well.
//             byte 1: the search target of rendering (0..2, other values kept).
//   keys      12 bytes per key: u32 key (mod 100000), i32 first block,
//             u32 last page; every other key has no postings (-1, 0).
//   links     the bytes of the block-link table, appended to the key tables.
//   postings  blocks separated by "|BLK|", each but the last NUL-padded to
//             4096 bytes (a longer piece stays as it is).
//   pageDir   Index-fl.h as it stands.
//   pages     Index-fl.cnt before scrambling (the writer XORs 0x5A).
//   contents  kav.dir, variants yitizi.txt, as they stand.
//   keywords  UTF-8, one keyword a line; terms separated by spaces.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::fuzz {

inline constexpr std::size_t kDataFolderParts = 9;
inline constexpr std::string_view kBlockMarker = "|BLK|";

enum DataFolderPart : std::size_t {
    kPartControl,
    kPartKeys,
    kPartLinks,
    kPartPostings,
    kPartPageDir,
    kPartPages,
    kPartContents,
    kPartVariants,
    kPartKeywords,
};

// The posting directory that keys and links stand for.
std::string ExpandPostingDirectory(std::string_view keys, std::string_view links);
// Replaces data with the posting data that postings stands for (data is
// reused between inputs, so its buffer is not allocated anew each time).
void ExpandPostingData(std::string_view postings, std::string& data);

// The posting directory of keys and links kept in one file between inputs:
// the 1.4 MB of key tables are written once and mapped, and each input only
// resets the keys of the one before and sets its own (stores into the
// mapping, no system call), and rewrites the links when they changed.
class PatchedDirectory {
public:
    explicit PatchedDirectory(std::filesystem::path path) : m_path(std::move(path)) {}
    ~PatchedDirectory();
    PatchedDirectory(const PatchedDirectory&) = delete;
    PatchedDirectory& operator=(const PatchedDirectory&) = delete;

    // Makes the file the directory that keys and links stand for.
    void Write(std::string_view keys, std::string_view links);
    const std::filesystem::path& path() const { return m_path; }

private:
    void Create();
    void Put(std::uint64_t offset, std::uint32_t value);

    std::filesystem::path m_path;
    int m_fd = -1;
    std::uint8_t* m_tables = nullptr; // the key tables, mapped shared
    std::vector<std::uint32_t> m_keys; // keys set by the last input
    std::string m_links;               // links written by the last input
};

// The compact forms of real files (the inverses, used to write seeds): the
// keys with postings of a directory, and data blocks with their NUL tails cut.
std::string CompactKeys(std::string_view directory);
std::string CompactPostingData(std::string_view data);

} // namespace vesk::fuzz
