#include "import/note_brackets.h"

#include "builder/utf8_text.h"

namespace vesk::import {

bool ParseBracketPairs(std::string_view value, std::vector<BracketPair>& pairs)
{
    pairs.clear();
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t start = i;
        build::DecodeUtf8(value, i);
        characters.emplace_back(value.substr(start, i - start));
    }
    if (characters.size() % 2 != 0)
        return false;
    for (std::size_t k = 0; k < characters.size(); k += 2)
        pairs.push_back({characters[k], characters[k + 1]});
    return true;
}

NoteSplitter::NoteSplitter(std::vector<BracketPair> pairs, bool keepBrackets, std::string dropMark)
    : m_pairs(std::move(pairs)), m_keepBrackets(keepBrackets), m_dropMark(std::move(dropMark))
{
}

bool NoteSplitter::Feed(std::string_view text, int line, VolumeTextBuilder& out, std::string& problem)
{
    std::size_t runStart = 0;
    const auto flush = [&](std::size_t end) {
        out.AddText(text.substr(runStart, end - runStart), InNote());
        runStart = end;
    };
    for (std::size_t i = 0; i < text.size();) {
        bool matched = false;
        for (std::size_t p = 0; p < m_pairs.size() && !matched; ++p) {
            const BracketPair& pair = m_pairs[p];
            if (text.substr(i).starts_with(pair.open)) {
                // The opener belongs to the note it opens.
                flush(i);
                m_open.push_back({p, line});
                i += pair.open.size();
                if (!m_keepBrackets)
                    runStart = i;
                matched = true;
            } else if (text.substr(i).starts_with(pair.close)) {
                if (m_open.empty()) {
                    problem = "line " + std::to_string(line) + ": \"" + pair.close +
                              "\" without an opening bracket";
                    return false;
                }
                const BracketPair& expected = m_pairs[m_open.back().pair];
                if (expected.close != pair.close) {
                    problem = "line " + std::to_string(line) + ": \"" + pair.close + "\" closes \"" +
                              expected.open + "\" of line " + std::to_string(m_open.back().line);
                    return false;
                }
                flush(m_keepBrackets ? i + pair.close.size() : i);
                m_open.pop_back();
                i += pair.close.size();
                runStart = i;
                matched = true;
            }
        }
        if (matched)
            continue;
        if (!m_dropMark.empty() && InNote() && text.substr(i).starts_with(m_dropMark)) {
            flush(i);
            i += m_dropMark.size();
            runStart = i;
            continue;
        }
        build::DecodeUtf8(text, i);
    }
    flush(text.size());
    return true;
}

bool NoteSplitter::EndParagraph(std::string& problem)
{
    if (m_open.empty())
        return true;
    const Open& first = m_open.front();
    problem = "line " + std::to_string(first.line) + ": \"" + m_pairs[first.pair].open +
              "\" is not closed before the paragraph ends";
    m_open.clear();
    return false;
}

} // namespace vesk::import
