#include "compare/report.h"

#include "compare/fts5_peer.h"
#include "compare/layer_texts.h"
#include "compare/measure.h"
#include "compare/process.h"
#include "compare/query_set.h"
#include "compare/ripgrep_peer.h"

#include "engine/term_search.h"
#include "pane/model/contents_model.h"
#include "pane/model/results.h"
#include "textstore/code_converter.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace vesk::bench {
namespace {

namespace fs = std::filesystem;

const char* const kLayerNames[3] = {"whole", "annot", "main"};

struct BuildFigures {
    double oursWallS = -1, oursCpuS = -1;
    double fts5WallS[3] = {-1, -1, -1}, fts5CpuS[3] = {-1, -1, -1};
};

struct Row {
    Query query;
    std::size_t pages = 0;
    std::uint64_t places = 0;
    double oursMs = 0, oursCpuMs = 0, firstMs = 0;
    double toolMs = 0, toolCpuMs = 0;
    double trueMs = 0;    // /bin/true, started alternately with the tool
    double sqliteMs = -1; // an sqlite3 process answering from the FTS5 table (phrases of 3 or more)
    double fts5Ms = -1, rgMs = -1;
    double boundUs = 0;
    std::string check;
    bool ok = true;
};

// Display width of UTF-8 text: wide characters count two columns.
std::string Pad(const std::string& text, std::size_t width)
{
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80)
            continue;
        columns += byte >= 0xE1 ? 2 : 1;
    }
    return text + std::string(columns < width ? width - columns : 1, ' ');
}

Found SortedFound(const CIndex& index)
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    for (std::size_t i = 0; i < index.m_arrPages.size(); ++i)
        pairs.emplace_back(index.m_arrPages[i], index.m_arrCounts[i]);
    std::sort(pairs.begin(), pairs.end());
    Found found;
    for (const auto& [page, count] : pairs) {
        found.pages.push_back(page);
        found.counts.push_back(count);
    }
    return found;
}

void RunOurs(CIndex& index, const Query& q)
{
    std::u16string keyword = Utf8ToUtf16(q.keyword);
    if (q.useOr)
        index.SearchOr(keyword, q.useVariants);
    else
        index.SearchAnd(keyword, q.useVariants);
}

bool AllSingleCharacters(const std::vector<PeerTerm>& terms)
{
    for (const PeerTerm& t : terms)
        if (t.size() != 1 || t[0].kind != PeerUnit::Character)
            return false;
    return true;
}

// The bytes the query's posting streams hold: each key read once.
std::uint64_t QueryBytes(const CIndex& index, const Query& q, std::map<std::uint32_t, std::uint64_t>& cache)
{
    std::set<std::uint32_t> keys;
    std::u16string keyword = Utf8ToUtf16(q.keyword);
    for (char16_t& c : keyword)
        if (c == u'\u3000')
            c = u' ';
    std::size_t start = 0;
    while (start <= keyword.size()) {
        std::size_t end = keyword.find(u' ', start);
        if (end == std::u16string::npos)
            end = keyword.size();
        TermPlan plan;
        if (end > start && PlanTerm(std::u16string_view(keyword).substr(start, end - start), q.useVariants,
                                    index.Variants(), index.FirstBlocks(), plan) == TermPlanStatus::Ready)
            for (const TermCursorPlan& planned : plan.cursors)
                keys.insert(planned.key);
        start = end + 1;
    }
    std::uint64_t bytes = 0;
    for (std::uint32_t key : keys) {
        auto it = cache.find(key);
        if (it == cache.end())
            it = cache.emplace(key, StreamBytes(index, key)).first;
        bytes += it->second;
    }
    return bytes;
}

