#include "textstore/page_parser.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

std::vector<std::string> Parse(std::string_view page)
{
    HTMLNodes nodes;
    ParsePage(page, nodes);
    std::vector<std::string> texts;
    for (const auto& n : nodes) {
        EXPECT_EQ(n->kind, 2);
        texts.push_back(n->text);
    }
    return texts;
}

std::vector<std::pair<int, std::string>> Filter(std::string_view cell)
{
    FilterItems items;
    FilterAnnotations(cell, items);
    std::vector<std::pair<int, std::string>> out;
    for (const auto& i : items)
        out.emplace_back(i->kind, i->text);
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(ParsePage, SplitsTitleAndCells)
{
    const struct {
        const char* page;
        V nodes;
    } cases[] = {
        {"<html><head><title>T</title></head><body><table><tr><TD width=\"50%\">X<br>Y</TD>"
         "<TD>Z</TD></tr></table></body></html>",
         {"T", "X<br>Y", "Z"}},
        // cells in lower case are not cells
        {"<title>T</title><td>X</td><td>Y</td>", {"T", "", ""}},
        // a "</title>" inside the first cell sends the parser back before the cells
        {"<title>T</title><TD>A</title>B</TD><TD>C</TD>", {"T", "AC", ""}},
        {"<title>T</title><TD>A</TD>", {"T", "A", ""}},
        {"<TD>A</TD><TD>B</TD>", {"", "", ""}},
        // a second "<title" inside the title stays in its text
        {"<title x>a<title>b</title><TD>c</TD><TD>d</TD>", {"a<title>b", "c", "d"}},
        // a "<" inside a tag belongs to the tag; a tag open at the end is dropped
        {"<title>T</title><TD>a<b<i>c</TD><TD>d<br", {"T", "a<b<i>c", "d"}},
        {"", {"", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(c.page), c.nodes) << c.page;
}

TEST(FilterAnnotations, AlternatesMainTextAndAnnotations)
{
    using Items = std::vector<std::pair<int, std::string>>;
    const std::string open(kAnnotationOpenTag);
    const struct {
        std::string cell;
        Items items;
    } cases[] = {
        {"A" + open + "B</font>C", {{0, "A"}, {1, "B"}, {0, "C"}}},
        {open + "N</font>", {{0, ""}, {1, "N"}, {0, ""}}},
        {"A</font>B", {{0, "A</font>B"}}},
        {"A" + open + "B" + open + "C</font>D", {{0, "A"}, {1, "B"}, {1, "C"}, {0, "D"}}},
        {"A<p>B<font color=red>C</font>", {{0, "A<p>B<font color=red>C</font>"}}},
        {"A" + open + "B<br>C", {{0, "A"}, {1, "B<br>C"}}},
        {"A<b", {{0, "A"}}},
        {"", {{0, ""}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Filter(c.cell), c.items) << c.cell;
}

TEST(TextCellIndex, FollowsPageNumberParity)
{
    EXPECT_EQ(TextCellIndex(0), 1u);
    EXPECT_EQ(TextCellIndex(12), 1u);
    EXPECT_EQ(TextCellIndex(7), 2u);
}
