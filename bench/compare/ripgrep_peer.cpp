#include "compare/ripgrep_peer.h"

#include <cstdlib>

namespace vesk::bench {

std::string TermRegex(const PeerTerm& term)
{
    std::string regex;
    for (const PeerUnit& unit : term) {
        if (unit.kind == PeerUnit::AnyOne) {
            regex += '.';
        } else if (unit.kind == PeerUnit::Gap) {
            regex += ".{0,300}";
        } else if (unit.spellings.size() == 1) {
            regex += unit.spellings[0];
        } else {
            regex += '[';
            for (const std::string& s : unit.spellings)
                regex += s;
            regex += ']';
        }
    }
    return regex;
}

bool RunRipgrep(const std::string& rg, const std::string& file, const std::string& regex, Found& found,
                double& wallMs, double& cpuMs)
{
    const ProcessRun run = RunProcess({rg, "--no-config", "--no-filename", "--line-number", "--only-matching",
                                       "--regexp", regex, file});
    wallMs = run.wallMs;
    cpuMs = run.cpuMs;
    found = {};
    if (run.status != 0 && run.status != 1) // 1: no match
        return false;
    // Lines "N:match"; N is the page identifier + 1, ascending.
    std::size_t at = 0;
    while (at < run.output.size()) {
        const std::size_t end = run.output.find('\n', at);
        const std::size_t lineEnd = end == std::string::npos ? run.output.size() : end;
        const auto page = static_cast<std::uint32_t>(std::strtoul(run.output.c_str() + at, nullptr, 10) - 1);
        if (!found.pages.empty() && found.pages.back() == page) {
            ++found.counts.back();
        } else {
            found.pages.push_back(page);
            found.counts.push_back(1);
        }
        at = lineEnd + 1;
    }
    return true;
}

} // namespace vesk::bench
