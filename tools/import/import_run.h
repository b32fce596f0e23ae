#pragma once
// The import itself: every input read in its format, its volumes cut into
// pages and written as a source corpus into a folder (the caller's
// temporary one). Progress goes out as "progress read DONE TOTAL" lines.
#include "import/note_brackets.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace vesk::import {

enum class Format { Text, Tei, Kanripo };

struct ImportOptions {
    Format format = Format::Text;
    std::vector<std::filesystem::path> inputs;
    std::string category;              // empty: each input's own name
    std::string encoding;              // empty: UTF-8 unless a byte-order mark says otherwise
    std::vector<BracketPair> noteBrackets = {{"（", "）"}, {"〔", "〕"}};
    std::optional<std::regex> pageBreak;
    std::uint32_t pageChars = 1000;
    bool keepLines = false;
    std::filesystem::path variants;    // copied as yitizi.txt when given
};

struct ImportReport {
    std::size_t files = 0, volumes = 0;
    std::uint64_t pages = 0;
};

struct ImportHooks {
    std::function<void(const std::string&)> warn;
    std::function<void(std::size_t done, std::size_t total)> progress;
};

// Writes the source corpus into sourceDir (which exists and is empty).
// False with error: one line naming the file (and line) and the problem.
bool RunImport(const ImportOptions& options, const std::filesystem::path& sourceDir, const ImportHooks& hooks,
               ImportReport& report, std::string& error);

} // namespace vesk::import
