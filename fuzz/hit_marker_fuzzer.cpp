// BuildPattern and MarkHits: any keyword bytes against any text.
//
//   input := control |VESK| keyword |VESK| text
//   control byte 0: odd, the anchor counter starts at 9995 (numbers pass
//           from four to five digits); even, at 0.
//
// Properties: a finished pattern has no empty segment; marking writes every
// byte of the text once and in order, so the output is the text plus one
// anchor and one pair of highlight tags per anchor; a text with hits is one
// that MayHaveHit does not rule out (hit pages skip passes on its word).
#include "fuzz_input.h"

#include "textstore/hit_marker.h"

#include <cstdio>

namespace {

using namespace vesk;
using namespace vesk::fuzz;

std::size_t AnchorBytes(std::int32_t from, std::int32_t to)
{
    std::size_t bytes = 0;
    std::string anchor;
    for (std::int32_t n = from; n < to; ++n) {
        anchor.clear();
        AppendAnchor(n, anchor);
        bytes += anchor.size();
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = SplitParts(data, size, 3);
    const std::string_view keyword = parts[1];
    const std::string_view text = parts[2];

    Pattern pattern;
    BuildPattern(keyword, pattern);
    std::size_t literalBytes = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const Seg& seg = pattern[i];
        Require(!seg.bytes.empty(), "a finished pattern has no empty segment");
        Require(seg.bytes.find('*') == std::string::npos && seg.bytes.find('?') == std::string::npos,
                "segments hold no wildcard");
        Require(seg.kind == Seg::kFirst ? i == 0 : seg.kind == Seg::kAfterStar || seg.kind == Seg::kAfterQuestion,
                "only the first segment is of the first kind");
        Require(seg.kind != Seg::kAfterQuestion || seg.count >= 1, "a segment after \"?\" counts them");
        literalBytes += seg.bytes.size();
    }
    Require(literalBytes <= keyword.size(), "segments are bytes of the keyword");

    const std::int32_t start = (ByteAt(parts[0], 0) & 1) ? 9995 : 0;
    std::int32_t counter = start;
    std::string out;
    const FilterItem item{std::string(text), 0};
    const std::int32_t hits = MarkHits(item, keyword, out, counter);
    Require(hits >= 0 && counter >= start, "hits and anchors are counted forward");
    Require(hits == 0 || !pattern.empty(), "an empty pattern marks nothing");
    Require(static_cast<std::size_t>(counter - start) >= static_cast<std::size_t>(hits) * pattern.size(),
            "every segment of a hit has its anchor");
    const std::size_t tags = static_cast<std::size_t>(counter - start) * (kHitOpenTag.size() + kHitCloseTag.size());
    Require(out.size() == text.size() + AnchorBytes(start, counter) + tags,
            "marking writes every byte of the text once, plus anchors and tags");
    if (hits > 0)
        Require(MayHaveHit(pattern, text), "MayHaveHit never rules out a text with hits");
    if (hits == 0)
        Require(out == text, "a text without hits comes out unchanged");
    return 0;
}
