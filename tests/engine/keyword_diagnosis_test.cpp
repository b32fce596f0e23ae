// Why a keyword finds nothing: the diagnosis of each keyword, and the engine
// agreeing with it on a small corpus that holds every character used (a
// keyword said to be fine finds pages; one said to be hopeless finds none).
#include "engine/keyword_diagnosis.h"
#include "support/data_folder.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vesk {
namespace {

TEST(KeywordDiagnosis, NamesTheReasonAndTheEngineAgrees)
{
    test::TempDir dir;
    const auto corpus = test::CorpusBuilder()
                            .Category("類")
                            .Work("書")
                            .Volume("巻", {"甲乙", "甲、乙丙。", "己\xF0\xA0\x80\x80庚"})
                            .Take();
    ASSERT_TRUE(test::MakeDataFolder(corpus, dir.path()));

    struct Case {
        const char* what;
        std::u16string keyword;
        bool useOr;
        KeywordFault fault;
        char32_t character;
        std::u16string term;
    };
    const Case cases[] = {
        {"a phrase", u"甲乙", false, KeywordFault::None, 0, u""},
        {"wildcards with characters", u"?乙 甲*丙", false, KeywordFault::None, 0, u""},
        {"a character above U+FFFF", u"\U00020000", false, KeywordFault::None, 0, u""},
        {"punctuation inside a term", u"甲、乙", false, KeywordFault::None, 0, u""},
        {"latin letters", u"abc", false, KeywordFault::RejectedCharacter, U'a', u""},
        {"a digit after a good term", u"甲 1", true, KeywordFault::RejectedCharacter, U'1', u""},
        {"latin-1", u"甲\u00E9", false, KeywordFault::RejectedCharacter, U'\u00E9', u""},
        {"ideographic spaces only", u"\u3000\u3000", false, KeywordFault::NoTerm, 0, u""},
        {"star alone", u"*", false, KeywordFault::NothingSearchable, 0, u"*"},
        {"question mark alone", u"?", true, KeywordFault::NothingSearchable, 0, u"?"},
        {"full-width question marks", u"？？", false, KeywordFault::NothingSearchable, 0, u"？？"},
        {"punctuation only", u"、。", false, KeywordFault::NothingSearchable, 0, u"、。"},
        {"wildcards and punctuation", u"*、?", false, KeywordFault::NothingSearchable, 0, u"*、?"},
        {"and: one hopeless term", u"甲　、", false, KeywordFault::NothingSearchable, 0, u"、"},
        {"or: one good term is enough", u"甲 、", true, KeywordFault::None, 0, u""},
        {"or: every term hopeless", u"、 *", true, KeywordFault::NothingSearchable, 0, u"、"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KeywordDiagnosis diagnosis = DiagnoseKeyword(c.keyword, !c.useOr);
        EXPECT_EQ(diagnosis.fault, c.fault);
        EXPECT_EQ(diagnosis.character, c.character);
        EXPECT_EQ(std::u16string(diagnosis.term), c.term);

        CIndex index;
        ASSERT_EQ(index.Open(dir.path(), "Index", kIndexWhole), 1);
        if (c.fault == KeywordFault::RejectedCharacter || c.fault == KeywordFault::NoTerm) {
            EXPECT_EQ(CIndex::CheckKeyword(c.keyword), 0);  // the engine searches nothing
            continue;
        }
        std::u16string keyword = c.keyword;
        std::replace(keyword.begin(), keyword.end(), u'\u3000', u' ');
        const test::Hits hits = test::Search(index, keyword, c.useOr);
        EXPECT_EQ(hits.empty(), c.fault == KeywordFault::NothingSearchable);
    }
}

} // namespace
} // namespace vesk
