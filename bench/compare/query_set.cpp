#include "compare/query_set.h"

#include "engine/posting_cursor.h"
#include "textstore/code_converter.h"

namespace vesk::bench {
namespace {

std::string Utf8(char32_t c)
{
    std::string out;
    AppendUtf8(c, out);
    return out;
}

// Inverse of CodePointToSlot for the unified ideographs (with extension A)
// and extension B.
char32_t CodePointOfSlot(std::uint32_t slot)
{
    if (slot < 0x6C00)
        return 0x3400 + slot;
    if (slot >= 0x20000 - 0x18100 && slot <= 0x2A6DF - 0x18100)
        return slot + 0x18100;
    return 0;
}

} // namespace

std::uint64_t StreamBytes(const CIndex& index, std::uint32_t key)
{
    if (key >= index.FirstBlocks().size() || index.FirstBlocks()[key] < 0)
        return 0;
    PostingCursor cursor(index.PostingData(), index.BlockLinks(), static_cast<std::uint32_t>(index.FirstBlocks()[key]));
    const std::uint32_t lastPage = index.LastPages()[key];
    std::uint64_t blocks = 1;
    std::uint32_t block = cursor.Stream().Block();
    if (!cursor.ReadPageHeader())
        return 0;
    while (cursor.Page() != lastPage) {
        if (!cursor.NextRecord())
            break;
        if (cursor.Stream().Block() != block) {
            block = cursor.Stream().Block();
            ++blocks;
        }
    }
    cursor.SkipPositions();
    return (blocks - 1) * kPostingBlockSize + cursor.Stream().Offset();
}

Picks PickCharacters(const CIndex& whole)
{
    Picks picks;
    std::uint64_t frequentBytes = 0, wideBytes = 0;
    for (std::uint32_t key = 0; key < 0x2A6DF - 0x18100 + 1; ++key) {
        const char32_t c = CodePointOfSlot(key);
        if (c == 0 || whole.FirstBlocks()[key] < 0)
            continue;
        const std::uint32_t first = static_cast<std::uint32_t>(whole.FirstBlocks()[key]);
        const bool oneBlock = first >= whole.BlockLinks().size() ||
                              std::uint64_t{whole.BlockLinks()[first]} * kPostingBlockSize >= whole.PostingData().size();
        if (oneBlock) {
            if (picks.rare.empty() && c >= 0x4E00 && c < 0x20000)
                picks.rare = Utf8(c);
            continue;
        }
        const std::uint64_t bytes = StreamBytes(whole, key);
        if (c < 0x20000 && bytes > frequentBytes) {
            frequentBytes = bytes;
            picks.frequent = Utf8(c);
        }
        if (c >= 0x20000 && bytes > wideBytes) {
            wideBytes = bytes;
            picks.wide = Utf8(c);
        }
    }
    if (picks.wide.empty()) { // no character above U+FFFF has a stream of several blocks
        for (std::uint32_t key = 0x20000 - 0x18100; key <= 0x2A6DF - 0x18100 && picks.wide.empty(); ++key)
            if (whole.FirstBlocks()[key] >= 0)
                picks.wide = Utf8(CodePointOfSlot(key));
    }
    if (picks.frequent.empty())
        picks.frequent = "不";
    if (picks.rare.empty())
        picks.rare = "丂";
    if (picks.wide.empty())
        picks.wide = "𠀀";
    return picks;
}

std::vector<Query> MakeQuerySet(const Picks& p)
{
    const int W = kIndexWhole, M = kIndexMain, A = kIndexAnnotations;
    const std::string f = p.frequent;
    return {
        {"1 char frequent", f},
        {"1 char frequent", f, M},
        {"1 char frequent", f, A},
        {"1 char frequent", "之"},
        {"1 char frequent", "人"},
        {"1 char frequent", "山"},
        {"1 char rare", p.rare},
        {"1 char rare", "麟"},
        {"1 char >U+FFFF", p.wide},
        {"1 char variants", f, W, false, true},
        {"1 char variants", "學", W, false, true},
        {"1 char variants", "风", W, false, true},
        {"1 char variants", p.wide, W, false, true},
        {"2 chars", "明月"},
        {"2 chars", "春風"},
        {"2 chars", "不知"},
        {"2 chars", "何處"},
        {"2 chars", "麒麟"},
        {"2 chars", p.rare + f},
        {"2 chars", "明月", A},
        {"2 chars", "春風", M, false, true},
        {"3 chars", "君不見"},
        {"3 chars", "不可以"},
        {"3 chars", "天下之"},
        {"3 chars", "桃花源"},
        {"4-8 chars", "大江東去"},
        {"4-8 chars", "床前明月光"},
        {"4-8 chars", "白日依山盡"},
        {"4-8 chars", "春眠不覺曉"},
        {"4-8 chars", "學而時習之", W, false, true},
        {"4-8 chars", "人生得意須盡歡"},
        {"4-8 chars", "桃花潭水深千尺"},
        {"4-8 chars", "不知何處", M},
        {"?", "明?光"},
        {"?", "不?不"},
        {"?", "春?秋?"},
        {"?", "?" + f + "?"},
        {"?", "白?依?盡"},
        {"*", "明*光"},
        {"*", "春*秋"},
        {"*", "之*也"},
        {"*", f + "*" + f},
        {"*", "麒*麟"},
        {"*", "春*秋", M, false, true},
        {"and/or", "春 秋"},
        {"and/or", "春 秋", W, true},
        {"and/or", f + " " + f},
        {"and/or", f + " 之", W, true},
        {"and/or", "山 水 風 月"},
        {"and/or", "山 水 風 月", W, true},
        {"and/or", "國 山", M, true, true},
        {"and/or", "春風 不知", M},
        {"and/or", "明月 故鄉", A},
    };
}

std::vector<Query> MakeSmokeSet(const Picks& p)
{
    return {
        {"1 char frequent", p.frequent},
        {"1 char rare", p.rare},
        {"1 char variants", p.frequent, kIndexWhole, false, true},
        {"2 chars", p.frequent + p.frequent},
        {"?", p.frequent + "?" + p.frequent},
        {"*", p.frequent + "*" + p.rare},
        {"and/or", p.frequent + " " + p.rare},
        {"and/or", p.frequent + " " + p.rare, kIndexMain, true},
    };
}

} // namespace vesk::bench