bool PrepareBuilds(const Options& o, BuildFigures& figures)
{
    const fs::path timesFile = o.work / "build-times.txt";
    bool ready = o.reuse && fs::exists(timesFile);
    for (int t = 0; t < 3 && ready; ++t)
        ready = fs::exists(o.work / (std::string(kLayerNames[t]) + ".db")) &&
                fs::exists(o.work / (std::string(kLayerNames[t]) + ".txt"));
    if (ready) {
        std::ifstream in(timesFile);
        in >> figures.oursWallS >> figures.oursCpuS;
        for (int t = 0; t < 3; ++t)
            in >> figures.fts5WallS[t] >> figures.fts5CpuS[t];
        std::printf("peers: reusing the files and build times in %s\n", o.work.c_str());
        return true;
    }
    fs::create_directories(o.work);
    LayerTexts texts;
    if (!ReadLayerTexts(o.data, texts)) {
        std::fprintf(stderr, "compare_bench: cannot read the pages of %s\n", o.data.c_str());
        return false;
    }
    for (int t = 0; t < 3; ++t) {
        if (!WriteLayerFile(texts.pages[t], o.work / (std::string(kLayerNames[t]) + ".txt")))
            return false;
        std::string error;
        const double wall = NowMs(), cpu = ThreadCpuMs();
        if (!Fts5Peer::Build(o.work / (std::string(kLayerNames[t]) + ".db"), texts.pages[t], error)) {
            std::fprintf(stderr, "compare_bench: FTS5 build: %s\n", error.c_str());
            return false;
        }
        figures.fts5WallS[t] = (NowMs() - wall) / 1e3;
        figures.fts5CpuS[t] = (ThreadCpuMs() - cpu) / 1e3;
    }
    if (!o.builder.empty() && !o.source.empty()) {
        const ProcessRun run =
            RunProcess({o.builder.string(), "--force", "--quiet", o.source.string(), (o.work / "vesk-data").string()});
        if (run.status == 0) {
            figures.oursWallS = run.wallMs / 1e3;
            figures.oursCpuS = run.cpuMs / 1e3;
        } else {
            std::fprintf(stderr, "compare_bench: %s failed (status %d)\n", o.builder.c_str(), run.status);
        }
    }
    std::ofstream out(timesFile);
    out << figures.oursWallS << ' ' << figures.oursCpuS;
    for (int t = 0; t < 3; ++t)
        out << ' ' << figures.fts5WallS[t] << ' ' << figures.fts5CpuS[t];
    out << '\n';
    return true;
}

std::string CompareFound(const char* who, const Found& ours, const Found& theirs, bool counts, bool superset)
{
    if (superset) {
        if (!std::includes(theirs.pages.begin(), theirs.pages.end(), ours.pages.begin(), ours.pages.end()))
            return std::string(who) + " misses pages";
        return "";
    }
    if (ours.pages != theirs.pages)
        return std::string(who) + " pages differ (" + std::to_string(theirs.pages.size()) + ")";
    if (counts && ours.counts != theirs.counts)
        return std::string(who) + " places differ";
    return "";
}

// sql with every "?" replaced by its parameter as a quoted literal, for the
// sqlite3 program.
std::string InlineParameters(const std::string& sql, const std::vector<std::string>& params)
{
    std::string out;
    std::size_t next = 0;
    for (char c : sql) {
        if (c != '?' || next == params.size()) {
            out += c;
            continue;
        }
        out += '\'';
        for (char p : params[next++])
            out += p == '\'' ? std::string("''") : std::string(1, p);
        out += '\'';
    }
    return out + ";";
}

