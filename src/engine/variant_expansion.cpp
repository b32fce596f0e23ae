#include "engine/variant_expansion.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "textstore/code_converter.h"

namespace vesk {
namespace {

bool IsSeparator(std::uint32_t c) { return c == 0x20 || c == 0x3000; }
bool IsWildcard(std::uint32_t c) { return c == '*' || c == '?'; }

// The keyword's characters: surrogate pairs joined, unpaired surrogates kept
// as they stand.
std::vector<std::uint32_t> CodePoints(std::u16string_view keyword)
{
    std::vector<std::uint32_t> out;
    out.reserve(keyword.size());
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        const char16_t u = keyword[i];
        if (IsHighSurrogate(u) && i + 1 < keyword.size() && IsLowSurrogate(keyword[i + 1])) {
            out.push_back(CombineSurrogates(u, keyword[i + 1]));
            ++i;
        } else {
            out.push_back(u);
        }
    }
    return out;
}

// The alternatives of the characters of one keyword: the members of the
// first group holding each, or the character alone. They are found for all
// characters in one pass over the groups: looking each character up through
// every group would cost the keyword's length times the table's size (for a
// keyword of 30000 characters and a table of 16000 members, seconds).
class KeywordAlternatives {
public:
    KeywordAlternatives(const VariantGroups& groups, const std::vector<std::uint32_t>& codePoints)
        : m_groups(groups), m_characters(codePoints)
    {
        std::ranges::sort(m_characters);
        m_characters.erase(std::unique(m_characters.begin(), m_characters.end()), m_characters.end());
        m_groupOf.assign(m_characters.size(), kNoGroup);
        std::size_t open = m_characters.size();
        for (std::size_t g = 0; g < groups.size() && open > 0; ++g) {
            for (const std::uint32_t member : groups[g]) {
                const std::size_t at = IndexOf(member);
                if (at < m_characters.size() && m_characters[at] == member && m_groupOf[at] == kNoGroup) {
                    m_groupOf[at] = g;
                    --open;
                }
            }
        }
    }

    // The alternatives of c, one of the keyword's characters; c alone lies
    // where c lies.
    std::span<const std::uint32_t> Of(const std::uint32_t& c) const
    {
        const std::size_t group = m_groupOf[IndexOf(c)];
        if (group == kNoGroup)
            return {&c, 1};
        return m_groups[group];
    }

private:
    static constexpr std::size_t kNoGroup = SIZE_MAX;

    std::size_t IndexOf(std::uint32_t c) const
    {
        return static_cast<std::size_t>(std::ranges::lower_bound(m_characters, c) - m_characters.begin());
    }

