#pragma once
// A TEI P5 file into one work, read with libxml2's streaming reader (the
// document is never held as a tree):
//   teiHeader/fileDesc/titleStmt/title   the work's title (the first one)
//   charDecl: char/glyph with a mapping  what <g ref="#id"> stands for
//   a div at the top of text/front/body/back   one volume, named by its first head
//                                        (else its n, else 卷 and its number)
//   head                                 a heading
//   p ab lg l item ...                   paragraphs; l and lb: line ends inside them
//   pb                                   a page break, its n in the page title
//   note                                 annotation text
//   g                                    the mapped character; else its own text;
//                                        else the placeholder 〓
//   fw                                   left out (running heads of the print)
// Every other element keeps its text. Whitespace that holds a line end is
// the file's layout and is dropped; other runs of blanks become one space.
// Text before the first top-level div forms a volume "卷首" (or, in a file
// without divs, the one volume "全一卷").
#include "import/volume_text.h"

#include <filesystem>
#include <functional>
#include <string>

namespace vesk::import {

struct TeiVolume {
    std::string name;
    int line = 0;  // where the name comes from
    VolumeText text;
};

struct TeiWork {
    std::string title;
    int titleLine = 0;
};

using TeiVolumeSink = std::function<bool(TeiVolume&& volume, const TeiWork& work, std::string& problem)>;

// Reads file and hands each volume to sink as soon as it is complete (the
// header, and so the title, comes before the first). False with problem
// ("line N: ...") on malformed XML or when the sink fails.
bool ReadTeiFile(const std::filesystem::path& file, TeiWork& work, const TeiVolumeSink& sink,
                 std::string& problem);

} // namespace vesk::import
