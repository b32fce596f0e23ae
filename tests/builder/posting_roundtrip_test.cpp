// A data folder written by the builder must read back to exactly the postings
// that a plain, independent reading of its pages gives. The reference below
// follows the position convention directly (its own UTF-8 decoding, its own
// item walk, its own variant-table reading); the decoder walks the index
// files byte by byte along the block links.
#include "builder/builder.h"
#include "support/data_folder.h"
#include "file_bytes.h"
#include "textstore/code_converter.h"
#include "textstore/page_parser.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <sstream>

namespace vesk::test {
namespace {

using Postings = std::map<std::uint32_t, std::map<std::uint32_t, std::vector<std::uint32_t>>>;
constexpr std::uint32_t kGroupKeyBase = 88065;
constexpr std::size_t kBlock = 4096;

// ---- the reference ---------------------------------------------------------

// Length of the well-formed UTF-8 sequence at s[i] (its code point in cp), or
// 0 when the byte at i starts no well-formed sequence.
int Utf8SequenceAt(const std::string& s, std::size_t i, char32_t& cp)
{
    const unsigned b = static_cast<std::uint8_t>(s[i]);
    const int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + static_cast<std::size_t>(n) > s.size())
        return 0;
    cp = n == 1 ? b : (b & (0x7Fu >> n));
    for (int k = 1; k < n; ++k) {
        const unsigned c = static_cast<std::uint8_t>(s[i + static_cast<std::size_t>(k)]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    const char32_t shortest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < shortest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

// One entry per position of the item: the key there, or -1 for none.
std::vector<std::int32_t> ItemPositions(const std::string& item)
{
    std::vector<std::int32_t> keys;
    for (std::size_t i = 0; i < item.size();) {
        if (item[i] == '<') {                       // a complete tag: one keyless position
            i = item.find('>', i) + 1;
            keys.push_back(-1);
            continue;
        }
        char32_t cp = 0;
        const int n = Utf8SequenceAt(item, i, cp);
        keys.push_back(n == 0 ? -1 : CodePointToSlot(cp));
        i += n == 0 ? 1 : static_cast<std::size_t>(n);
    }
    return keys;
}

std::map<std::int32_t, std::uint32_t> ReferenceGroups(const std::string& table)
{
    std::map<std::int32_t, std::uint32_t> groupOfKey;
    std::istringstream lines(table);
    std::string line;
    std::uint32_t group = 0;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ','))
            if (!field.empty())
                groupOfKey.emplace(CodePointToSlot(static_cast<std::uint32_t>(
                                       std::stoul(field, nullptr, 16))),
                                   group); // emplace keeps the first group
        ++group;
    }
    groupOfKey.erase(-1);
    return groupOfKey;
}

struct ReferenceLayers {
    Postings whole, main, notes;
};

void AddPositions(const std::vector<std::int32_t>& keys, std::uint32_t page,
                  const std::map<std::int32_t, std::uint32_t>& groups, Postings& out)
{
    for (std::uint32_t p = 0; p < keys.size(); ++p) {
        if (keys[p] < 0)
            continue;
        out[static_cast<std::uint32_t>(keys[p])][page].push_back(p);
        if (auto g = groups.find(keys[p]); g != groups.end())
            out[kGroupKeyBase + g->second][page].push_back(p);
    }
}

ReferenceLayers ReadReference(const build::SourceCorpus& corpus)
{
    const auto groups = ReferenceGroups(corpus.variantTable);
    ReferenceLayers ref;
    std::uint32_t page = 0;
    for (const build::SourceNode& node : corpus.nodes) {
        for (std::size_t i = 0; i < node.pages.size(); ++i, ++page) {
            const std::uint32_t number = node.firstPage + static_cast<std::uint32_t>(i);
            HTMLNodes cells;
            ParsePage(node.pages[i], cells);
            FilterItems items;
            FilterAnnotations(cells[number % 2 == 0 ? 1 : 2]->text, items);
            std::vector<std::int32_t> whole, main, notes;
            bool noteBefore = false;
            for (std::size_t k = 0; k < items.size(); ++k) {
                const auto keys = ItemPositions(items[k]->text);
                if (k > 0)
                    whole.push_back(-1); // one keyless position between two items
                whole.insert(whole.end(), keys.begin(), keys.end());
                if (items[k]->kind == 0) {
                    main.insert(main.end(), keys.begin(), keys.end());
                } else {
                    if (noteBefore)
                        notes.push_back(-1);
                    noteBefore = true;
                    notes.insert(notes.end(), keys.begin(), keys.end());
                }
            }
            AddPositions(whole, page, groups, ref.whole);
            AddPositions(main, page, groups, ref.main);
            AddPositions(notes, page, groups, ref.notes);
        }
    }
    return ref;
}

// ---- the decoder -----------------------------------------------------------

struct DecodedIndex {
    Postings postings;
    std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> reserved; // pages, occurrences
    int splitFields = 0;      // fields whose bytes lie in two blocks
    std::size_t blocks = 0;
};

// Reads one stream byte by byte, following the block links.
class StreamCursor {
public:
    StreamCursor(const std::string& data, const std::string& dir, std::uint32_t first,
                 std::set<std::uint32_t>& owned)
        : m_data(data), m_dir(dir), m_block(first), m_owned(owned)
    {
        Own(first);
    }
    bool ok() const { return m_ok; }
    std::uint32_t Byte()
    {
        if (m_offset == kBlock) {
            m_block = U32At(m_dir, 1400000 + 4 * std::size_t{m_block});
            m_offset = 0;
            ++m_links;
            Own(m_block);
        }
        if (!m_ok)
            return 0;
        return static_cast<std::uint8_t>(m_data[m_block * kBlock + m_offset++]);
    }
    // The fields of a page record. A field is split when a block link is
    // followed after its first byte.
    std::uint32_t Varint(int& split, std::uint32_t& bytesRead)
    {
        const std::uint32_t b0 = Byte();
        const int linksAfterFirst = m_links;
        std::uint32_t v = b0;
        if (b0 >= 0xC0) {
            v = (b0 & 0x3F) << 16;
            v |= Byte() << 8;
            v |= Byte();
            bytesRead += 3;
        } else if (b0 >= 0x80) {
            v = (b0 & 0x3F) << 8;
            v |= Byte();
            bytesRead += 2;
        } else {
            bytesRead += 1;
        }
        split += m_links != linksAfterFirst ? 1 : 0;
        return v;
    }
    std::uint32_t Length(int& split)
    {
        const std::uint32_t lo = Byte();
        const int linksAfterFirst = m_links;
        const std::uint32_t v = lo | Byte() << 8;
        split += m_links != linksAfterFirst ? 1 : 0;
        return v;
    }

private:
    void Own(std::uint32_t block)
    {
        const std::size_t blocks = m_data.size() / kBlock;
        if (block >= blocks || !m_owned.insert(block).second) {
            ADD_FAILURE() << "block " << block << " is outside the data or in two streams";
            m_ok = false;
        }
    }

