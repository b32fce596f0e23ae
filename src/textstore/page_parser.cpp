#include "textstore/page_parser.h"

namespace vesk {
namespace {

// The tokenising rule both scanners share: text bytes go to onText, and a
// complete tag "<...>" (every byte after the "<" up to the first ">", another
// "<" included) goes to onTag. A tag still open at the end is dropped.
template <typename OnText, typename OnTag>
void Tokenize(std::string_view input, OnText&& onText, OnTag&& onTag)
{
    std::size_t i = 0;
    while (i < input.size()) {
        if (input[i] != '<') {
            const std::size_t next = input.find('<', i);
            const std::size_t end = next == std::string_view::npos ? input.size() : next;
            onText(input.substr(i, end - i));
            i = end;
            continue;
        }
        const std::size_t close = input.find('>', i + 1);
        if (close == std::string_view::npos)
            return;
        onTag(input.substr(i, close - i + 1));
        i = close + 1;
    }
}

bool BeginsWith(std::string_view tag, std::string_view pattern)
{
    return tag.substr(0, pattern.size()) == pattern;
}

} // namespace

void ParsePage(std::string_view page, HTMLNodes& out, int* cellsOpened)
{
    // Section states: 0 before the title, 1 title, 2 after the title,
    // 3 first cell, 4 between the cells, 5 second cell, 6 after the cells.
    int state = 0;
    std::string parts[3];
    auto target = [&]() -> std::string* {
        switch (state) {
        case 1: return &parts[0];
        case 3: return &parts[1];
        case 5: return &parts[2];
        default: return nullptr;
        }
    };
    Tokenize(
        page,
        [&](std::string_view text) {
            if (std::string* t = target())
                t->append(text);
        },
        [&](std::string_view tag) {
            if (BeginsWith(tag, "<title") && state == 0) {
                state = 1;
            } else if (BeginsWith(tag, "<TD")) {
                if (state == 2)
                    state = 3;
                else if (state == 4)
                    state = 5;
            } else if (BeginsWith(tag, "</title>")) {
                state = 2;
            } else if (BeginsWith(tag, "</TD>")) {
                if (state == 3)
                    state = 4;
                else if (state == 5)
                    state = 6;
            } else if (std::string* t = target()) {
                t->append(tag);
            }
        });
    if (cellsOpened)
        *cellsOpened = state >= 5 ? 2 : state >= 3 ? 1 : 0;
    for (std::string& part : parts) {
        auto node = std::make_unique<HTMLNode>();
        node->text = std::move(part);
        out.push_back(std::move(node));
    }
}

void FilterAnnotations(std::string_view cell, FilterItems& out)
{
    out.push_back(std::make_unique<FilterItem>());
    int kind = 0;
    Tokenize(
        cell,
        [&](std::string_view text) { out.back()->text.append(text); },
        [&](std::string_view tag) {
            if (BeginsWith(tag, kAnnotationOpenTag)) {
                auto item = std::make_unique<FilterItem>();
                item->kind = 1;
                out.push_back(std::move(item));
                kind = 1;
            } else if (kind == 1 && BeginsWith(tag, kAnnotationCloseTag)) {
                auto item = std::make_unique<FilterItem>();
                item->text.reserve(1000);
                out.push_back(std::move(item));
                kind = 0;
            } else {
                out.back()->text.append(tag);
            }
        });
}

} // namespace vesk
