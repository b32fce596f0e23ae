// Hit page rendering with variant spellings on a data folder: every sampled
// page with keywords of up to 12 characters, each render timed, and the peak
// memory of the process.
//
//   render_bench [--data DIR] [--pages N]
//
// DIR defaults to the folder of the executable (the demo data after ./run).
// Keyword families, each of at most 12 characters (separators not counted):
//   own         12 consecutive characters of the page's text cell
//   own-variant the same, each character written as the last member of its group
//   wildcards   the same with a "*" and a "?" in place of two characters
//   terms       three terms of 4 characters of the page
//   singles     the page's 12 most frequent characters as 12 one-character terms
//   largest     the 12 characters with the largest variant groups of the table
// and, beyond the corpus, the family that drives the walk to its work limit:
//   limit       a page as long as the corpus's longest, drawn at random from
//               the largest group's members, with a keyword of 12 of them
//               (plain and with "*" between): every prefix occurs, so the walk
//               stops at the work limit; its time is the bound's cost
// Target: every render under 100 ms.
#include "engine/index.h"
#include "engine/variant_expansion.h"
#include "engine/report.h"
#include "textstore/code_converter.h"
#include "textstore/hit_page.h"
#include "textstore/page_parser.h"
#include "textstore/utf8_decode.h"

#include "executable_folder.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vesk;

constexpr std::size_t kKeywordLength = 12;

struct Sample {
    double ms;
    std::uint32_t pageId;
    std::int32_t anchors;
    std::u16string keyword;
};

std::string Utf8(std::u16string_view s)
{
    std::string out;
    Utf16ToUtf8(s, out, true);
    return out;
}

bool IsIdeograph(char32_t c)
{
    return CodePointToSlot(c) >= 0 && c != 0x3000;
}

