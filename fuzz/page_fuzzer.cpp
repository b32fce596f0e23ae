// A page: any bytes into ParsePage and FilterAnnotations, and into the hit
// page generator with any keyword, for all three search targets and with
// variant spellings.
//
//   input := control |VESK| keyword |VESK| page
//   control byte 0: bits 0-1 target of the variant pass (3 counts as whole
//           text); bit 2 odd page number; bit 3 keyword as UTF-16 code units
//           (low byte first) instead of UTF-8; bits 4 and 5 both set: a
//           variant table that also groups separators and non-characters
//           (its keywords take the slower path through the plain expansion).
//
// With variants the walk over spellings must give the page that marking
// every spelling of the plain expansion gives; this is checked whenever the
// keyword and its expansion are short and the walk was not cut by its work
// limit.
//
// With the unusual table nearly every byte of a keyword has two or three
// alternatives (NUL, space, "*", "?"), so almost any keyword would have the
// 65536 spellings of the expansion's cut, and marking them one by one takes
// seconds per run. There the keyword is cut to its longest beginning with at
// most 256 spellings (the cut itself is covered by resource_bounds_test and
// by data_folder, whose tables come from the input).
#include "fuzz_input.h"

#include "engine/variant_expansion.h"
#include "engine/variant_table.h"
#include "textstore/hit_page.h"
#include "textstore/page_parser.h"
#include "textstore/code_converter.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <utility>

namespace {

using namespace vesk;
using namespace vesk::fuzz;

constexpr std::size_t kCheckedSpellings = 64;
constexpr std::size_t kCheckedKeywordUnits = 64;
constexpr std::size_t kUnusualSpellings = 256;

const VariantGroups& Groups(bool odd)
{
    static const VariantGroups plain = [] {
        VariantTable table;
        table.Parse("5B78,5B66\n6642,65F6\n7FD2,4E60\n4E4E,20000\n4E00,5F0C,58F9\n");
        return table.Groups();
    }();
    static const VariantGroups unusual = [] {
        VariantTable table;
        table.Parse("5B78,20,5B66\n3000,20\n6642,D800\n7FD2,110000,0\n2A,3F\n");
        return table.Groups();
    }();
    return odd ? unusual : plain;
}

// The number of alternatives of the character at keyword[i] (a surrogate
// pair is one character, as the expansion reads it) and its length in units.
std::pair<std::size_t, std::size_t> AlternativesAt(const VariantGroups& groups, std::u16string_view keyword,
                                                   std::size_t i)
{
    std::uint32_t c = keyword[i];
    std::size_t units = 1;
    if (IsHighSurrogate(c) && i + 1 < keyword.size() && IsLowSurrogate(keyword[i + 1])) {
        c = CombineSurrogates(c, keyword[i + 1]);
        units = 2;
    }
    for (const auto& group : groups)
        if (std::find(group.begin(), group.end(), c) != group.end())
            return {group.size(), units};
    return {1, units};
}

// The longest beginning of keyword with at most limit spellings; spellings
// is set to its number of spellings.
std::u16string_view WithSpellingsUpTo(const VariantGroups& groups, std::u16string_view keyword, std::size_t limit,
                                      std::size_t& spellings)
{
    spellings = 1;
    for (std::size_t i = 0; i < keyword.size();) {
        const auto [alternatives, units] = AlternativesAt(groups, keyword, i);
        if (spellings * alternatives > limit)
            return keyword.substr(0, i);
        spellings *= alternatives;
        i += units;
    }
    return keyword;
}

std::u16string Joined(const std::vector<std::u16string>& spellings)
{
    std::u16string out;
    for (const std::u16string& s : spellings) {
        if (!out.empty())
            out += u' ';
        out += s;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = SplitParts(data, size, 3);
    const std::uint8_t control = ByteAt(parts[0], 0);
    const std::string_view page = parts[2];
    const std::int64_t pageNumber = (control & 4) ? 1 : 2;
    const std::u16string keyword = (control & 8) ? Utf16FromBytes(parts[1]) : Utf8ToUtf16(parts[1]);

    HTMLNodes nodes;
    ParsePage(page, nodes);
    Require(nodes.size() == 3, "a page parses into three nodes");
    std::size_t cellBytes = 0;
    for (const auto& node : nodes) {
        FilterItems items;
        FilterAnnotations(*node, items);
        Require(!items.empty() && items.front()->kind == 0, "a filtered cell begins with main text");
        for (const auto& item : items)
            cellBytes += item->text.size();
    }
    Require(cellBytes <= page.size(), "parsing and filtering add no bytes of their own");

    for (std::int32_t target = 0; target < 3; ++target) {
        std::string out;
        GenerateHitPage(page, pageNumber, keyword, target, out);
    }

    const std::int32_t target = (control & 3) == 3 ? 0 : control & 3;
    const bool unusual = (control & 0x30) == 0x30;
    const VariantGroups& groups = Groups(unusual);
    std::size_t count = 0;
    const std::u16string_view variantKeyword =
        unusual ? WithSpellingsUpTo(groups, keyword, kUnusualSpellings, count) : std::u16string_view(keyword);
    HitPageWriter writer(page, pageNumber, target);
    const bool whole = AddVariantKeywords(groups, variantKeyword, writer);
    if (!whole || variantKeyword.empty() || variantKeyword.size() > kCheckedKeywordUnits ||
        WithSpellingsUpTo(groups, variantKeyword, kCheckedSpellings, count).size() < variantKeyword.size())
        return 0; // more spellings than are compared: not expanded at all
    const std::vector<std::u16string> spellings = ExpandVariants(groups, variantKeyword);
    Require(spellings.size() == count, "the expansion has the spellings its groups allow");
    std::string plain;
    const std::int32_t anchors = GenerateHitPage(page, pageNumber, Joined(spellings), target, plain);
    Require(writer.Started() == !plain.empty(), "the walk runs a pass when the plain expansion does");
    if (writer.Started()) {
        Require(writer.Anchors() == anchors, "the walk writes as many anchors as the plain expansion");
        Require(writer.Page() == plain, "the walk gives the page of the plain expansion");
    }
    return 0;
}
