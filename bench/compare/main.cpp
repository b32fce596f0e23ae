// Our engine beside its peers on the same page texts: per-query medians, the
// ratio to the best peer, per-class sums, build times and sizes, and the
// ratio to the time the posting bytes take at this machine's memory bandwidth.
//
//   compare_bench --data DIR --work DIR --tool VESK_TOOL [--rg RG]
//                 [--builder VESK_BUILD --source SOURCE_DIR] [--runs N]
//                 [--tool-runs N] [--peer-runs N] [--smoke] [--reuse] [--ours-only]
//
// The peers (fts5_peer.h, ripgrep_peer.h) search the layer texts rebuilt from
// DIR's page store (layer_texts.h) and are built in WORK. Pages found are
// checked: vesk-tool --raw and ripgrep must find exactly the engine's pages
// (and places, for terms of single characters), FTS5 the same pages, or for
// "*" a superset. Exit status 0 when every check holds, 1 otherwise, 2 on
// bad usage or missing input. No timing is ever a failure. --ours-only
// measures the engine and vesk-tool alone (no peer files built or run).
#include "compare/fts5_peer.h"
#include "compare/layer_texts.h"
#include "compare/process.h"
#include "compare/query_set.h"
#include "compare/report.h"
#include "compare/ripgrep_peer.h"

#include "textstore/utf8_decode.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace vesk;
using namespace vesk::bench;

int Usage()
{
    std::fprintf(stderr, "usage: compare_bench --data DIR --work DIR --tool VESK_TOOL [--rg RG] [--builder VESK_BUILD "
                         "--source SOURCE_DIR] [--runs N] [--tool-runs N] [--peer-runs N] [--smoke] [--reuse] [--ours-only]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--data" && hasValue)
            options.data = argv[++i];
        else if (arg == "--work" && hasValue)
            options.work = argv[++i];
        else if (arg == "--tool" && hasValue)
            options.tool = argv[++i];
        else if (arg == "--rg" && hasValue)
            options.rg = argv[++i];
        else if (arg == "--builder" && hasValue)
            options.builder = argv[++i];
        else if (arg == "--source" && hasValue)
            options.source = argv[++i];
        else if (arg == "--runs" && hasValue)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--tool-runs" && hasValue)
            options.toolRuns = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--peer-runs" && hasValue)
            options.peerRuns = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--smoke")
            options.smoke = true;
        else if (arg == "--reuse")
            options.reuse = true;
        else if (arg == "--ours-only")
            options.oursOnly = true;
        else
            return Usage();
    }
    if (options.data.empty() || options.work.empty() || options.tool.empty())
        return Usage();
    return RunComparison(options);
}
