// Keyword queries: excluded terms against a brute-force filter over a
// generated corpus, the keywords that pass to the engine unchanged, and the
// refusals that search nothing.
#include "query/keyword_query.h"
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

// What the keyword should find, worked out page by page: "and" keeps the
// pages holding every term to find (ascending, as the engine lists the last
// term's pages), "or" lists the first term's pages, then each later term's
// new ones; counts add up; then every page holding an excluded term goes.
Hits Expected(const std::vector<std::u16string>& pages, const std::vector<std::u16string>& find,
              const std::vector<std::u16string>& exclude, bool useOr, bool useVariants)
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> hits;
    for (std::size_t t = 0; t < find.size(); ++t) {
        std::map<std::uint32_t, std::uint32_t> termHits;
        for (std::uint32_t p = 0; p < pages.size(); ++p)
            if (const std::uint32_t n = CountPlaces(pages[p], find[t], useVariants))
                termHits[p] = n;
        if (t == 0) {
            hits.assign(termHits.begin(), termHits.end());
        } else if (useOr) {
            for (auto& [page, count] : hits)
                count += termHits.count(page) ? termHits[page] : 0;
            for (const auto& term : termHits)
                if (std::find_if(hits.begin(), hits.end(), [&](const auto& h) { return h.first == term.first; }) ==
                    hits.end())
                    hits.emplace_back(term);
        } else {
            std::vector<std::pair<std::uint32_t, std::uint32_t>> kept;
            for (const auto& [page, count] : termHits)
                for (const auto& h : hits)
                    if (h.first == page)
                        kept.emplace_back(page, count + h.second);
            hits = kept;
        }
    }
    Hits filtered;
    for (const auto& [page, count] : hits) {
        bool excluded = false;
        for (const std::u16string& term : exclude)
            excluded = excluded || CountPlaces(pages[page], term, useVariants) > 0;
        if (!excluded)
            filtered.emplace_back(page, count);
    }
    return filtered;
}

std::u16string RandomTerm(std::mt19937& random, const std::vector<std::u16string>& pages, std::size_t maxLength)
{
    // Half the terms are cut from a page, so that they surely occur.
    std::u16string term;
    const std::size_t length = 1 + random() % maxLength;
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

class KeywordQueryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::mt19937 random(20261211);
        s_pages = new std::vector<std::u16string>;
        std::vector<std::string> cells;
        for (int p = 0; p < 300; ++p) {
            std::u16string text;
            const std::size_t length = 10 + random() % 200;
            for (std::size_t i = 0; i < length; ++i)
                text += random() % 3 == 0 ? u'甲' : kAlphabet[random() % kAlphabet.size()];
            s_pages->push_back(text);
            std::string cell;
            for (char16_t c : text) // U+4E00..U+9FFF: three bytes each
                cell += std::string{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                                    static_cast<char>(0x80 | (c & 0x3F))};
            cells.push_back(cell);
        }
        s_dir = new test::TempDir;
        test::CorpusBuilder builder;
        builder.Category("類").Work("書").Variants("7532,4E59\n");
        for (int v = 0; v < 3; ++v)
            builder.Volume("巻", std::vector<std::string>(cells.begin() + v * 100, cells.begin() + (v + 1) * 100));
        ASSERT_TRUE(test::MakeDataFolder(builder.corpus(), s_dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        delete s_pages;
    }
    void SetUp() override { ASSERT_EQ(m_index.Open(s_dir->path(), "Index", kIndexWhole), 1); }

    static const std::vector<std::u16string>& Pages() { return *s_pages; }
    static test::TempDir* s_dir;
    static std::vector<std::u16string>* s_pages;
    CIndex m_index;
};

test::TempDir* KeywordQueryTest::s_dir = nullptr;
std::vector<std::u16string>* KeywordQueryTest::s_pages = nullptr;

Hits HitsOf(const KeywordQueryResult& result)
{
    Hits hits;
    for (std::size_t i = 0; i < result.pages.size(); ++i)
        hits.emplace_back(result.pages[i], result.counts[i]);
    return hits;
}

TEST_F(KeywordQueryTest, ExcludedTermsDropEveryPageThatHoldsThem)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        // Excluded terms stand anywhere among the others.
        std::vector<std::pair<std::u16string, bool>> terms;
        const std::size_t findCount = 1 + random() % 3;
        const std::size_t excludeCount = random() % 3;
        for (std::size_t i = 0; i < findCount + excludeCount; ++i) {
            const bool excluded = i >= findCount;
            // Excluded terms are long enough not to be on every page.
            const std::u16string term = RandomTerm(random, Pages(), excluded ? 5 : 4);
            terms.insert(terms.begin() + static_cast<std::ptrdiff_t>(random() % (terms.size() + 1)),
                         {term, excluded});
        }
        std::vector<std::u16string> find;
        std::vector<std::u16string> exclude;
        std::u16string keyword;
        for (const auto& [term, excluded] : terms) {
            (excluded ? exclude : find).push_back(term);
            if (!keyword.empty())
                keyword += random() % 2 ? u" " : u"\u3000";
            keyword += (excluded ? u"-" : u"") + term;
        }
        const bool useOr = round % 2 == 1;
        const bool useVariants = round % 3 == 0;
        SCOPED_TRACE("round " + std::to_string(round));
        const KeywordQueryResult result = RunKeywordQuery(m_index, keyword, {useOr, useVariants});
        ASSERT_FALSE(result.refusal.has_value());
        EXPECT_EQ(HitsOf(result), Expected(Pages(), find, exclude, useOr, useVariants));
        EXPECT_EQ(test::ResultHits(m_index), HitsOf(result));
        EXPECT_EQ(m_index.m_nResults, static_cast<std::int32_t>(result.pages.size()));
        // Hit pages mark only the terms to find, separated as the engine leaves them.
        std::u16string marked;
        for (const std::u16string& term : find)
            marked += (marked.empty() ? u"" : u"\u3000") + term;
        if (!exclude.empty())
            EXPECT_EQ(result.keyword, marked);
    }
}

