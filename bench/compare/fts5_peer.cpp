#include "compare/fts5_peer.h"

#include <sqlite3.h>

namespace vesk::bench {
namespace {

bool Exec(sqlite3* db, const char* sql, std::string& error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message != nullptr ? message : "sqlite error";
    sqlite3_free(message);
    return false;
}

// The spellings of a term: every choice of one member per character.
void Spellings(const PeerTerm& term, std::size_t at, std::string prefix, char wildcardOne, char wildcardGap,
               std::vector<std::string>& out)
{
    if (at == term.size()) {
        out.push_back(prefix);
        return;
    }
    const PeerUnit& unit = term[at];
    if (unit.kind == PeerUnit::AnyOne)
        return Spellings(term, at + 1, prefix + wildcardOne, wildcardOne, wildcardGap, out);
    if (unit.kind == PeerUnit::Gap)
        return Spellings(term, at + 1, prefix + wildcardGap, wildcardOne, wildcardGap, out);
    for (const std::string& member : unit.spellings)
        Spellings(term, at + 1, prefix + member, wildcardOne, wildcardGap, out);
}

// Whether three characters stand side by side: only then can the trigram
// index serve a LIKE or GLOB pattern. Shorter runs leave the pattern to a scan
// of every row ("+x": SQLite 3.40's FTS5 finds nothing for them otherwise).
bool HasTrigram(const PeerTerm& term)
{
    std::size_t run = 0;
    for (const PeerUnit& u : term) {
        run = u.kind == PeerUnit::Character ? run + 1 : 0;
        if (run == 3)
            return true;
    }
    return false;
}

bool HasAnyOne(const PeerTerm& term)
{
    for (const PeerUnit& u : term)
        if (u.kind == PeerUnit::AnyOne)
            return true;
    return false;
}

} // namespace

Fts5Peer::~Fts5Peer()
{
    if (m_db != nullptr)
        sqlite3_close(m_db);
}

bool Fts5Peer::Build(const std::filesystem::path& file, const std::vector<std::string>& pages, std::string& error)
{
    std::filesystem::remove(file);
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        error = "cannot create " + file.string();
        sqlite3_close(db);
        return false;
    }
    bool ok = Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;", error) &&
              Exec(db, "CREATE VIRTUAL TABLE pages USING fts5(x, tokenize='trigram');", error);
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO pages(rowid, x) VALUES(?, ?)", -1, &insert, nullptr) == SQLITE_OK;
    for (std::size_t id = 0; ok && id < pages.size(); ++id) {
        sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(id));
        sqlite3_bind_text(insert, 2, pages[id].data(), static_cast<int>(pages[id].size()), SQLITE_STATIC);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    if (!ok && error.empty())
        error = sqlite3_errmsg(db);
    sqlite3_finalize(insert);
    ok = ok && Exec(db, "COMMIT;", error);
    sqlite3_close(db);
    return ok;
}

bool Fts5Peer::Open(const std::filesystem::path& file, std::string& error)
{
    if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = "cannot open " + file.string();
        return false;
    }
    return true;
}

std::string Fts5Peer::Statement(const std::vector<PeerTerm>& terms, bool useOr, std::vector<std::string>& params)
{
    std::string sql;
    for (const PeerTerm& term : terms) {
        std::vector<std::string> spellings;
        std::string termSql;
        if (HasGap(term)) {
            Spellings(term, 0, "*", '?', '*', spellings);
            for (std::string& s : spellings)
                s += '*';
            const std::string column = HasTrigram(term) ? "x" : "+x";
            for (std::size_t i = 0; i < spellings.size(); ++i)
                termSql += std::string(i ? " UNION " : "") + "SELECT rowid AS id FROM pages WHERE " + column + " GLOB ?";
        } else if (HasAnyOne(term) || term.size() < 3) {
            Spellings(term, 0, "%", '_', '%', spellings);
            for (std::string& s : spellings)
                s += '%';
            const std::string column = HasTrigram(term) ? "x" : "+x";
            for (std::size_t i = 0; i < spellings.size(); ++i)
                termSql += std::string(i ? " UNION " : "") + "SELECT rowid AS id FROM pages WHERE " + column + " LIKE ?";
        } else {
            Spellings(term, 0, "\"", '?', '*', spellings);
            for (std::string& s : spellings)
                s += '"';
            for (std::size_t i = 0; i < spellings.size(); ++i)
                termSql += std::string(i ? " UNION " : "") + "SELECT rowid AS id FROM pages WHERE pages MATCH ?";
        }
        params.insert(params.end(), spellings.begin(), spellings.end());
        if (!sql.empty())
            sql += useOr ? " UNION " : " INTERSECT ";
        sql += "SELECT id FROM (" + termSql + ")";
    }
    return sql + " ORDER BY 1";
}

bool Fts5Peer::Run(const std::string& sql, const std::vector<std::string>& params, Found& found, std::string& error)
{
    found = {};
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    for (std::size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_text(statement, static_cast<int>(i + 1), params[i].data(), static_cast<int>(params[i].size()),
                          SQLITE_STATIC);
    int rc = 0;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        found.pages.push_back(static_cast<std::uint32_t>(sqlite3_column_int64(statement, 0)));
        found.counts.push_back(0);
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    return true;
}

} // namespace vesk::bench