Row MeasureQuery(const Options& o, CIndex& index, Fts5Peer& fts5, const Query& q, double bandwidth,
                 std::map<std::uint32_t, std::uint64_t>& bytesCache)
{
    Row row;
    row.query = q;
    // Ours, in process: the first search on an index opened for it (nothing
    // made by earlier searches), then the median on the shared index.
    {
        CIndex fresh;
        fresh.Open(o.data, "Index", q.type);
        const double start = NowMs();
        RunOurs(fresh, q);
        row.firstMs = NowMs() - start;
    }
    RunOurs(index, q);
    std::vector<double> wall, cpu;
    for (int r = 0; r < o.runs; ++r) {
        const double w = NowMs(), c = ThreadCpuMs();
        RunOurs(index, q);
        wall.push_back(NowMs() - w);
        cpu.push_back(ThreadCpuMs() - c);
    }
    row.oursMs = Median(wall);
    row.oursCpuMs = Median(cpu);
    const Found ours = SortedFound(index);
    const std::vector<std::uint32_t> rawPages = index.m_arrPages, rawCounts = index.m_arrCounts;
    row.pages = ours.pages.size();
    for (std::uint32_t c : ours.counts)
        row.places += c;
    row.boundUs = static_cast<double>(QueryBytes(index, q, bytesCache)) / bandwidth * 1e6;

    std::vector<std::string> problems;
    // Ours as a whole process.
    std::vector<std::string> argv = {o.tool.string(), "search", "--raw", "--data", o.data.string(), "--target",
                                     q.type == kIndexMain ? "main" : q.type == kIndexAnnotations ? "annot" : "whole"};
    if (q.useOr)
        argv.push_back("--or");
    if (q.useVariants)
        argv.push_back("--variants");
    argv.push_back("--");
    argv.push_back(q.keyword);
    wall.clear();
    cpu.clear();
    ProcessRun run;
    std::vector<double> trueWall;
    for (int r = 0; r < o.toolRuns; ++r) {
        run = RunProcess(argv);
        wall.push_back(run.wallMs);
        cpu.push_back(run.cpuMs);
        trueWall.push_back(RunProcess({"/bin/true"}).wallMs);
    }
    row.toolMs = Median(wall);
    row.toolCpuMs = Median(cpu);
    row.trueMs = Median(trueWall);
    std::ostringstream expected;
    for (std::size_t i = 0; i < rawPages.size(); ++i)
        expected << rawPages[i] << '\t' << rawCounts[i] << '\n';
    if (run.status != 0 || run.output != expected.str())
        problems.push_back("vesk-tool differs");

    if (o.oursOnly) {
        row.ok = problems.empty();
        row.check = row.ok ? "ok (no peers)" : problems.front();
        return row;
    }
    const std::vector<PeerTerm> terms = PeerTerms(q, index);
    const bool anyGap = std::any_of(terms.begin(), terms.end(), HasGap);
    const bool counts = AllSingleCharacters(terms);
    // FTS5.
    std::vector<std::string> params;
    const std::string sql = Fts5Peer::Statement(terms, q.useOr, params);
    Found found;
    std::string error;
    wall.clear();
    for (int r = 0; r < o.peerRuns && !terms.empty(); ++r) {
        const double w = NowMs();
        if (!fts5.Run(sql, params, found, error)) {
            problems.push_back("FTS5: " + error);
            break;
        }
        wall.push_back(NowMs() - w);
    }
    if (!wall.empty() && (q.group == "3 chars" || q.group == "4-8 chars")) {
        // The same statement as an sqlite3 process, beside /bin/true.
        std::vector<double> sqliteWall;
        const std::vector<std::string> sqliteArgv = {"sqlite3", "-batch", (o.work / (std::string(kLayerNames[q.type]) + ".db")).string(),
                                                     InlineParameters(sql, params)};
        for (int r = 0; r < o.toolRuns; ++r) {
            const ProcessRun sqliteRun = RunProcess(sqliteArgv);
            if (sqliteRun.status != 0)
                break;
            sqliteWall.push_back(sqliteRun.wallMs);
            trueWall.push_back(RunProcess({"/bin/true"}).wallMs);
        }
        if (!sqliteWall.empty())
            row.sqliteMs = Median(sqliteWall);
    }
    if (!wall.empty()) {
        row.fts5Ms = Median(wall);
        const std::string diff = CompareFound("FTS5", ours, found, false, anyGap);
        if (!diff.empty())
            problems.push_back(diff);
    }
    // ripgrep, one term after another.
    const fs::path file = o.work / (std::string(kLayerNames[q.type]) + ".txt");
    wall.clear();
    for (int r = 0; r < o.peerRuns && !terms.empty(); ++r) {
        std::vector<Found> parts;
        double total = 0;
        bool ran = true;
        for (const PeerTerm& term : terms) {
            Found part;
            double w = 0, c = 0;
            ran = ran && RunRipgrep(o.rg, file.string(), TermRegex(term), part, w, c);
            total += w;
            parts.push_back(part);
        }
        if (!ran) {
            problems.push_back("ripgrep failed");
            break;
        }
        wall.push_back(total);
        found = q.useOr ? Unite(parts) : Intersect(parts);
    }
    if (!wall.empty()) {
        row.rgMs = Median(wall);
        const std::string diff = CompareFound("rg", ours, found, counts, false);
        if (!diff.empty())
            problems.push_back(diff);
    }
    row.ok = problems.empty();
    for (const std::string& p : problems)
        row.check += (row.check.empty() ? "" : "; ") + p;
    if (row.ok)
        row.check = anyGap ? "ok (FTS5 superset)" : counts ? "ok, places too" : "ok";
    return row;
}