    const VariantGroups& m_groups;
    std::vector<std::uint32_t> m_characters; // distinct, ascending
    std::vector<std::size_t> m_groupOf;      // per character: its first group, or kNoGroup
};

// The number of spellings of a keyword: the product of its characters'
// alternatives, SIZE_MAX when larger.
std::size_t CountSpellings(const KeywordAlternatives& alternatives, const std::vector<std::uint32_t>& codePoints)
{
    std::size_t count = 1;
    for (const std::uint32_t& c : codePoints) {
        const std::size_t n = alternatives.Of(c).size();
        if (n != 0 && count > SIZE_MAX / n)
            return SIZE_MAX;
        count *= n;
    }
    return count;
}

// The UTF-16 units AppendUtf16 writes for c.
std::size_t Utf16Length(std::uint32_t c)
{
    return c > 0xFFFF && c <= 0x10FFFF ? 2 : 1;
}

void AppendUtf16(std::uint32_t c, std::u16string& out)
{
    if (c > 0x10FFFF) {
        out.push_back(u'\uFFFD');
    } else if (c > 0xFFFF) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

// ---------------------------------------------------------------------------
// The term-by-term walk.

// One position of a term: its alternatives without repeats (a repeated
// member only repeats spellings, which are skipped as seen) and their UTF-8.
struct Position {
    std::vector<std::uint32_t> alternatives;
    std::vector<std::string> bytes;
};
using Term = std::vector<Position>;

// Splits the keyword into terms of positions; false when some position does
// not fit the walk (see the header).
bool BuildTerms(const KeywordAlternatives& alternatives, const std::vector<std::uint32_t>& codePoints,
                std::vector<Term>& terms)
{
    bool inTerm = false;
    for (const std::uint32_t& c : codePoints) {
        const std::span<const std::uint32_t> members = alternatives.Of(c);
        std::size_t separators = 0;
        Position position;
        for (std::uint32_t m : members) {
            if ((m >= 0xD800 && m <= 0xDFFF) || m > 0x10FFFF)
                return false;
            if (IsSeparator(m))
                ++separators;
            if (std::find(position.alternatives.begin(), position.alternatives.end(), m) ==
                position.alternatives.end())
                position.alternatives.push_back(m);
        }
        if (separators == members.size()) {
            inTerm = false;
            continue;
        }
        if (separators != 0)
            return false;
        for (std::uint32_t m : position.alternatives) {
            std::string utf8;
            AppendUtf8(static_cast<char32_t>(m), utf8);
            position.bytes.push_back(std::move(utf8));
        }
        if (!inTerm)
            terms.emplace_back();
        inTerm = true;
        terms.back().push_back(std::move(position));
    }
    return true;
}

// What is known about the text cell after a prefix of a keyword: where its
// completed literal segments end at the earliest (matched in order, leftmost
// first) and where the segment being built may start.
struct PrefixState {
    std::size_t done = 0;               // earliest end of the completed segments
    std::size_t segmentLength = 0;      // bytes of the segment being built, 0 if none
    std::vector<std::size_t> starts;    // where that segment occurs at or after done
};

class TermWalker {
public:
    TermWalker(const std::vector<Term>& terms, HitPageWriter& writer) : m_terms(terms), m_writer(writer) {}

    // The zero spellings of all terms, then the rest of each term's
    // spellings from the last term to the first: the order in which a plain
    // expansion first produces them.
    bool Run()
    {
        for (const Term& term : m_terms) {
            std::string keyword;
            for (const Position& p : term)
                keyword += p.bytes.front();
            const std::uint64_t before = m_writer.PassBytes();
            m_writer.AddKeyword(keyword);
            m_work += m_writer.PassBytes() - before + 1;
            if (m_work > kVariantWorkLimit || m_writer.Cut())
                return false;
            m_firstSpellings.push_back(std::move(keyword));
        }
        for (std::size_t k = m_terms.size(); k-- > 0;)
            if (!WalkTerm(k))
                return false;
        return true;
    }

private:
    bool Step(const PrefixState& parent, const Position& position, std::size_t choice, PrefixState& child)
    {
        const std::string_view cell = m_writer.TextCell();
        child.starts.clear();
        if (IsWildcard(position.alternatives[choice])) {
            child.done = parent.segmentLength ? parent.starts.front() + parent.segmentLength : parent.done;
            child.segmentLength = 0;
            ++m_work;
            return true;
        }
        const std::string_view bytes = position.bytes[choice];
        child.done = parent.done;
        if (parent.segmentLength == 0) {
            m_work += (cell.size() - std::min(parent.done, cell.size())) / 64 + 1;
            for (std::size_t at = cell.find(bytes, parent.done); at != std::string_view::npos;
                 at = cell.find(bytes, at + 1))
                child.starts.push_back(at);
        } else {
            for (std::size_t at : parent.starts) {
                const std::size_t from = at + parent.segmentLength;
                if (cell.substr(from, bytes.size()) == bytes)
                    child.starts.push_back(at);
            }
        }
        m_work += parent.starts.size() + child.starts.size();
        child.segmentLength = parent.segmentLength + bytes.size();
        return !child.starts.empty();
    }

    // True when the spelling chosen for term k is also a spelling of a later
    // term, whose spellings were all handed out before term k's.
    bool SpellsLaterTerm(std::size_t k) const
    {
        const Term& term = m_terms[k];
        for (std::size_t j = k + 1; j < m_terms.size(); ++j) {
            const Term& later = m_terms[j];
            if (later.size() != term.size())
                continue;
            bool all = true;
            for (std::size_t i = 0; all && i < term.size(); ++i) {
                const auto& alts = later[i].alternatives;
                all = std::find(alts.begin(), alts.end(), term[i].alternatives[m_choice[i]]) != alts.end();
            }
            if (all)
                return true;
        }
        return false;
    }

    bool WalkTerm(std::size_t k)
    {
        const Term& term = m_terms[k];
        const std::size_t n = term.size();
        m_choice.assign(n, 0);
        m_states.resize(n + 1);
        m_states[0] = PrefixState{};
        std::size_t valid = 0; // m_states[0..valid] describe the current choices
        std::uint64_t revision = m_writer.Revision();
        std::string keyword;
        for (;;) {
            if (m_writer.Revision() != revision) {
                revision = m_writer.Revision();
                valid = 0;
            }
            while (valid < n && Step(m_states[valid], term[valid], m_choice[valid], m_states[valid + 1]))
                ++valid;
            std::size_t advance = valid;
            if (valid == n) {
                // Every segment of this spelling occurs in order in the text
                // cell, as the states show: its pass may mark something.
                advance = n - 1;
                keyword.clear();
                for (std::size_t i = 0; i < n; ++i)
                    keyword += term[i].bytes[m_choice[i]];
                m_work += (m_terms.size() - k) + m_firstSpellings.size(); // the two look-ups below
                if (!SpellsLaterTerm(k) &&
                    std::find(m_firstSpellings.begin(), m_firstSpellings.end(), keyword) == m_firstSpellings.end()) {
                    m_writer.RunPass(keyword);
                    m_work += m_writer.Page().size();
                }
            }
            if (m_work > kVariantWorkLimit || m_writer.Cut())
                return false;
            // Next spelling in order, dropping every spelling that shares
            // the prefix that just failed.
            std::size_t p = advance;
            while (++m_choice[p] == term[p].alternatives.size()) {
                m_choice[p] = 0;
                if (p == 0)
                    return true;
                --p;
            }
            std::fill(m_choice.begin() + static_cast<std::ptrdiff_t>(p) + 1, m_choice.end(), 0);
            valid = std::min(valid, p);
        }
    }

    const std::vector<Term>& m_terms;
    HitPageWriter& m_writer;
    std::vector<std::size_t> m_choice;
    std::vector<PrefixState> m_states;
    std::vector<std::string> m_firstSpellings; // handed out first, one per term
    std::uint64_t m_work = 0;
};

} // namespace

std::vector<std::u16string> ExpandVariants(const VariantGroups& groups, std::u16string_view keyword)
{
    const std::vector<std::uint32_t> codePoints = CodePoints(keyword);
    const KeywordAlternatives lookup(groups, codePoints);
    std::vector<std::span<const std::uint32_t>> alternatives;
    alternatives.reserve(codePoints.size());
    for (const std::uint32_t& c : codePoints)
        alternatives.push_back(lookup.Of(c));

    // Consecutive spellings differ from one position p on, where the next
    // alternative is taken, and every later position starts again at its
    // first alternative: the next spelling is this one's units before p, the
    // new alternative, and the first spelling's units after p. So a spelling
    // costs the positions the counter passes, not one step per unit.
    std::u16string first;
    for (const std::span<const std::uint32_t> members : alternatives)
        AppendUtf16(members[0], first);
    std::vector<std::u16string> spellings;
    std::vector<std::size_t> choice(codePoints.size(), 0);
    std::u16string spelling = first;
    std::size_t units = 0;
    for (;;) {
        units += spelling.size();
        if (!spellings.empty() && units > kMaxVariantUnits)
            return spellings;
        spellings.push_back(spelling);
        if (spellings.size() == kMaxVariantSpellings)
            return spellings;
        std::size_t p = choice.size();
        std::size_t replaced = 0;  // units of this spelling from p on
        std::size_t firstTail = 0; // units of the first spelling after p
        for (;;) {
            if (p == 0)
                return spellings;
            --p;
            replaced += Utf16Length(alternatives[p][choice[p]]);
            if (++choice[p] < alternatives[p].size())
                break;
            choice[p] = 0;
            firstTail += Utf16Length(alternatives[p][0]);
        }
        spelling.resize(spelling.size() - replaced);
        AppendUtf16(alternatives[p][choice[p]], spelling);
        spelling.append(first, first.size() - firstTail, firstTail);
    }
}

bool AddVariantKeywords(const VariantGroups& groups, std::u16string_view keyword, HitPageWriter& writer)
{
    const std::vector<std::uint32_t> codePoints = CodePoints(keyword);
    const KeywordAlternatives alternatives(groups, codePoints);
    std::vector<Term> terms;
    if (BuildTerms(alternatives, codePoints, terms))
        return TermWalker(terms, writer).Run();

    const std::vector<std::u16string> spellings = ExpandVariants(groups, keyword);
    for (const std::u16string& spelling : spellings)
        AddKeywords(spelling, writer);
    return !writer.Cut() && spellings.size() == CountSpellings(alternatives, codePoints);
}

} // namespace vesk
