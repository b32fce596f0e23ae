#pragma once
// The data builder: reads a source corpus (docs/source-corpus.md) and writes a
// complete data folder (docs/formats.md). The library behind vesk-build; the
// tests use it to make small data folders from inline text.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::build {

// One node of the contents tree, in depth-first order.
struct SourceNode {
    int level = 1;                   // 1 category, 2 work, 3 volume
    std::string name;                // UTF-8, at most 99 UTF-16 units
    std::string folder;              // volumes: store folder, components joined by '/'
    std::uint16_t firstPage = 1;     // volumes: page number of the first page
    std::vector<std::string> pages;  // volumes: page bytes (UTF-8 HTML), in page order
    int sourceLine = 0;              // line in contents.txt, for messages (0: none)
    // volumes listed by ListSourceCorpus: each page is read from its file in
    // the corpus's pageSources when it is written (pages then holds one empty
    // string per page).
    bool pagesListed = false;
};

struct SourceCorpus {
    std::vector<SourceNode> nodes;
    std::string variantTable;        // bytes of yitizi.txt (may be empty), without a byte-order mark
    std::string variantSource = "yitizi.txt"; // where the table came from, for messages
    std::vector<std::string> pageSources;      // each page's source file in store order, for messages (may be empty)
};

struct SourceOptions {
    // Read pages that are symlinks leading out of the source folder (refused
    // by default, so that a source folder cannot pull in arbitrary files).
    bool allowOutsideLinks = false;
};

// A volume folder as the source corpus allows it: components of letters,
// digits, "_", "-" and "." joined by "/", none empty, "." or "..".
bool IsValidVolumeFolder(std::string_view folder);

// Reads SOURCE_DIR into corpus. On failure returns false and sets error to one
// line naming the file and the problem. Every page name (NNNN.htm) in a
// volume folder must be a readable regular file; a FIFO, device or folder is
// refused without being read, and the pages together must fit the page store
// (below 2 GiB), checked before each page is read. A byte-order mark at the
// start of contents.txt or yitizi.txt is dropped.
bool ReadSourceCorpus(const std::filesystem::path& dir, SourceCorpus& corpus, std::string& error,
                      const SourceOptions& options = {});

// Reads a variant table file (a source's yitizi.txt or --variants FILE) into
// corpus, without its byte-order mark.
bool ReadVariantTable(const std::filesystem::path& path, SourceCorpus& corpus, std::string& error);

// As ReadSourceCorpus, with the same checks (a page's kind and size by its
// file's status), but the pages are only listed (SourceNode::pagesListed) and
// read one at a time while the data folder is written, so the builder's
// memory does not grow with the corpus.
bool ListSourceCorpus(const std::filesystem::path& dir, SourceCorpus& corpus, std::string& error,
                      const SourceOptions& options = {});

// Reads a listed page file as ReadSourceCorpus would; false with a one-line
// error naming it.
bool ReadPageFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

struct BuildReport {
    std::vector<std::string> warnings; // one line each, e.g. a page without its text cell
    std::uint32_t pages = 0;
    std::uint64_t wholeChars = 0, mainChars = 0, annotationChars = 0; // indexed positions with a key
    std::uint64_t apparentBytes = 0, diskBytes = 0;                    // the written data folder
    std::size_t spilledRuns = 0;     // sorted runs of posting data written to disk and merged
    std::size_t pairRuns = 0;        // sorted runs of pair places (one a layer and buffer)
};

using ProgressFn = std::function<void(const std::string& stage, double fraction)>;

struct WriteOptions {
    // Deal the 4096-byte blocks of all posting streams out round by round
    // instead of giving each stream consecutive blocks: every multi-block
    // stream is then chained through non-adjacent blocks. Same postings, a
    // harder test for readers.
    bool interleaveBlocks = false;
    // The caller already holds outDir's writer lock (fileio/folder_lock.h);
    // otherwise WriteDataFolder takes it and fails when another writer has it.
    bool callerHoldsLock = false;
    // Memory for the buffers of the posting streams (half) and the pair
    // places (half) of all layers. When a buffer is full, its contents are
    // written as a sorted run into a folder under the output and merged at
    // the end, so the builder's memory stays bounded whatever the corpus; the
    // files written are the same whatever the size.
    std::uint64_t bufferBytes = std::uint64_t{256} << 20;
};

// The names of the files of a data folder, in the order they are written.
const std::vector<std::string>& DataFileNames();

// Writes the data folder into outDir (which must exist), as its only writer.
// Every file is written under a temporary name, and all are switched into
// place as one generation (datafolder/data_folder_switch.h) only when all
// are complete, so a failure before the switch leaves the folder's data files
// as they were; leftovers of an interrupted build are removed first.
// Returns false with a one-line error on a format limit or an I/O failure.
bool WriteDataFolder(const SourceCorpus& corpus, const std::filesystem::path& outDir,
                     BuildReport& report, std::string& error, const ProgressFn& progress = {},
                     const WriteOptions& options = {});

} // namespace vesk::build