TEST_F(KeywordQueryTest, KeywordsWithoutExclusionsAreTheEnginesOwn)
{
    // Passed to the engine as typed (ideographic spaces made ASCII), so the
    // results and the kept keyword are the engine's, odd spacing included.
    for (const std::u16string keyword : {u"甲乙", u"甲\u3000\u3000丙 ", u" 甲*丁  乙?丙", u"丁 丁 甲"}) {
        for (const bool useOr : {false, true}) {
            std::u16string engineKeyword = keyword;
            std::replace(engineKeyword.begin(), engineKeyword.end(), u'\u3000', u' ');
            const Hits expected = test::Search(m_index, engineKeyword, useOr, true);
            const KeywordQueryResult result = RunKeywordQuery(m_index, keyword, {useOr, true});
            EXPECT_EQ(HitsOf(result), expected);
            std::replace(engineKeyword.begin(), engineKeyword.end(), u' ', u'\u3000');
            EXPECT_EQ(result.keyword, engineKeyword);
        }
    }
    // A code-point form is the character typed.
    EXPECT_EQ(HitsOf(RunKeywordQuery(m_index, u"U+7532&#x4E59; -&#19993;", {})),
              HitsOf(RunKeywordQuery(m_index, u"甲乙 -丙", {})));
}

TEST_F(KeywordQueryTest, RefusedKeywordsSearchNothing)
{
    const struct {
        std::u16string typed;
        KeywordRefusalKind kind;
        char16_t unit;
    } cases[] = {
        {u"甲 U+110000", KeywordRefusalKind::CodePointForm, 0},
        {u"&#xD800;", KeywordRefusalKind::CodePointForm, 0},
        {u"甲 -", KeywordRefusalKind::EmptyExclusion, 0},
        {u"-甲", KeywordRefusalKind::OnlyExclusions, 0},
        {u"-甲 \u3000-乙", KeywordRefusalKind::OnlyExclusions, 0},
        {u"\u3000 ", KeywordRefusalKind::NoTerm, 0},
        {u"甲a", KeywordRefusalKind::Rejected, u'a'},
        {u"甲-乙", KeywordRefusalKind::Rejected, u'-'},   // a "-" inside a term excludes nothing
        {u"甲 --乙", KeywordRefusalKind::Rejected, u'-'},
        {u"甲 -乙1", KeywordRefusalKind::Rejected, u'1'},
    };
    test::Search(m_index, u"甲");
    const Hits before = test::ResultHits(m_index);
    ASSERT_FALSE(before.empty());
    for (const auto& c : cases) {
        const KeywordQueryResult result = RunKeywordQuery(m_index, c.typed, {});
        ASSERT_TRUE(result.refusal.has_value());
        EXPECT_EQ(result.refusal->kind, c.kind);
        EXPECT_EQ(result.refusal->unit, c.unit);
        EXPECT_TRUE(result.pages.empty());
        EXPECT_EQ(test::ResultHits(m_index), before); // the index was not searched
        EXPECT_EQ(DescribeKeywordRefusal(*result.refusal).rfind("keyword rejected: ", 0), 0u);
    }
}

TEST_F(KeywordQueryTest, ExcludedTermsWithoutPostingsExcludeNothing)
{
    // "、" has no key and "丙壬" holds a character without postings.
    const Hits all = HitsOf(RunKeywordQuery(m_index, u"甲丙", {}));
    EXPECT_EQ(HitsOf(RunKeywordQuery(m_index, u"甲丙 -、 -丙壬", {})), all);
}

} // namespace
} // namespace vesk
