// Hit pages with variants for long keywords: a two-character phrase of the
// text repeated as terms ("明月 明月 ...") up to a given length, searched with
// "and" and variants, then the first page found rendered with variants. The
// render looks every character of the keyword up in the variant table, so
// its time shows what a lookup costs per character.
//
//   variant_render_bench [--data DIR] [UNITS...]
//
// DIR defaults to the folder of the executable (the demo data after ./run);
// UNITS default to 300 3000 30000 300000 524288 (1 MB).
#include "engine/index.h"
#include "engine/report.h"

#include "executable_folder.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vesk;

std::u16string RepeatedPhrase(std::size_t units)
{
    std::u16string keyword;
    while (keyword.size() + 2 <= units) {
        if (!keyword.empty())
            keyword += u' ';
        keyword += u"明月";
    }
    return keyword;
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path data = ExecutableFolder();
    std::vector<std::size_t> lengths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc)
            data = argv[++i];
        else
            lengths.push_back(std::stoul(argv[i]));
    }
    if (lengths.empty())
        lengths = {300, 3000, 30000, 300000, 524288};
    SetReportHandler([](ReportKind, std::string_view) {});
    CIndex index;
    if (index.Open(data, "Index", kIndexWhole) != 1) {
        std::fprintf(stderr, "variant_render_bench: cannot open %s\n", data.c_str());
        return 1;
    }
    std::printf("%10s %8s %10s %8s\n", "units", "pages", "render ms", "anchors");
    for (const std::size_t units : lengths) {
        std::u16string keyword = RepeatedPhrase(units);
        index.SearchAnd(keyword, true);
        if (index.m_arrPages.empty()) {
            std::printf("%10zu %8d %10s %8s\n", units, 0, "-", "-");
            continue;
        }
        std::string page;
        const auto start = std::chrono::steady_clock::now();
        const std::int32_t anchors = index.RenderHitPage(index.m_arrPages.front(), page, keyword, 0, true);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%10zu %8zu %10.2f %8d\n", units, index.m_arrPages.size(), ms, anchors);
    }
    return 0;
}
