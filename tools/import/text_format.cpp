#include "import/text_format.h"

#include "import/line_paragraphs.h"

namespace vesk::import {

bool ReadTextVolume(std::string_view text, const TextFormatOptions& options, VolumeText& out,
                    std::string& problem)
{
    out = {};
    VolumeTextBuilder builder(out);
    NoteSplitter notes(options.noteBrackets, true);
    LineParagraphs paragraphs(builder, notes);
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        std::size_t end = text.find_first_of("\n\r");
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos)
            text = {};
        else
            text.remove_prefix(end + (text.substr(end).starts_with("\r\n") ? 2 : 1));

        if (options.pageBreak && std::regex_search(line.begin(), line.end(), *options.pageBreak)) {
            builder.PageBreak(TrimBlanks(line));
            continue;
        }
        // A form feed breaks the page where it stands.
        for (std::size_t feed; (feed = line.find('\f')) != std::string_view::npos;) {
            if (!paragraphs.Line(line.substr(0, feed), lineNo, problem))
                return false;
            builder.PageBreak({});
            line.remove_prefix(feed + 1);
        }
        if (!paragraphs.Line(line, lineNo, problem))
            return false;
    }
    if (!paragraphs.EndParagraph(problem))
        return false;
    if (!out.hasText) {
        problem = "no text to import (the file is empty)";
        return false;
    }
    return true;
}

} // namespace vesk::import
