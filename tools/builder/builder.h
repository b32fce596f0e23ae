#pragma once
// The data builder: reads a source corpus (docs/source-corpus.md) and writes a
// complete data folder (docs/formats.md). The library behind vesk-build; the
// tests use it to make small data folders from inline text.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vesk::build {

// One node of the contents tree, in depth-first order.
struct SourceNode {
    int level = 1;                   // 1 category, 2 work, 3 volume
    std::string name;                // UTF-8, at most 99 UTF-16 units
    std::string folder;              // volumes: store folder, components joined by '/'
    std::uint16_t firstPage = 1;     // volumes: page number of the first page
    std::vector<std::string> pages;  // volumes: page bytes (UTF-8 HTML), in page order
};

struct SourceCorpus {
    std::vector<SourceNode> nodes;
    std::string variantTable;        // bytes of yitizi.txt (may be empty)
};

// Reads SOURCE_DIR into corpus. On failure returns false and sets error to one
// line naming the file and the problem.
bool ReadSourceCorpus(const std::filesystem::path& dir, SourceCorpus& corpus, std::string& error);

struct BuildReport {
    std::uint32_t pages = 0;
    std::uint64_t wholeChars = 0, mainChars = 0, annotationChars = 0; // indexed positions with a key
    std::uint64_t apparentBytes = 0, diskBytes = 0;                    // the written data folder
};

using ProgressFn = std::function<void(const std::string& stage, double fraction)>;

// Writes the data folder into outDir (which must exist). Returns false with a
// one-line error on a format limit or an I/O failure.
bool WriteDataFolder(const SourceCorpus& corpus, const std::filesystem::path& outDir,
                     BuildReport& report, std::string& error, const ProgressFn& progress = {});

} // namespace vesk::build
