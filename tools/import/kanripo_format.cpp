#include "import/kanripo_format.h"

#include "import/line_paragraphs.h"

namespace vesk::import {
namespace {

constexpr std::string_view kLineMark = "\xC2\xB6"; // ¶
constexpr std::string_view kPageMarker = "<pb:";

// "&KR0123;" and the like become the placeholder.
std::string ReplaceGaiji(std::string_view text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find("&KR", i);
        if (amp == std::string_view::npos)
            break;
        std::size_t end = amp + 3;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        out.append(text.substr(i, amp - i));
        if (end > amp + 3 && end < text.size() && text[end] == ';') {
            out.append(kPlaceholder);
            i = end + 1;
        } else {
            out.append("&KR");
            i = amp + 3;
        }
    }
    out.append(text.substr(i));
    return out;
}

class KanripoReader {
public:
    KanripoReader(VolumeText& out, KanripoHeader& header)
        : m_builder(out), m_notes({{"(", ")"}}, false, "/"), m_paragraphs(m_builder, m_notes), m_header(header)
    {
    }

    bool Line(std::string_view line, int lineNo, std::string& problem)
    {
        if (line.starts_with("#")) {
            Header(line, lineNo);
            return true;
        }
        const std::string text = ReplaceGaiji(line);
        std::size_t stars = 0;
        while (stars < text.size() && text[stars] == '*')
            ++stars;
        if (stars > 0 && stars < text.size() && text[stars] == ' ')
            return m_paragraphs.Heading(std::string_view(text).substr(stars + 1), lineNo, problem);
        if (TrimBlanks(text).empty())
            return m_paragraphs.EndParagraph(problem);
        // Pieces between line marks; one ending the file's line adds nothing.
        std::string_view rest = text;
        while (!rest.empty()) {
            const std::size_t mark = rest.find(kLineMark);
            if (!Piece(rest.substr(0, mark), lineNo, problem))
                return false;
            if (mark == std::string_view::npos)
                break;
            rest.remove_prefix(mark + kLineMark.size());
        }
        return true;
    }

    bool Finish(std::string& problem) { return m_paragraphs.EndParagraph(problem); }

private:
    void Header(std::string_view line, int lineNo)
    {
        const auto value = [&](std::string_view key) { return TrimBlanks(line.substr(key.size())); };
        if (line.starts_with("#+TITLE:") && m_header.title.empty()) {
            m_header.title = value("#+TITLE:");
            m_header.titleLine = lineNo;
        } else if (line.starts_with("#+PROPERTY: JUAN") && m_header.juan.empty()) {
            m_header.juan = value("#+PROPERTY: JUAN");
            m_header.juanLine = lineNo;
        }
    }

    // Text between line marks, with the page markers in it.
    bool Piece(std::string_view piece, int lineNo, std::string& problem)
    {
        while (true) {
            const std::size_t marker = piece.find(kPageMarker);
            const std::size_t close = marker == std::string_view::npos ? marker : piece.find('>', marker);
            if (close == std::string_view::npos)
                return piece.empty() || m_paragraphs.Line(piece, lineNo, problem);
            if (marker > 0 && !TrimBlanks(piece.substr(0, marker)).empty() &&
                !m_paragraphs.Line(piece.substr(0, marker), lineNo, problem))
                return false;
            std::string_view id = piece.substr(marker + kPageMarker.size(), close - marker - kPageMarker.size());
            if (const std::size_t underscore = id.rfind('_'); underscore != std::string_view::npos)
                id.remove_prefix(underscore + 1);
            m_builder.PageBreak(id);
            piece.remove_prefix(close + 1);
            if (TrimBlanks(piece).empty())
                return true;
        }
    }

    VolumeTextBuilder m_builder;
    NoteSplitter m_notes;
    LineParagraphs m_paragraphs;
    KanripoHeader& m_header;
};

} // namespace

bool ReadKanripoVolume(std::string_view text, VolumeText& out, KanripoHeader& header,
                       std::string& problem)
{
    out = {};
    header = {};
    KanripoReader reader(out, header);
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!reader.Line(line, lineNo, problem))
            return false;
    }
    if (!reader.Finish(problem))
        return false;
    if (!out.hasText) {
        problem = "no text to import (the file holds no text beside its header)";
        return false;
    }
    return true;
}

} // namespace vesk::import