double BestPeer(const Row& r)
{
    if (r.fts5Ms < 0)
        return r.rgMs;
    if (r.rgMs < 0)
        return r.fts5Ms;
    return std::min(r.fts5Ms, r.rgMs);
}

bool PeersScan(const std::string& group)
{
    return group.rfind("1 char", 0) == 0 || group == "2 chars" || group == "?" || group == "*" || group == "and/or";
}

void PrintRow(const Row& r)
{
    const std::string peer = BestPeer(r) < 0 ? "-" : (r.fts5Ms >= 0 && r.fts5Ms <= r.rgMs) || r.rgMs < 0 ? "fts5" : "rg";
    char ratio[32] = "        -";
    if (BestPeer(r) >= 0)
        std::snprintf(ratio, sizeof ratio, "%8.0fx", BestPeer(r) / r.oursMs);
    std::printf("%s%s%-5s %-3s %-3s %6zu %7llu %8.3f %8.3f %8.3f %8.2f %8.2f %8.2f %8.2f %9.2f %9.2f %5s %s %9.2f %8.0fx  %s\n",
                Pad(r.query.group, 16).c_str(), Pad(r.query.keyword, 16).c_str(), kLayerNames[r.query.type],
                r.query.useOr ? "or" : "and", r.query.useVariants ? "on" : "off", r.pages,
                static_cast<unsigned long long>(r.places), r.oursMs, r.oursCpuMs, r.firstMs, r.toolMs, r.toolCpuMs,
                r.toolMs - r.trueMs, r.sqliteMs >= 0 ? r.sqliteMs - r.trueMs : -1.0, r.fts5Ms, r.rgMs, peer.c_str(), ratio, r.boundUs, r.oursMs * 1e3 / r.boundUs,
                r.check.c_str());
}

