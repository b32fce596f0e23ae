#pragma once
// One plain-text file into the text of one volume: lines into paragraphs
// (line_paragraphs.h), bracketed notes, and page breaks at a form feed or at
// a line matching the page-break pattern (the line itself is left out and
// names the page).
#include "import/note_brackets.h"
#include "import/volume_text.h"

#include <optional>
#include <regex>
#include <string>

namespace vesk::import {

struct TextFormatOptions {
    std::vector<BracketPair> noteBrackets;
    std::optional<std::regex> pageBreak;
};

// Reads decoded UTF-8 text. False with problem ("line N: ...").
bool ReadTextVolume(std::string_view text, const TextFormatOptions& options, VolumeText& out,
                    std::string& problem);

} // namespace vesk::import
