// Keywords of about 1 MB (524288 UTF-16 units) on a data folder: how long a
// search takes and how much memory it holds. Three keywords, each searched
// with "and" and with "or", variants off:
//   repeated  one two-character phrase of the text (the most frequent pair
//             of neighbouring characters in the first pages) over and over;
//   distinct  different two-character phrases taken from the pages in order
//             (pairs of neighbours, each once), as many as fit;
//   mixed     the distinct phrases, each followed by the repeated one.
//
//   long_keyword_bench [--data DIR] [--terms N]
//
// --terms caps the number of terms of each keyword (the default fills 1 MB).
// Peak resident memory is printed after each search (VmHWM).
#include "engine/index.h"
#include "textstore/utf8_decode.h"

#include "executable_folder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vesk;

constexpr std::size_t kMegabyteOfUnits = 512 * 1024;

long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Han characters of the basic plane (pairs above it are left out: they are
// rare and would only shorten the keyword's term count).
bool IsHan(char16_t c)
{
    return c >= 0x3400 && c <= 0x9FFF;
}

// Pairs of neighbouring Han characters from the pages in order, each once,
// and the most frequent pair.
void CollectPairs(const CIndex& index, std::size_t wanted, std::vector<std::u16string>& pairs,
                  std::u16string& frequent)
{
    std::set<std::u16string> seen;
    std::map<std::u16string, int> frequency;
    std::string page;
    const std::int32_t pageCount = index.GetHeaderValue();
    for (std::int32_t id = 0; id < pageCount && pairs.size() < wanted; ++id) {
        if (!index.ReadRecord(static_cast<std::uint32_t>(id), page))
            continue;
        const std::u16string text = Utf8ToUtf16(page);
        char16_t previous = 0;
        for (std::size_t at = 0; at < text.size() && pairs.size() < wanted; ++at) {
            const char16_t c = text[at];
            if (!IsHan(c)) {
                previous = 0;
                continue;
            }
            if (previous != 0) {
                const std::u16string pair{previous, c};
                if (id < 200)
                    ++frequency[pair];
                if (seen.insert(pair).second)
                    pairs.push_back(pair);
            }
            previous = c;
        }
    }
    int best = 0;
    for (const auto& [pair, n] : frequency)
        if (n > best) {
            best = n;
            frequent = pair;
        }
}

// A keyword of terms each followed by a space, up to 1 MB and maxTerms terms.
struct LongKeyword {
    explicit LongKeyword(std::size_t maxTerms) : maxTerms(maxTerms) {}

    // Appends the terms when all of them fit; false (nothing appended) when not.
    bool Append(std::initializer_list<std::u16string_view> more)
    {
        std::size_t units = 0;
        for (std::u16string_view term : more)
            units += term.size() + 1;
        if (text.size() + units > kMegabyteOfUnits || terms + more.size() > maxTerms)
            return false;
        for (std::u16string_view term : more) {
            text += term;
            text += u' ';
        }
        terms += more.size();
        return true;
    }

    std::size_t maxTerms;
    std::u16string text;
    std::size_t terms = 0;
};

void Run(CIndex& index, const char* name, const std::u16string& keyword, std::size_t terms)
{
    for (const bool useOr : {false, true}) {
        std::u16string buffer = keyword;
        const auto start = std::chrono::steady_clock::now();
        const int sum = useOr ? index.SearchOr(buffer, false) : index.SearchAnd(buffer, false);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-9s %-3s %7zu terms %8zu units  %10.1f ms  %6d pages  sum %11d  peak %6ld MiB\n", name,
                    useOr ? "or" : "and", terms, keyword.size(), ms, index.m_nResults, sum, PeakResidentKb() / 1024);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder = ExecutableFolder();
    std::size_t maxTerms = SIZE_MAX;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--data") && i + 1 < argc) {
            folder = argv[++i];
        } else if (!std::strcmp(argv[i], "--terms") && i + 1 < argc) {
            maxTerms = std::strtoull(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: long_keyword_bench [--data DIR] [--terms N]\n");
            return 2;
        }
    }
    CIndex index;
    if (index.Open(folder, "Index", kIndexWhole) != 1) {
        std::fprintf(stderr, "long_keyword_bench: cannot open the data in %s\n", folder.c_str());
        return 1;
    }
    std::vector<std::u16string> pairs;
    std::u16string frequent;
    CollectPairs(index, std::min(kMegabyteOfUnits / 3, maxTerms), pairs, frequent);
    if (pairs.empty()) {
        std::fprintf(stderr, "long_keyword_bench: no text to take phrases from\n");
        return 1;
    }
    std::printf("data %s, %zu distinct pairs taken, repeated pair U+%04X U+%04X\n", folder.c_str(), pairs.size(),
                static_cast<unsigned>(frequent[0]), static_cast<unsigned>(frequent[1]));

    LongKeyword repeated(maxTerms);
    while (repeated.Append({frequent})) {
    }
    Run(index, "repeated", repeated.text, repeated.terms);

    LongKeyword distinct(maxTerms);
    for (const std::u16string& pair : pairs)
        if (!distinct.Append({pair}))
            break;
    Run(index, "distinct", distinct.text, distinct.terms);

    LongKeyword mixed(maxTerms);
    for (const std::u16string& pair : pairs)
        if (!mixed.Append({pair, frequent}))
            break;
    Run(index, "mixed", mixed.text, mixed.terms);
    return 0;
}