void PrintTargets(const std::vector<Row>& rows)
{
    int faster = 0, scanning = 0, scanning20 = 0, under2 = 0, under10 = 0, tool10 = 0, rareTool1 = 0, rare = 0, tool4 = 0;
    int phrases = 0, phrasesNoSlower = 0, withPeers = 0;
    std::string misses, processMisses, over10;
    for (const Row& r : rows) {
        const bool peers = BestPeer(r) >= 0;
        const double ratio = peers ? BestPeer(r) / r.oursMs : 1e9; // no peers (--ours-only): no peer target
        withPeers += peers ? 1 : 0;
        faster += ratio > 1 && peers ? 1 : 0;
        under10 += r.oursMs < 10 ? 1 : 0;
        if (r.oursMs >= 10)
            over10 += "  " + r.query.keyword + " (" + kLayerNames[r.query.type] + ")";
        if (PeersScan(r.query.group) && peers) {
            ++scanning;
            scanning20 += ratio >= 20 ? 1 : 0;
        }
        under2 += r.oursMs < 2 ? 1 : 0;
        tool10 += r.toolMs < 10 ? 1 : 0;
        const double overTrue = r.toolMs - r.trueMs;
        tool4 += overTrue < 4 ? 1 : 0;
        if (r.query.group == "1 char rare") {
            ++rare;
            rareTool1 += overTrue < 1 ? 1 : 0;
        }
        if (r.sqliteMs >= 0) {
            ++phrases;
            phrasesNoSlower += r.toolMs <= r.sqliteMs ? 1 : 0;
        }
        if (overTrue >= 4 || (r.sqliteMs >= 0 && r.toolMs > r.sqliteMs))
            processMisses += "  " + r.query.keyword + " (" + kLayerNames[r.query.type] + ")";
        if (ratio <= 1 || (PeersScan(r.query.group) && ratio < 20) || r.oursMs >= 2 || r.toolMs >= 10)
            misses += "  " + r.query.keyword + " (" + kLayerNames[r.query.type] + ")";
    }
    const auto n = static_cast<int>(rows.size());
    std::printf("\ntargets:\n");
    if (withPeers > 0) {
        std::printf("  faster in process than the best peer:        %d of %d %s\n", faster, n, faster == n ? "met" : "NOT met");
        std::printf("  at least 20x where the peers scan:           %d of %d %s\n", scanning20, scanning,
                    scanning20 == scanning ? "met" : "NOT met");
    } else {
        std::printf("  peers: not run (--ours-only)\n");
    }
    std::printf("  under 2 ms median in process:                %d of %d %s\n", under2, n, under2 == n ? "met" : "NOT met");
    std::printf("  under 10 ms median in process (at 10x):      %d of %d %s\n", under10, n, under10 == n ? "met" : "NOT met");
    if (!over10.empty())
        std::printf("  queries at 10 ms or more in process:%s\n", over10.c_str());
    std::printf("  under 10 ms median as a vesk-tool process:   %d of %d %s\n", tool10, n, tool10 == n ? "met" : "NOT met");
    if (!misses.empty())
        std::printf("  queries missing a target:%s\n", misses.c_str());
    std::printf("  vesk-tool minus /bin/true, rare character:   %d of %d under 1 ms %s\n", rareTool1, rare,
                rareTool1 == rare ? "met" : "NOT met");
    std::printf("  vesk-tool minus /bin/true, every query:      %d of %d under 4 ms %s\n", tool4, n,
                tool4 == n ? "met" : "NOT met");
    std::printf("  phrases as a process no slower than sqlite3: %d of %d %s\n", phrasesNoSlower, phrases,
                phrasesNoSlower == phrases ? "met" : "NOT met");
    if (!processMisses.empty())
        std::printf("  queries missing a process target:%s\n", processMisses.c_str());
}

