// make-fuzz-seeds OUT_DIR: writes the seed corpus of every fuzz target into
// OUT_DIR/<target>/, made from the test excerpt (tests/fixtures/excerpt), the
// sample corpus (sample_corpus.h) and data folders the real builder writes
// from them. Seeds are small: one volume of one or two pages per data folder.
#include "data_folder_layout.h"
#include "fuzz_input.h"
#include "sample_corpus.h"
#include "scratch_folder.h"

#include "builder/builder.h"
#include "textstore/page_parser.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vesk;
using namespace vesk::fuzz;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SeedWriter {
public:
    explicit SeedWriter(fs::path root) : m_root(std::move(root)) {}

    void Add(const std::string& target, const std::string& bytes)
    {
        const fs::path dir = m_root / target;
        fs::create_directories(dir);
        char name[32];
        std::snprintf(name, sizeof name, "seed-%03d", m_counts[target]++);
        std::ofstream(dir / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path m_root;
    std::map<std::string, int> m_counts;
};

// The first CJK ideographs (three UTF-8 bytes each) of text, at most n.
std::vector<std::string> Ideographs(std::string_view text, std::size_t n)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 2 < text.size() && out.size() < n; ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 >= 0xE4 && b0 <= 0xE9) {
            out.emplace_back(text.substr(i, 3));
            i += 2;
        }
    }
    return out;
}

// Keywords that occur in a text cell: a character, a phrase, wildcards, two terms.
std::vector<std::string> KeywordsOf(std::string_view cell)
{
    const std::vector<std::string> c = Ideographs(cell, 8);
    if (c.size() < 4)
        return {"學而", "學*習", "子?學 之"};
    return {c[0], c[0] + c[1] + c[2], c[0] + "*" + c[3], c[0] + "?" + c[2], c[1] + " " + c[3] + c[4],
            "*" + c[2] + "??" + c[5]};
}

