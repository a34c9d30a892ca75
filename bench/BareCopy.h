#pragma once

// The bare side of an import benchmark: the same rows written by plain SQL on this year's
// file, last year's attached as `l`, in one transaction.

#include "engine/FoldedKeys.h"

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace bench {

inline void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(2);
    }
}

inline void exec(sqlite3* db, const std::string& sql) {
    check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

// "a, b, c"
inline std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items)
        out += (out.empty() ? "" : ", ") + s;
    return out;
}

inline void bareCopy(const std::string& thisYear, const std::string& lastYear,
                     const std::vector<std::string>& statements) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(thisYear.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=-16000");
    // The file's text keys are kept folded by triggers that call the engine's function.
    engine::detail::registerFold(db);
    sqlite3_stmt* att = nullptr;
    check(sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS l", -1, &att, nullptr), db);
    sqlite3_bind_text(att, 1, lastYear.c_str(), -1, SQLITE_TRANSIENT);
    check(sqlite3_step(att), db);
    sqlite3_finalize(att);
    exec(db, "BEGIN IMMEDIATE");
    for (const std::string& sql : statements)
        exec(db, sql);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

} // namespace bench
