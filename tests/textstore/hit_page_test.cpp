#include "textstore/hit_page.h"

#include <gtest/gtest.h>

#include "support/reference_hit_page.h"

using namespace vesk;

namespace {

template <typename... Parts>
std::string Cat(const Parts&... parts)
{
    std::string s;
    (s.append(parts), ...);
    return s;
}

const std::string kOpen = std::string(kAnnotationOpenTag);
const std::string kClose = std::string(kAnnotationCloseTag);

std::string Anchor(int n)
{
    std::string s;
    AppendAnchor(n, s);
    return s;
}

std::string Mark(int anchor, std::string_view bytes)
{
    return Cat(Anchor(anchor), kHitOpenTag, bytes, kHitCloseTag);
}

// A stored page in the corpus's own markup, with head and table tags the
// generator drops.
std::string StoredPage(std::string_view title, std::string_view first, std::string_view second)
{
    return Cat("<html><head><style>p{}</style><title>", title,
               "</title></head><body><table><tr><TD class=a>", first, "</TD><TD class=b>", second,
               "</TD></tr></table></body></html>");
}

std::string Framed(std::string_view title, std::string_view first, std::string_view second)
{
    return Cat(kFramePiece1, title, kFramePiece3, first, kFramePiece5, second, kFramePiece7);
}

struct Rendered {
    std::string page;
    std::int32_t anchors;
};

Rendered Render(std::string_view stored, std::int64_t pageNumber, std::u16string_view keywords,
                std::int32_t target = kTargetWhole)
{
    Rendered r;
    r.anchors = GenerateHitPage(stored, pageNumber, keywords, target, r.page);
    return r;
}

} // namespace

TEST(HitPage, FrameIsByteExact)
{
    const std::string frame = Framed("T", "X", "Y");
    EXPECT_EQ(frame,
              "<html><head>\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
              "<title>T</title></head><div align=\"center\"><center><BODY>\t\t<TABLE border=1 "
              "cellPadding=0 cellSpacing=1 class=wd_gray height=477 width=635 "
              "bordercolor=\"#FFCC66\">\t\t<tr>  <TD height=477 width=80 vAlign=top "
              "align=\"center\" background=\"../Back.gif\">X</TD>\t\t<TD height=477 width=450 "
              "vAlign=top align=\"center\">Y</TD> \t\t</tr></table></div></div>\t\t</center>"
              "</BODY></html>");
    // A keyword that does not occur still puts the page into the frame.
    const Rendered r = Render(StoredPage("T", "X", "Y"), 2, u"Q");
    EXPECT_EQ(r.page, frame);
    EXPECT_EQ(r.anchors, 0);
}

TEST(HitPage, MarksOnlyTheTextCellChosenByPageNumber)
{
    const std::string stored = StoredPage("甲", "甲乙", "丙甲");
    const struct {
        std::int64_t pageNumber;
        std::string expected;
    } cases[] = {
        {12, Framed("甲", Cat(Mark(0, "甲"), "乙"), "丙甲")},
        {13, Framed("甲", "甲乙", Cat("丙", Mark(0, "甲")))},
        {0, Framed("甲", Cat(Mark(0, "甲"), "乙"), "丙甲")},
        {-3, Framed("甲", "甲乙", Cat("丙", Mark(0, "甲")))},
    };
    for (const auto& c : cases) {
        const Rendered r = Render(stored, c.pageNumber, u"甲");
        EXPECT_EQ(r.page, c.expected) << c.pageNumber;
        EXPECT_EQ(r.anchors, 1) << c.pageNumber;
    }
}

TEST(HitPage, TargetChoosesMainTextOrAnnotations)
{
    const std::string stored = StoredPage("T", Cat("XY", kOpen, "XY", kClose), "");
    const std::string markedNote = Cat(kOpen, Mark(1, "X"), "Y", kClose);
    const struct {
        std::int32_t target;
        std::string cell;
        int anchors;
    } cases[] = {
        {kTargetWhole, Cat(Mark(0, "X"), "Y", markedNote), 2},
        {kTargetMain, Cat(Mark(0, "X"), "Y", kOpen, "XY", kClose), 1},
        {kTargetAnnotations, Cat("XY", kOpen, Mark(0, "X"), "Y", kClose), 1},
    };
    for (const auto& c : cases) {
        const Rendered r = Render(stored, 2, u"X", c.target);
        // the empty main-text item after the note comes out as nothing
        EXPECT_EQ(r.page, Framed("T", c.cell, "")) << c.target;
        EXPECT_EQ(r.anchors, c.anchors) << c.target;
    }
}

TEST(HitPage, NumbersAnchorsKeywordByKeyword)
{
    const std::string stored = StoredPage("T", "BAxBA", "");
    const std::string expected =
        Framed("T", Cat(Mark(2, "B"), Mark(0, "A"), "x", Mark(3, "B"), Mark(1, "A")), "");
    // A before B, whichever comes first in the text; U+0020 and U+3000 alike;
    // a repeated keyword is marked once.
    for (std::u16string_view keywords : {u"A B", u"A\u3000B", u"\u3000A  B\u3000", u"A B A"}) {
        const Rendered r = Render(stored, 2, keywords);
        EXPECT_EQ(r.page, expected);
        EXPECT_EQ(r.anchors, 4);
    }
}

TEST(HitPage, NoKeywordLeavesTheOutputUntouched)
{
    const std::string stored = StoredPage("T", "A", "");
    for (std::u16string_view keywords : {u"", u"\u3000", u"  \u3000 "}) {
        std::string out = "untouched";
        EXPECT_EQ(GenerateHitPage(stored, 2, keywords, kTargetWhole, out), 0);
        EXPECT_EQ(out, "untouched");
    }
}

TEST(HitPage, DamagedPagesStillRender)
{
    const struct {
        std::string stored;
        std::string expected;
    } cases[] = {
        {"", Framed("", "", "")},
        {"A plain text without markup A", Framed("", "", "")},
        // a tag left open at the end is dropped
        {"<title>T</title><TD>xA<font", Framed("T", Cat("x", Mark(0, "A")), "")},
        // an annotation that never closes is still wrapped
        {Cat("<title>T</title><TD>A", kOpen, "A"), Framed("T", Cat(Mark(0, "A"), kOpen, Mark(1, "A"), kClose), "")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Render(c.stored, 0, u"A").page, c.expected) << c.stored;
}

// Later keywords that cannot mark anything are skipped; the result must be
// byte for byte that of running every pass.
TEST(HitPage, SkippingPassesChangesNothing)
{
    const std::string stored =
        StoredPage("題", Cat("甲乙<p>丙", kOpen, "乙丙<br>", kClose, "丁</font>甲", kOpen, kOpen, "乙"),
                   "b name");
    const std::u16string keywordSets[] = {
        u"Q 甲 乙", u"甲 Q 乙丙 乙 丙", u"甲*丙 丙 乙?丁", u"乙 name a 0001 </b>",
        u"br b style 99 ",  u"甲 <p> *乙 乙*",
    };
    for (std::int32_t target : {kTargetWhole, kTargetMain, kTargetAnnotations}) {
        for (std::int64_t pageNumber : {4, 5}) {
            for (const std::u16string& keywords : keywordSets) {
                std::string expected;
                const std::int32_t anchors =
                    vesk::testing::ReferenceHitPage(stored, pageNumber, keywords, target, expected);
                const Rendered r = Render(stored, pageNumber, keywords, target);
                EXPECT_EQ(r.page, expected);
                EXPECT_EQ(r.anchors, anchors);
            }
        }
    }
}