std::string TextCell(std::string_view page, std::uint32_t pageNumber)
{
    HTMLNodes nodes;
    ParsePage(page, nodes);
    return nodes[TextCellIndex(pageNumber)]->text;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// Seeds of the whole-data-folder target for one corpus, one per index type.
void AddDataFolderSeeds(SeedWriter& seeds, const build::SourceCorpus& corpus, const std::string& keywords)
{
    const ScratchFolder folder;
    build::BuildReport report;
    std::string error;
    if (!build::WriteDataFolder(corpus, folder.path(), report, error)) {
        std::fprintf(stderr, "make-fuzz-seeds: %s\n", error.c_str());
        return;
    }
    const char* bases[] = {"Index", "Index_desc", "Index_content"};
    for (int type = 0; type < 3; ++type) {
        const std::string dir = ReadBytes(folder.path() / (std::string(bases[type]) + "-idx.h"));
        std::vector<std::string> parts(kDataFolderParts);
        parts[kPartControl] = std::string{static_cast<char>(type | (type == 0 ? 0x20 : 0) | (type == 1 ? 0 : 0x40)),
                                          static_cast<char>(type == 0 ? 0 : 3 - type)};
        parts[kPartKeys] = CompactKeys(dir);
        parts[kPartLinks] = dir.substr(std::min<std::size_t>(dir.size(), 1400000));
        parts[kPartPostings] = CompactPostingData(ReadBytes(folder.path() / (std::string(bases[type]) + "-idx.m")));
        parts[kPartPageDir] = ReadBytes(folder.path() / "Index-fl.h");
        std::string pages = ReadBytes(folder.path() / "Index-fl.cnt");
        for (char& b : pages)
            b = static_cast<char>(b ^ 0x5A);
        parts[kPartPages] = pages;
        parts[kPartContents] = ReadBytes(folder.path() / "kav.dir");
        parts[kPartVariants] = ReadBytes(folder.path() / "yitizi.txt");
        parts[kPartKeywords] = keywords;
        seeds.Add("data_folder", JoinParts(parts));
        if (type == 0) {
            seeds.Add("tables", JoinParts({parts[kPartVariants], parts[kPartContents], Ideographs(pages, 3).size() == 3
                                                                                        ? JoinLines(Ideographs(pages, 3))
                                                                                        : "學"}));
        }
    }
}

// A corpus of one volume (its first pages) of a larger corpus.
build::SourceCorpus OneVolume(const build::SourceCorpus& from, std::size_t volumeNode, std::size_t pages,
                              bool withVariants)
{
    build::SourceCorpus corpus;
    corpus.nodes.push_back({1, "類", "", 1, {}, 0});
    corpus.nodes.push_back({2, "書", "", 1, {}, 0});
    build::SourceNode volume = from.nodes[volumeNode];
    if (volume.pages.size() > pages)
        volume.pages.resize(pages);
    corpus.nodes.push_back(std::move(volume));
    if (withVariants)
        corpus.variantTable = from.variantTable;
    return corpus;
}

void AddSourceCorpusSeeds(SeedWriter& seeds, const fs::path& excerpt, const build::SourceCorpus& corpus)
{
    // The contents file and a few of the pages it names.
    std::vector<std::string> parts{ReadBytes(excerpt / "contents.txt"), "5B78,5B66\n6642,65F6\n"};
    std::size_t files = 0;
    for (const build::SourceNode& node : corpus.nodes) {
        if (node.level != 3)
            continue;
        for (std::size_t p = 0; p < node.pages.size() && files < 20; ++p, ++files) {
            char name[16];
            std::snprintf(name, sizeof name, "/%04u.htm", static_cast<unsigned>(node.firstPage + p));
            parts.push_back(node.folder + name + "\n" + node.pages[p].substr(0, 300));
        }
    }
    seeds.Add("source_corpus", JoinParts(parts));
    seeds.Add("source_corpus", JoinParts({"1\t經\n2\t論語\n3\t學而\tlunyu/v1\n", "", "lunyu/v1/0001.htm\n<title>t</title>",
                                          "lunyu/v1/0002.htm\n<TD>學</TD>"}));
    seeds.Add("source_corpus", JoinParts({"1\ta\r\n# note\n\n2\tb\n3\tc\td.e/f-g_h\n3\tv\td.e/x\n", "4E00,5F0C\n",
                                          "d.e/f-g_h/00012.htm\nx", "d.e/f-g_h/13.htm\ny", "d.e/x/0001.htm\n"}));
    // Byte-order marks (dropped), variant members the builder refuses, a
    // page without its text cell (a warning) and one in a sub-folder.
    seeds.Add("source_corpus", JoinParts({"\xEF\xBB\xBF" "1\ta\n2\tb\n3\tc\tv\n", "\xEF\xBB\xBF" "4E00,5F0C\r\n",
                                          "v/0001.htm\n<title>t</title><TD></TD><TD>x</TD>", "v/0002.htm\nno cells"}));
    seeds.Add("source_corpus", JoinParts({"1\ta\n2\tb\n3\tc\tv/w\n", "4E00,xyz\n110000,D800\n-1,0x4E00\n",
                                          "v/w/0001.htm\n<TD>", "v/0001.htm\nnot a page of the volume"}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds OUT_DIR\n");
        return 2;
    }
    SeedWriter seeds{fs::path(argv[1])};
    const fs::path excerpt = fs::path(VESK_FIXTURES_DIR) / "excerpt";
    build::SourceCorpus corpus;
    std::string error;
    if (!build::ReadSourceCorpus(excerpt, corpus, error)) {
        std::fprintf(stderr, "make-fuzz-seeds: %s\n", error.c_str());
        return 1;
    }

    // Whole data folders: the sample corpus, and single volumes of the excerpt.
    AddDataFolderSeeds(seeds, SampleCorpus(), "學而\n學*習 子曰\n學?時\n不亦 𠀀\n");
    bool first = true;
    for (std::size_t i = 0; i < corpus.nodes.size(); ++i) {
        const build::SourceNode& node = corpus.nodes[i];
        if (node.level != 3)
            continue;
        const std::string cell = TextCell(node.pages.front(), node.firstPage);
        AddDataFolderSeeds(seeds, OneVolume(corpus, i, first ? 2 : 1, first), JoinLines(KeywordsOf(cell)));

        // Pages with keywords that occur in them, and their text cells.
        for (std::size_t p = 0; p < node.pages.size() && p < 2; ++p) {
            const std::uint32_t number = node.firstPage + static_cast<std::uint32_t>(p);
            const std::string pageCell = TextCell(node.pages[p], number);
            const std::vector<std::string> keywords = KeywordsOf(pageCell);
            for (std::size_t k = 0; k < keywords.size(); k += 2) {
                const char control = static_cast<char>((number % 2 ? 4 : 0) | (k % 3));
                seeds.Add("page", JoinParts({std::string(1, control), keywords[k], node.pages[p]}));
                seeds.Add("hit_marker", JoinParts({std::string(1, static_cast<char>(k & 1)), keywords[k], pageCell}));
            }
        }
        first = false;
    }

    // Keywords on the sample index: UTF-8 (byte 0 odd) and UTF-16 code units.
    for (const std::string keyword : {"學而", "學而時習之", "學*習", "學?時", "子曰 學", "曰曰", "*之", "學**之",
                                      "學??習", "𠀀學", "學　而", "不亦 說乎 時", "？學", "學*?*之", "、學"}) {
        for (const char type : {'\x01', '\x03', '\x05'})
            seeds.Add("keyword", std::string(1, type) + keyword);
    }
    for (const std::u16string keyword : {u"學而", u"学 時", u"\xD840\xDC00學", u"\xD800學", u"習*之?"}) {
        std::string bytes(1, '\0');
        for (char16_t unit : keyword) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        seeds.Add("keyword", bytes);
    }
    // Pages of the sample corpus with keywords that need variant spellings.
    for (const build::SourceNode& node : SampleCorpus().nodes) {
        for (std::size_t p = 0; p < node.pages.size() && p < 8; ++p)
            seeds.Add("page", JoinParts({std::string(1, static_cast<char>(((node.firstPage + p) % 2 ? 4 : 0) | (p % 2 ? 0x30 : 0))),
                                         p % 3 ? "學而 時*習" : "学?时", node.pages[p]}));
    }
    seeds.Add("tables", JoinParts({"4E00,5F0C\r\n\r\n 0x4e01, ,zz,-1\n,,\n110000,4E00\n", "", "一丁"}));
    // Generation markers: one that matches its files, one listing a size the
    // file does not have, one left switching, and broken ones.
    seeds.Add("tables", JoinParts({"4E00,5F0C\n", "", "一", "vesk data folder generation 1\nstate complete\nid "
                                   "00000000000000aa\nfile yitizi.txt 10\nfile kav.dir 0\n"}));
    seeds.Add("tables", JoinParts({"4E00,5F0C\n", "", "一", "vesk data folder generation 1\nstate complete\nid "
                                   "00000000000000aa\nfile yitizi.txt 11\n"}));
    seeds.Add("tables", JoinParts({"", "", "", "vesk data folder generation 1\nstate switching\nid 1\nfile a 1\n"}));
    seeds.Add("tables", JoinParts({"", "", "", "vesk data folder generation 1\nid \nfile ../x 99999999999999999999\n"
                                   "file  1\nstate complete\n\nextra"}));

    AddSourceCorpusSeeds(seeds, excerpt, corpus);
    return 0;
}