void AppendCodePoint(char32_t c, std::u16string& out)
{
    if (c > 0xFFFF) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

// The characters of a page's text cell, tags and notes' markup dropped.
std::vector<char32_t> CellCharacters(const std::string& stored, std::int32_t pageNumber)
{
    HTMLNodes nodes;
    ParsePage(stored, nodes);
    FilterItems items;
    FilterAnnotations(*nodes[TextCellOfPage(pageNumber) + 1], items);
    std::vector<char32_t> out;
    for (const auto& item : items) {
        std::string text;
        bool inTag = false;
        for (char c : item->text) {
            if (c == '<')
                inTag = true;
            else if (c == '>')
                inTag = false;
            else if (!inTag)
                text.push_back(c);
        }
        for (char16_t u : Utf8ToUtf16(text))
            if (IsIdeograph(u))
                out.push_back(u);
    }
    return out;
}

std::u16string Keyword(const std::vector<char32_t>& chars)
{
    std::u16string s;
    for (char32_t c : chars)
        AppendCodePoint(c, s);
    return s;
}

class Bench {
public:
    explicit Bench(const CIndex& index) : m_index(index)
    {
        for (const auto& group : index.Variants().Groups())
            for (std::uint32_t m : group)
                m_lastMember.emplace(m, group.back());
    }

    void Render(const char* family, std::uint32_t pageId, const std::u16string& keyword)
    {
        std::string page;
        const auto start = std::chrono::steady_clock::now();
        const std::int32_t anchors = m_index.RenderHitPage(pageId, page, keyword, kTargetWhole, true);
        Record(family, start, pageId, anchors, keyword);
    }

    // A page that is not in the store, rendered the way the store does.
    void RenderStored(const char* family, const std::string& stored, const std::u16string& keyword)
    {
        const auto start = std::chrono::steady_clock::now();
        HitPageWriter writer(stored, 0, kTargetWhole);
        if (!AddVariantKeywords(m_index.Variants().Groups(), keyword, writer))
            ReportDiagnostic("hit page: variant spellings cut short at the work limit");
        Record(family, start, 0, writer.Anchors(), keyword);
        std::printf("%s: %zu bytes, %llu marking passes, %.1f ms\n", family, stored.size(),
                    static_cast<unsigned long long>(writer.Revision()), m_samples[family].back().ms);
    }

    void Record(const char* family, std::chrono::steady_clock::time_point start, std::uint32_t pageId,
                std::int32_t anchors, const std::u16string& keyword)
    {
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        m_samples[family].push_back({ms, pageId, anchors, keyword});
    }

    char32_t LastMember(char32_t c) const
    {
        const auto it = m_lastMember.find(c);
        return it == m_lastMember.end() ? c : it->second;
    }

    int Report() const
    {
        std::printf("%-12s %7s %9s %9s %9s %8s  worst\n", "family", "renders", "median", "p99", "max",
                    "anchors");
        double worst = 0;
        for (const auto& [family, samples] : m_samples) {
            std::vector<Sample> sorted = samples;
            std::ranges::sort(sorted, {}, &Sample::ms);
            const Sample& max = sorted.back();
            const std::int32_t maxAnchors =
                std::ranges::max_element(sorted, {}, &Sample::anchors)->anchors;
            std::printf("%-12s %7zu %7.3fms %7.3fms %7.3fms %8d  page %u %s\n", family.c_str(), sorted.size(),
                        sorted[sorted.size() / 2].ms, sorted[sorted.size() * 99 / 100].ms, max.ms, maxAnchors,
                        max.pageId, Utf8(max.keyword).c_str());
            worst = std::max(worst, max.ms);
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("slowest render %.3f ms (target < 100 ms); peak resident memory %.1f MiB\n", worst,
                    static_cast<double>(usage.ru_maxrss) / 1024.0);
        return worst < 100.0 ? 0 : 1;
    }

private:
    const CIndex& m_index;
    std::map<char32_t, char32_t> m_lastMember;
    std::map<std::string, std::vector<Sample>> m_samples;
};

} // namespace

int main(int argc, char** argv)
{
    std::string data = ExecutableFolder();
    std::size_t pages = 400;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--data") && i + 1 < argc)
            data = argv[++i];
        else if (!std::strcmp(argv[i], "--pages") && i + 1 < argc)
            pages = std::strtoul(argv[++i], nullptr, 10);
        else {
            std::fprintf(stderr, "usage: render_bench [--data DIR] [--pages N]\n");
            return 2;
        }
    }
    std::size_t cutShort = 0;
    SetReportHandler([&](ReportKind kind, std::string_view text) {
        if (kind == ReportKind::Diagnostic && text.find("variant") != std::string_view::npos)
            ++cutShort;
        else
            std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    });
    CIndex index;
    if (!index.Open(data, "Index", kIndexWhole))
        return 4;
    const auto& groups = index.Variants().Groups();
    const std::uint32_t records = index.FileList().GetRecordCount();
    std::printf("data %s: %u pages, %zu variant groups (largest %zu members)\n", data.c_str(), records,
                groups.size(),
                groups.empty() ? std::size_t{0}
                               : std::ranges::max_element(groups, {}, &std::vector<std::uint32_t>::size)->size());
    if (records == 0)
        return 4;

    // The pages: evenly spread, plus the 20 longest.
    std::vector<std::uint32_t> ids;
    const std::size_t step = std::max<std::size_t>(1, records / std::max<std::size_t>(1, pages));
    for (std::uint32_t id = 0; id < records && ids.size() < pages; id += static_cast<std::uint32_t>(step))
        ids.push_back(id);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> byLength;
    for (std::uint32_t id = 0; id < records; ++id) {
        std::uint32_t length = 0;
        if (index.GetRecordLength(id, length))
            byLength.emplace_back(length, id);
    }
    std::ranges::sort(byLength, std::greater<>());
    for (std::size_t i = 0; i < byLength.size() && i < 20; ++i)
        ids.push_back(byLength[i].second);

    // The characters with the largest groups.
    std::vector<std::pair<std::size_t, char32_t>> bySize;
    for (const auto& group : groups)
        if (!group.empty())
            bySize.emplace_back(group.size(), group.front());
    std::ranges::sort(bySize, std::greater<>());
    std::vector<char32_t> largest;
    for (std::size_t i = 0; i < bySize.size() && largest.size() < kKeywordLength; ++i)
        largest.push_back(bySize[i].second);

    Bench bench(index);
    std::uint32_t seed = 1;
    for (std::uint32_t id : ids) {
        std::string stored, name;
        if (!index.ReadRecord(id, stored) || !index.FileList().ReadFileName(id, name))
            continue;
        const std::int32_t number = CFileList::PageNumberFromName(name).value_or(0);
        const std::vector<char32_t> chars = CellCharacters(stored, number);
        if (chars.size() < kKeywordLength)
            continue;
        seed = seed * 1103515245u + 12345u;
        const std::size_t at = (seed >> 8) % (chars.size() - kKeywordLength + 1);
        std::vector<char32_t> own(chars.begin() + static_cast<std::ptrdiff_t>(at),
                                  chars.begin() + static_cast<std::ptrdiff_t>(at + kKeywordLength));
        bench.Render("own", id, Keyword(own));

        std::vector<char32_t> variant = own;
        for (char32_t& c : variant)
            c = bench.LastMember(c);
        bench.Render("own-variant", id, Keyword(variant));

        std::vector<char32_t> wild = own;
        wild[3] = '*';
        wild[8] = '?';
        bench.Render("wildcards", id, Keyword(wild));

        std::u16string terms = Keyword({own.begin(), own.begin() + 4});
        terms += u'\u3000';
        terms += Keyword({own.begin() + 4, own.begin() + 8});
        terms += u'\u3000';
        terms += Keyword({own.begin() + 8, own.end()});
        bench.Render("terms", id, terms);

        std::map<char32_t, std::size_t> frequency;
        for (char32_t c : chars)
            ++frequency[c];
        std::vector<std::pair<std::size_t, char32_t>> common;
        for (const auto& [c, n] : frequency)
            common.emplace_back(n, c);
        std::ranges::sort(common, std::greater<>());
        std::u16string singles;
        for (std::size_t i = 0; i < common.size() && i < kKeywordLength; ++i) {
            if (i)
                singles += u'\u3000';
            AppendCodePoint(common[i].second, singles);
        }
        bench.Render("singles", id, singles);

        if (!largest.empty())
            bench.Render("largest", id, Keyword(largest));
    }
    // The work limit: a page of the largest group's members in random order.
    if (!groups.empty() && !byLength.empty()) {
        const auto& group = *std::ranges::max_element(groups, {}, &std::vector<std::uint32_t>::size);
        std::u16string text;
        while (text.size() * 3 < byLength.front().first)
            AppendCodePoint(group[((seed = seed * 1103515245u + 12345u) >> 8) % group.size()], text);
        const std::string stored = "<title>limit</title><TD>" + Utf8(text) + "</TD><TD></TD>";
        std::u16string plain, starred;
        for (std::size_t i = 0; i < kKeywordLength; ++i)
            AppendCodePoint(group.front(), plain);
        for (std::size_t i = 0; i < kKeywordLength / 2; ++i) {
            if (i)
                starred += u'*';
            AppendCodePoint(group.front(), starred);
        }
        for (int round = 0; round < 5; ++round) {
            bench.RenderStored("limit", stored, plain);
            bench.RenderStored("limit", stored, starred);
        }
    }
    const int result = bench.Report();
    std::printf("renders cut short at the work limit: %zu\n", cutShort);
    return result;
}