void PrintSummary(const std::vector<Row>& rows, const BuildFigures& builds, const Options& o, CIndex (&indexes)[3])
{
    struct Sum {
        int n = 0;
        double ours = 0, tool = 0, fts5 = 0, rg = 0, peer = 0, bound = 0;
    };
    std::vector<std::pair<std::string, Sum>> sums;
    for (const Row& r : rows) {
        auto it = std::find_if(sums.begin(), sums.end(), [&](const auto& s) { return s.first == r.query.group; });
        if (it == sums.end())
            it = sums.insert(sums.end(), {r.query.group, Sum{}});
        Sum& s = it->second;
        ++s.n;
        s.ours += r.oursMs;
        s.tool += r.toolMs;
        s.fts5 += std::max(0.0, r.fts5Ms);
        s.rg += std::max(0.0, r.rgMs);
        s.peer += std::max(0.0, BestPeer(r));
        s.bound += r.boundUs;
    }
    std::printf("\nper class (sums of medians):\n%s%3s %9s %9s %10s %10s %10s %9s %10s %9s\n", Pad("class", 16).c_str(),
                "n", "ours ms", "tool ms", "fts5 ms", "rg ms", "best peer", "peer/ours", "bound us", "ours/bnd");
    std::string furthest;
    double furthestRatio = 0;
    for (const auto& [group, s] : sums) {
        const double toBound = s.ours * 1e3 / s.bound;
        std::printf("%s%3d %9.3f %9.2f %10.1f %10.1f %10.1f %8.0fx %10.2f %8.0fx\n", Pad(group, 16).c_str(), s.n,
                    s.ours, s.tool, s.fts5, s.rg, s.peer, s.peer / s.ours, s.bound, toBound);
        if (toBound > furthestRatio) {
            furthestRatio = toBound;
            furthest = group;
        }
    }
    std::printf("class furthest from the posting-bytes bound: %s (%.0fx)\n", furthest.c_str(), furthestRatio);
    PrintTargets(rows);

    std::printf("\nbuild (wall / cpu seconds):\n");
    if (builds.oursWallS >= 0)
        std::printf("  ours, all three layers and the variant groups: %.1f / %.1f\n", builds.oursWallS, builds.oursCpuS);
    else
        std::printf("  ours: not measured (give --builder and --source)\n");
    double fts5Wall = 0, fts5Cpu = 0;
    for (int t = 0; t < 3; ++t) {
        fts5Wall += builds.fts5WallS[t];
        fts5Cpu += builds.fts5CpuS[t];
    }
    if (!o.oursOnly)
        std::printf("  FTS5 trigram, whole text: %.1f / %.1f; all three layers: %.1f / %.1f\n", builds.fts5WallS[0],
                    builds.fts5CpuS[0], fts5Wall, fts5Cpu);
    if (builds.oursWallS >= 0 && !o.oursOnly)
        std::printf("  target (ours no slower than FTS5's whole-text build): %s\n",
                    builds.oursWallS <= builds.fts5WallS[0] ? "met" : "NOT met");

    const FolderSize ours = SizeOf(o.data);
    FolderSize fts5All;
    for (int t = 0; t < 3; ++t) {
        const FolderSize s = SizeOf(o.work / (std::string(kLayerNames[t]) + ".db"));
        fts5All.apparent += s.apparent;
        fts5All.onDisk += s.onDisk;
    }
    const FolderSize fts5Whole = SizeOf(o.work / "whole.db");
    std::uint64_t keys = 0, postingBytes = 0;
    for (int t = 0; t < 3; ++t) {
        for (std::int32_t first : indexes[t].FirstBlocks())
            keys += first >= 0 ? 1 : 0;
        postingBytes += indexes[t].PostingData().size();
    }
    const double mb = 1e6;
    std::printf("\nsize (MB, apparent / on disk):\n");
    std::printf("  ours, data folder: %.1f / %.1f (posting data %.1f)\n", ours.apparent / mb, ours.onDisk / mb,
                postingBytes / mb);
    std::printf("  FTS5 trigram, whole text: %.1f / %.1f; all three layers: %.1f / %.1f\n", fts5Whole.apparent / mb,
                fts5Whole.onDisk / mb, fts5All.apparent / mb, fts5All.onDisk / mb);
    std::printf("  floor of one 4096-byte block per key with postings: %llu keys over three layers = %.1f MB; "
                "posting data is %.2fx the floor\n",
                static_cast<unsigned long long>(keys), keys * 4096.0 / mb, postingBytes / (keys * 4096.0));
}

void PrintUserPath(CIndex& index, const std::string& frequent, const Options& o)
{
    ContentsModel contents;
    if (!contents.LoadContents(o.data) || !contents.m_pRootNode) {
        std::printf("user path: contents cannot be loaded\n");
        return;
    }
    Query q{"", frequent};
    RunOurs(index, q);
    const ContentsNodeTag* scope = nullptr;
    std::size_t best = 0;
    for (const auto& category : contents.m_pRootNode->children) {
        std::size_t inside = 0;
        for (std::uint32_t page : index.m_arrPages)
            inside += category->ContainsPage(page + 1) ? 1 : 0;
        if (inside >= best) {
            best = inside;
            scope = category.get();
        }
    }
    std::vector<double> wall, cpu;
    std::vector<SearchNodeTag> results;
    for (int r = 0; r < o.runs; ++r) {
        const double w = NowMs(), c = ThreadCpuMs();
        RunOurs(index, q);
        BuildResults(scope, index.m_arrPages, index.m_arrCounts, results);
        wall.push_back(NowMs() - w);
        cpu.push_back(ThreadCpuMs() - c);
    }
    std::string name;
    if (scope != nullptr)
        Utf16ToUtf8(scope->name, name, true);
    std::printf("\nsearch + BuildResults, %s, scope the category %s (%zu records): median %.3f ms (cpu %.3f ms); "
                "target under 20 ms: %s\n",
                frequent.c_str(), name.c_str(), results.size(), Median(wall), Median(cpu),
                Median(wall) < 20 ? "met" : "NOT met");
    // The page with the most places of the character, rendered as a hit page.
    std::size_t most = 0;
    for (std::size_t i = 1; i < index.m_arrCounts.size(); ++i)
        if (index.m_arrCounts[i] > index.m_arrCounts[most])
            most = i;
    if (index.m_arrPages.empty())
        return;
    for (const bool variants : {false, true}) {
        wall.clear();
        std::string page;
        std::int32_t anchors = 0;
        for (int r = 0; r < o.runs; ++r) {
            const double w = NowMs();
            anchors = index.RenderHitPage(index.m_arrPages[most], page, Utf8ToUtf16(frequent), 0, variants);
            wall.push_back(NowMs() - w);
        }
        std::printf("RenderHitPage of page %u (%d anchors), variants %s: median %.3f ms\n", index.m_arrPages[most],
                    anchors, variants ? "on" : "off", Median(wall));
    }
}

} // namespace

