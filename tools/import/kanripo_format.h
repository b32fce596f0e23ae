#pragma once
// One Kanripo-style text file (one juan of a text) into the text of one
// volume. The file's form:
//   #+TITLE: 論語          header lines start with "#": the title, and
//   #+PROPERTY: JUAN 卷一   the juan's name; other "#" lines are skipped
//   * 學而第一              an org-style headline ("*"s, a space): a heading
//   <pb:KR1h0004_SBCK_001-1a>  a page break; the page is named after the last "_"
//   子曰學而時習之¶          "¶" marks a line end of the printed edition
//   (馬融曰/子者男子之通稱)   a note: "(" to ")", "/" between its two columns
//   &KR0123;               a character without a code point: the placeholder 〓
// Line ends ("¶" and the file's own) join lines within a paragraph; a blank
// line ends one and an indented line starts one (line_paragraphs.h).
#include "import/volume_text.h"

#include <string>

namespace vesk::import {

struct KanripoHeader {
    std::string title;  // from #+TITLE, empty when there is none
    std::string juan;   // from #+PROPERTY: JUAN
    int titleLine = 0, juanLine = 0;
};

// The character shown for a character that has no code point.
inline constexpr std::string_view kPlaceholder = "\xE3\x80\x93"; // U+3013 〓

bool ReadKanripoVolume(std::string_view text, VolumeText& out, KanripoHeader& header,
                       std::string& problem);

} // namespace vesk::import
