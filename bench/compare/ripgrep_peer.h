#pragma once
// The ripgrep peer: a scan of a layer's text file (one page a line) with a
// regular expression per term, every match printed with its line number, so
// that the pages and the places on each are counted. "?" is ".", "*" is
// ".{0,300}" (a gap of 0 to 300 characters), a variant group a character
// class. Terms are run one by one and combined here ("and", "or").
#include "compare/process.h"
#include "compare/query.h"

#include <string>
#include <vector>

namespace vesk::bench {

std::string TermRegex(const PeerTerm& term);

// Runs one term over file with the rg program; false when rg fails.
bool RunRipgrep(const std::string& rg, const std::string& file, const std::string& regex, Found& found,
                double& wallMs, double& cpuMs);

} // namespace vesk::bench