int RunComparison(const Options& o)
{
    CIndex indexes[3];
    for (int t = 0; t < 3; ++t)
        if (indexes[t].Open(o.data, "Index", t) != 1)
            return 2;
    double load[3] = {};
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3)
            load[0] = -1;
        std::fclose(f);
    }
    const double bandwidth = MeasureReadBandwidth();
    std::printf("data: %s   processors: %ld   load average: %.2f %.2f %.2f\n", o.data.c_str(),
                sysconf(_SC_NPROCESSORS_ONLN), load[0], load[1], load[2]);
    std::printf("memory read bandwidth (measured): %.1f GB/s\n", bandwidth / 1e9);

    BuildFigures builds;
    if (!o.oursOnly && !PrepareBuilds(o, builds))
        return 2;
    Fts5Peer fts5[3];
    for (int t = 0; t < 3 && !o.oursOnly; ++t) {
        std::string error;
        if (!fts5[t].Open(o.work / (std::string(kLayerNames[t]) + ".db"), error)) {
            std::fprintf(stderr, "compare_bench: %s\n", error.c_str());
            return 2;
        }
    }
    const Picks picks = PickCharacters(indexes[kIndexWhole]);
    const std::vector<Query> queries = o.smoke ? MakeSmokeSet(picks) : MakeQuerySet(picks);
    std::printf("most frequent character %s, rare %s, above U+FFFF %s; runs: ours %d, vesk-tool %d, peers %d\n\n",
                picks.frequent.c_str(), picks.rare.c_str(), picks.wide.c_str(), o.runs, o.toolRuns, o.peerRuns);
    std::printf("%s%s%-5s %-3s %-3s %6s %7s %8s %8s %8s %8s %8s %8s %8s %9s %9s %5s %9s %9s %9s  %s\n", Pad("class", 16).c_str(),
                Pad("query", 16).c_str(), "layer", "op", "var", "pages", "places", "ours ms", "cpu ms", "first", "tool ms",
                "tool cpu", "tool-tru", "sql3-tru", "fts5 ms", "rg ms", "best", "peer/ours", "bound us", "ours/bnd", "check");

    std::map<std::uint32_t, std::uint64_t> bytesCache[3];
    std::vector<Row> rows;
    bool allOk = true;
    for (const Query& q : queries) {
        rows.push_back(MeasureQuery(o, indexes[q.type], fts5[q.type], q, bandwidth, bytesCache[q.type]));
        PrintRow(rows.back());
        std::fflush(stdout);
        allOk = allOk && rows.back().ok;
    }
    PrintSummary(rows, builds, o, indexes);
    PrintUserPath(indexes[kIndexWhole], picks.frequent, o);
    std::printf("\nchecks: %s\n", allOk ? "all pages found agree" : "SOME RESULTS DIFFER (see the check column)");
    return allOk ? 0 : 1;
}

} // namespace vesk::bench