    const std::string& m_data;
    const std::string& m_dir;
    std::uint32_t m_block;
    std::size_t m_offset = 0;
    int m_links = 0;
    bool m_ok = true;
    std::set<std::uint32_t>& m_owned;
};

DecodedIndex DecodeIndex(const std::filesystem::path& folder, const std::string& base)
{
    const std::string dir = ReadBytes(folder / (base + "-idx.h"));
    const std::string data = ReadBytes(folder / (base + "-idx.m"));
    DecodedIndex out;
    EXPECT_GE(dir.size(), 1400000u);
    EXPECT_EQ(data.size() % kBlock, 0u);
    out.blocks = data.size() / kBlock;
    EXPECT_EQ((dir.size() - 1400000) / 4, out.blocks) << "one link per data block";
    std::set<std::uint32_t> owned;
    for (std::uint32_t key = 0; key < 100000; ++key) {
        const std::uint32_t first = U32At(dir, 4 * std::size_t{key});
        if (first == 0xFFFFFFFF)
            continue;
        const std::uint32_t lastPage = U32At(dir, 1000000 + 4 * std::size_t{key});
        out.reserved[key] = {U16At(dir, 400000 + 2 * std::size_t{key}),
                             U32At(dir, 600000 + 4 * std::size_t{key})};
        StreamCursor cursor(data, dir, first, owned);
        std::uint32_t page = 0;
        auto& pages = out.postings[key];
        do {
            std::uint32_t ignored = 0;
            page += cursor.Varint(out.splitFields, ignored);
            const std::uint32_t length = cursor.Length(out.splitFields);
            std::uint32_t read = 0, position = 0;
            auto& positions = pages[page];
            while (read < length && cursor.ok()) {
                position += cursor.Varint(out.splitFields, read);
                positions.push_back(position);
            }
            EXPECT_EQ(read, length) << "key " << key << " page " << page;
            if (pages.size() > 10000000 || read != length)
                break;
        } while (page != lastPage && cursor.ok());
    }
    return out;
}

// ---- comparison ------------------------------------------------------------

std::string FirstDifference(const Postings& expected, const Postings& actual)
{
    for (const auto& [key, pages] : expected) {
        auto found = actual.find(key);
        if (found == actual.end())
            return "key " + std::to_string(key) + " is missing";
        for (const auto& [page, positions] : pages) {
            auto other = found->second.find(page);
            if (other == found->second.end())
                return "key " + std::to_string(key) + ": page " + std::to_string(page) +
                       " is missing";
            if (other->second != positions)
                return "key " + std::to_string(key) + " page " + std::to_string(page) +
                       ": positions differ";
        }
        if (found->second.size() != pages.size())
            return "key " + std::to_string(key) + " has extra pages";
    }
    for (const auto& [key, pages] : actual)
        if (!expected.contains(key))
            return "key " + std::to_string(key) + " should have no postings";
    return {};
}

void ExpectReservedCounts(const Postings& expected, const DecodedIndex& decoded)
{
    for (const auto& [key, pages] : expected) {
        std::uint32_t occurrences = 0;
        for (const auto& [page, positions] : pages)
            occurrences += static_cast<std::uint32_t>(positions.size());
        const auto counts = decoded.reserved.at(key);
        EXPECT_EQ(counts.first, std::min<std::size_t>(pages.size(), 65535)) << "key " << key;
        EXPECT_EQ(counts.second, occurrences) << "key " << key;
    }
}

struct LayerResult {
    int splitFields = 0;
    std::size_t blocks = 0;
};

// Builds the corpus and compares all three layers; returns what the decoder saw.
std::vector<LayerResult> ExpectRoundTrip(const build::SourceCorpus& corpus,
                                         const build::WriteOptions& options = {})
{
    TempDir dir;
    if (!MakeDataFolder(corpus, dir.path(), options))
        return {};
    const ReferenceLayers ref = ReadReference(corpus);
    const std::pair<const Postings*, const char*> layers[] = {
        {&ref.whole, "Index"}, {&ref.main, "Index_content"}, {&ref.notes, "Index_desc"}};
    std::vector<LayerResult> results;
    for (const auto& [expected, base] : layers) {
        const DecodedIndex decoded = DecodeIndex(dir.path(), base);
        EXPECT_EQ(FirstDifference(*expected, decoded.postings), "") << "layer " << base;
        ExpectReservedCounts(*expected, decoded);
        results.push_back({decoded.splitFields, decoded.blocks});
    }
    return results;
}

// ---- corpora ---------------------------------------------------------------

build::SourceCorpus HandwrittenCorpus()
{
    const std::string both = "<html><title>t</title><table><tr><TD>一二三</TD><TD>四"
                             "<font size=-1 color=\"#993366\">五</font>六</TD></tr></table>";
    return CorpusBuilder()
        .Category("經")
        .Work("論語")
        .Volume("學而",
                {"學而時習之" + Note("注：習，學也") + "不亦說乎",   // page 1 (second cell)
                 "學<br>而 a>b、學",                                 // tags and ASCII
                 Note("只有注") + "",                                // only an annotation
                 "前" + Note("甲" + Note("乙") + "丙") + "後</font>尾", // nested open tag
                 "壞\xFF字\xE4\xB8尾\xC0\xAF\xED\xA0\x80\xF0\xA0\x80\x80あア\xEE\x80\x80"},
                5)
        .Work("孟子")
        .VolumeOfPages("梁惠王", {both, both}, 1, "mengzi/liang")
        .Variants("5B78,5B66\r\n4E00,5F0C\n\n5B66,4E8C,4E09\n6CE8,8A3B\n")
        .Take();
}

// Pages of a few frequent characters (long streams over many blocks, one-byte
// distances) and forty medium-rare ones (distances of two bytes, so fields
// get split between blocks); page 8 is long and ends with a character found
// nowhere else, whose position takes three bytes.
build::SourceCorpus GeneratedCorpus(std::uint32_t seed, int pages)
{
    const char* common[] = {"一", "二", "學", "学", "𠀀", "あ", "、", "x", "<br>"};
    std::mt19937 random(seed);
    auto character = [&]() {
        const unsigned r = random() % 100;
        if (r < 80)
            return std::string(common[r < 50 ? 0 : r % std::size(common)]);
        std::string medium;
        AppendUtf8(0x4E10 + random() % 40, medium);
        return medium;
    };
    auto text = [&](int length) {
        std::string s;
        for (int i = 0; i < length; ++i) {
            s += character();
            if (random() % 97 == 0)
                s += Note(character() + character() + character());
        }
        return s;
    };
    CorpusBuilder builder;
    builder.Category("類").Work("書");
    std::vector<std::string> cells;
    for (int p = 0; p < pages; ++p)
        cells.push_back(text(p == 7 ? 30000 : 1500 + static_cast<int>(random() % 1500)));
    cells[7] += "龍";
    builder.Volume("卷一", std::vector<std::string>(cells.begin(), cells.begin() + pages / 2));
    builder.Volume("卷二", std::vector<std::string>(cells.begin() + pages / 2, cells.end()), 2);
    return builder.Variants("4E00,4E8C\n5B78,5B66\n20000,3042\n4E10,4E11,4E12\n").Take();
}

TEST(PostingRoundTrip, HandwrittenPagesInAllLayers)
{
    ExpectRoundTrip(HandwrittenCorpus());
}

TEST(PostingRoundTrip, GeneratedCorpusOverManyBlocks)
{
    for (const bool interleave : {false, true}) {
        SCOPED_TRACE(interleave ? "interleaved blocks" : "contiguous blocks");
        const auto results = ExpectRoundTrip(GeneratedCorpus(7, 240), {interleave});
        ASSERT_EQ(results.size(), 3u);
        EXPECT_GT(results[0].blocks, 100u);
        EXPECT_GT(results[0].splitFields, 5) << "fields split between blocks must occur";
        EXPECT_GT(results[2].blocks, 3u) << "the annotation layer has multi-block streams too";
    }
}

TEST(PostingRoundTrip, DemoExcerpt)
{
    const std::filesystem::path excerpt = std::filesystem::path(VESK_FIXTURES_DIR) / "excerpt";
    if (!std::filesystem::exists(excerpt / "contents.txt"))
        GTEST_SKIP() << "no excerpt fixture at " << excerpt;
    build::SourceCorpus corpus;
    std::string error;
    ASSERT_TRUE(build::ReadSourceCorpus(excerpt, corpus, error)) << error;
    ExpectRoundTrip(corpus);
}

} // namespace
} // namespace vesk::test
