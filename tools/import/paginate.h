#pragma once
// Cuts a volume's token stream into pages and writes each page's HTML as the
// reader expects it (docs/source-corpus.md): a title, two cells opened by
// "<TD", the text in the first cell on even page numbers and in the second
// on odd ones, annotations in the small-type font tag, <p> and <h4> blocks.
//
// Where pages break: at the volume's page-break tokens when it has any,
// otherwise at the first line end or block end after pageChars characters.
// Either way a page never holds more than kMaxPagePositions index
// positions (characters and tags): a longer one is split, at a line end
// when one comes in time, and the caller is told so. A page with no text
// is left out; a page break's name goes into the next page's title.
#include "import/volume_text.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vesk::import {

// Below the index's limit of 65535 bytes of positions per key and page,
// whatever the characters.
inline constexpr std::uint32_t kMaxPagePositions = 50000;

struct PaginateOptions {
    std::uint32_t pageChars = 1000;
    bool keepLines = false;       // a source line end becomes <br> instead of nothing
    std::string titlePrefix;      // "work volume"; the page's name or number follows
};

struct PageOut {
    std::string html;
    std::string name;  // from the page break; empty: none
};

// Calls emit for each page in order, numbered from 1. Returns the number of
// pages; splitOver counts the pages cut because they were too long.
std::uint32_t Paginate(const VolumeText& volume, const PaginateOptions& options,
                       const std::function<void(PageOut&&)>& emit, std::uint32_t& splitOver);

// "&", "<" and ">" written as entities.
void AppendEscaped(std::string& out, std::string_view text);

} // namespace vesk::import
