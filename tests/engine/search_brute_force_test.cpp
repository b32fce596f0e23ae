// The search against a plain count over a generated corpus: for phrases of
// characters and "?" inside a single segment, the forward scan finds every
// place where the phrase stands (overlapping ones included), so a brute-force
// count over the page text must give the same arrays, with and without
// variants, for "and" and "or", whether the streams' blocks lie in order or
// interleaved.
#include "support/data_folder.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace vesk {
namespace {

using test::Hits;

// A small alphabet so that phrases recur; 甲 and 乙 form a variant group.
const std::u16string kAlphabet = u"甲乙丙丁戊己庚";

char16_t Class(char16_t c, bool useVariants)
{
    return useVariants && c == u'乙' ? u'甲' : c;
}

std::uint32_t CountPlaces(const std::u16string& text, const std::u16string& term, bool useVariants)
{
    std::uint32_t count = 0;
    for (std::size_t start = 0; start + term.size() <= text.size(); ++start) {
        bool match = true;
        for (std::size_t j = 0; j < term.size() && match; ++j)
            match = term[j] == u'?' || Class(term[j], useVariants) == Class(text[start + j], useVariants);
        count += match ? 1 : 0;
    }
    return count;
}

// Pages in ascending order with their counts.
std::map<std::uint32_t, std::uint32_t> BruteForce(const std::vector<std::u16string>& pages,
                                                  const std::u16string& term, bool useVariants)
{
    std::map<std::uint32_t, std::uint32_t> hits;
    for (std::uint32_t p = 0; p < pages.size(); ++p)
        if (const std::uint32_t n = CountPlaces(pages[p], term, useVariants))
            hits[p] = n;
    return hits;
}

Hits Expected(const std::vector<std::u16string>& pages, const std::u16string& a, const std::u16string& b, bool useOr,
              bool useVariants)
{
    const auto first = BruteForce(pages, a, useVariants);
    const auto second = BruteForce(pages, b, useVariants);
    Hits hits;
    if (useOr) {
        for (const auto& [page, count] : first)
            hits.emplace_back(page, count + (second.count(page) ? second.at(page) : 0));
        for (const auto& [page, count] : second)
            if (!first.count(page))
                hits.emplace_back(page, count);
    } else {
        for (const auto& [page, count] : second)
            if (first.count(page))
                hits.emplace_back(page, count + first.at(page));
    }
    return hits;
}

std::u16string RandomTerm(std::mt19937& random, const std::vector<std::u16string>& pages)
{
    // Half the terms are cut from a page, so that they surely occur.
    std::u16string term;
    const std::size_t length = 1 + random() % 6;
    const std::u16string& page = pages[random() % pages.size()];
    if (random() % 2 == 0 && page.size() > length) {
        term = page.substr(random() % (page.size() - length), length);
    } else {
        for (std::size_t i = 0; i < length; ++i)
            term += kAlphabet[random() % kAlphabet.size()];
    }
    for (std::size_t i = 1; i + 1 < term.size(); ++i)
        if (random() % 4 == 0)
            term[i] = u'?';
    return term;
}

class SearchBruteForce : public ::testing::TestWithParam<bool> {};

TEST_P(SearchBruteForce, PhrasesAndWildcardsCountEveryPlace)
{
    std::mt19937 random(20240611);
    std::vector<std::u16string> pages;
    std::vector<std::string> cells;
    for (int p = 0; p < 400; ++p) {
        std::string cell;
        std::u16string text;
        const std::size_t length = 20 + random() % 300;
        for (std::size_t i = 0; i < length; ++i) {
            // 甲 is frequent, so its stream runs over many blocks.
            const char16_t c = random() % 3 == 0 ? u'甲' : kAlphabet[random() % kAlphabet.size()];
            text += c;
        }
        pages.push_back(text);
        for (char16_t c : text) // the alphabet lies in U+4E00..U+9FFF: three bytes each
            cell += std::string{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                                static_cast<char>(0x80 | (c & 0x3F))};
        cells.push_back(cell);
    }
    test::TempDir dir;
    build::WriteOptions options;
    options.interleaveBlocks = GetParam();
    // Every volume holds 100 pages; page numbers restart in each.
    test::CorpusBuilder builder;
    builder.Category("類").Work("書").Variants("7532,4E59\n");
    for (int v = 0; v < 4; ++v)
        builder.Volume("巻", std::vector<std::string>(cells.begin() + v * 100, cells.begin() + (v + 1) * 100));
    ASSERT_TRUE(test::MakeDataFolder(builder.corpus(), dir.path(), options));
    CIndex index;
    ASSERT_EQ(index.Open(dir.path(), "Index", kIndexWhole), 1);
    ASSERT_GT(index.BlockLinks().size(), 10u);

    for (int round = 0; round < 150; ++round) {
        const std::u16string a = RandomTerm(random, pages);
        const std::u16string b = RandomTerm(random, pages);
        const bool useOr = round % 2 == 1;
        const bool useVariants = round % 3 == 0;
        SCOPED_TRACE(std::string(useOr ? "or" : "and") + (useVariants ? ", variants" : "") + ", round " +
                     std::to_string(round));
        EXPECT_EQ(test::Search(index, a + u" " + b, useOr, useVariants), Expected(pages, a, b, useOr, useVariants));
    }
}

INSTANTIATE_TEST_SUITE_P(BlockOrder, SearchBruteForce, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Interleaved" : "Consecutive"; });

} // namespace
} // namespace vesk
