#pragma once
// The SQLite FTS5 peer: one table per layer with the trigram tokenizer, rows
// keyed by page identifier. Each term is asked in the form FTS5 answers best:
// a phrase of three or more characters by MATCH (from the trigram index),
// shorter phrases and "?" by LIKE ("_" for one character; a scan of every row
// unless three characters stand side by side), "*" by GLOB
// ("*" for any gap: FTS5 cannot bound a gap, so it finds a superset of the
// engine's pages). Variant groups become one query per spelling, united;
// terms are combined by INTERSECT ("and") or UNION ("or"). Pages only: FTS5
// is not asked to count places.
#include "compare/query.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace vesk::bench {

class Fts5Peer {
public:
    Fts5Peer() = default;
    ~Fts5Peer();
    Fts5Peer(const Fts5Peer&) = delete;
    Fts5Peer& operator=(const Fts5Peer&) = delete;

    // Builds the table of one layer anew in file; false with error set on failure.
    static bool Build(const std::filesystem::path& file, const std::vector<std::string>& pages, std::string& error);

    bool Open(const std::filesystem::path& file, std::string& error);
    // The SQL statement and its parameters for terms.
    static std::string Statement(const std::vector<PeerTerm>& terms, bool useOr, std::vector<std::string>& params);
    bool Run(const std::string& sql, const std::vector<std::string>& params, Found& found, std::string& error);

private:
    sqlite3* m_db = nullptr;
};

} // namespace vesk::bench
