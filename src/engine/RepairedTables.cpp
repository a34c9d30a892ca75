// After a repair: descriptions, folded keys and row id marks of the tables it kept only
// (RepairedTables.h).

#include "engine/RepairedTables.h"

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/FoldedKeys.h"
#include "engine/RowidGuard.h"

#include <set>
#include <sqlite3.h>

namespace engine::detail {

namespace {

using Names = std::set<std::string, NoCaseLess>;

Names sqliteTables(Store& s) {
    Names names;
    StmtUse q(s.prepare("SELECT name FROM sqlite_master WHERE type = 'table'"));
    int rc;
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        names.insert(p ? p : "");
    }
    if (rc != SQLITE_DONE) s.raise(rc, q);
    return names;
}

bool hasIndex(Store& s, const std::string& name) {
    StmtUse q(s.prepare("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?"));
    sqlite3_bind_text(q, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) s.raise(rc, q);
    return rc == SQLITE_ROW;
}

// A Jet table lost whole goes, with its table of folded keys: the structure step can then
// make it again as new.
void dropUnreadable(Store& s, const std::vector<std::string>& unreadable) {
    for (const std::string& name : unreadable) {
        if (!s.table(name)) continue; // not a Jet table
        s.exec("DROP TABLE " + quoteIdent(name));
        s.exec("DROP TABLE IF EXISTS " + quoteIdent(keyTableName(name)));
    }
}

// What the engine keeps of tables the file no longer holds.
void forgetMissingTables(Store& s) {
    const Names tables = sqliteTables(s);
    for (const char* own : {"__jet_fields", "__jet_indexes", "__jet_index_fields", "__jet_rowids"})
        if (tables.count(own))
            s.exec(std::string("DELETE FROM ") + own +
                   " WHERE tbl NOT IN (SELECT name FROM sqlite_master WHERE type = 'table')");
    s.exec("DELETE FROM __jet_index_fields WHERE NOT EXISTS (SELECT 1 FROM __jet_indexes i "
           "WHERE i.tbl = __jet_index_fields.tbl AND i.name = __jet_index_fields.idx)");
    const std::string suffix = keyTableName("");
    for (const std::string& name : tables)
        if (name.size() > suffix.size() && name.ends_with(suffix) &&
            !tables.count(name.substr(0, name.size() - suffix.size())))
            s.exec("DROP TABLE " + quoteIdent(name));
}

// The table's indexes as the file can keep them: one SQLite lost (a unique index the
// kept rows break) is forgotten, unless it belongs on the folded keys, which are made
// anew; so is one over fields the table does not describe.
TableInfo keptIndexes(Store& s, const TableInfo& info) {
    TableInfo kept = info;
    kept.indexes.clear();
    for (IndexInfo ix : info.indexes) {
        bool described = !ix.fields.empty();
        for (const std::string& f : ix.fields)
            described = described && info.ordinalOf(f) >= 0;
        const bool inSqlite = ix.folded || hasIndex(s, ix.sqlName);
        if (!inSqlite) ix.folded = needsFolding(info, ix.fields);
        if (described && (inSqlite || ix.folded)) {
            kept.indexes.push_back(std::move(ix));
            continue;
        }
        s.exec("DROP INDEX IF EXISTS " + quoteIdent(ix.sqlName));
        deleteIndexRows(s, info.name, ix.name);
    }
    return kept;
}

// The table of folded keys made anew from the rows the table kept. A folded index those
// rows break is left out with its description.
void remakeKeys(Store& s, TableInfo info) {
    for (;;) {
        std::string failing;
        s.exec("SAVEPOINT jet_keys");
        try {
            rebuildKeyTable(s, info, [&](const IndexInfo& ix) {
                failing = ix.name;
                createIndexOf(s, info, ix);
                failing.clear();
            });
            s.exec("RELEASE jet_keys");
            return;
        } catch (const runtime::Error&) {
            s.exec("ROLLBACK TO jet_keys; RELEASE jet_keys");
            if (failing.empty()) throw;
        }
        deleteIndexRows(s, info.name, failing);
        std::erase_if(info.indexes, [&](const IndexInfo& ix) { return ix.name == failing; });
    }
}

void settle(Store& s, const std::vector<std::string>& unreadable) {
    dropUnreadable(s, unreadable);
    forgetMissingTables(s);
    s.invalidateSchema();
    // Numbering first, then the folded keys: their triggers read the number given.
    for (const auto& [name, info] : s.tables()) {
        remakeAutoNumbers(s, *info);
        remakeKeys(s, keptIndexes(s, *info));
    }
}

} // namespace

void settleRepairedTables(const std::string& path, const std::vector<std::string>& unreadable) {
    auto s = std::make_shared<Store>();
    s->path = path;
    if (sqlite3_open_v2(path.c_str(), &s->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        raiseEngine(err::DiskOrNetworkError);
    sqlite3_extended_result_codes(s->db, 1);
    registerFold(s->db);
    s->exec("BEGIN IMMEDIATE");
    try {
        settle(*s, unreadable);
        s->exec("COMMIT");
    } catch (...) {
        sqlite3_exec(s->db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    s->invalidateSchema();
    guardRowids(*s);
}

} // namespace engine::detail
