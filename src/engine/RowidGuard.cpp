// The mark and trigger that keep a table's row ids from being used twice (RowidGuard.h).

#include "engine/RowidGuard.h"

#include "engine/DaoInternal.h"
#include "engine/FoldedKeys.h"
#include "engine/JetValues.h"
#include "engine/SqliteValues.h"
#include "engine/WriteStep.h"

#include <algorithm>
#include <set>
#include <sqlite3.h>
#include <vector>

namespace engine::detail {

namespace {

std::string deleteTrigger(const std::string& table) {
    return table + ".rowid.delete";
}

std::string literal(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::int64_t schemaVersion(Store& s) {
    StmtUse q(s.prepare("PRAGMA schema_version"));
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW) s.raise(rc);
    return sqlite3_column_int64(q, 0);
}

std::string column(sqlite3_stmt* s, int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, i))) : std::string();
}

// The tables of the file without the trigger.
std::vector<std::string> unguarded(Store& s) {
    std::set<std::string, NoCaseLess> tables, triggers;
    {
        StmtUse q(s.prepare("SELECT type, name FROM sqlite_master WHERE type IN ('table', "
                            "'trigger')"));
        int rc;
        while ((rc = sqlite3_step(q)) == SQLITE_ROW)
            (column(q, 0) == "table" ? tables : triggers).insert(column(q, 1));
        if (rc != SQLITE_DONE) s.raise(rc);
    }
    if (tables.count("__jet_rowids")) s.addSchemaName("__jet_rowids"); // made by another process
    std::vector<std::string> out;
    for (const auto& [name, info] : s.tables())
        if (tables.count(name) && !triggers.count(deleteTrigger(name))) out.push_back(name);
    return out;
}

void guardTable(Store& s, const std::string& table) {
    const std::string t = quoteIdent(table), key = literal(table);
    s.exec("CREATE TRIGGER " + quoteIdent(deleteTrigger(table)) + " AFTER DELETE ON " + t +
           " FOR EACH ROW WHEN OLD.rowid > ifnull((SELECT max(rowid) FROM " + t +
           "), 0) AND OLD.rowid > ifnull((SELECT high FROM __jet_rowids WHERE tbl = " + key +
           "), 0) BEGIN INSERT OR REPLACE INTO __jet_rowids (tbl, high) VALUES (" + key +
           ", OLD.rowid); END");
}

constexpr const char* kCreateMarks =
    "CREATE TABLE IF NOT EXISTS __jet_rowids (tbl TEXT PRIMARY KEY COLLATE NOCASE, high INTEGER "
    "NOT NULL)";

} // namespace

void guardNewTable(Store& s, const std::string& table) {
    s.exec(kCreateMarks);
    s.addSchemaName("__jet_rowids");
    guardTable(s, table);
}

std::string freshRowid(const std::string& table) {
    return "(SELECT high + 1 FROM __jet_rowids WHERE tbl = " + literal(table) +
           " AND high >= ifnull((SELECT max(rowid) FROM " + quoteIdent(table) + "), 0))";
}

namespace {

std::int64_t lastRowid(Store& s, const std::string& table) {
    StmtUse q(s.prepare("SELECT ifnull(max(rowid), 0) FROM " + quoteIdent(table)));
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW) s.raise(rc, q);
    return sqlite3_column_int64(q, 0);
}

// The table's mark, 0 without one.
std::int64_t markOf(Store& s, const std::string& table) {
    StmtUse q(s.prepare("SELECT high FROM __jet_rowids WHERE tbl = ?1"));
    sqlite3_bind_text(q, 1, table.data(), static_cast<int>(table.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) s.raise(rc, q);
    return rc == SQLITE_ROW ? sqlite3_column_int64(q, 0) : 0;
}

void moveRows(Store& s, const std::string& table, const char* idColumn, std::int64_t after,
              std::int64_t by) {
    StmtUse q(s.prepare("UPDATE " + quoteIdent(table) + " SET " + idColumn + " = " + idColumn +
                        " + ?1 WHERE " + idColumn + " > ?2"));
    sqlite3_bind_int64(q, 1, by);
    sqlite3_bind_int64(q, 2, after);
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_DONE) s.raise(rc, q);
}

} // namespace

long insertPastMark(Store& s, const TableInfo& info, const std::function<long()>& insert) {
    if (!s.nameInSchema("__jet_rowids")) return insert();
    const std::string& table = info.name;
    WriteStep step(s);
    const std::int64_t last = lastRowid(s, table), mark = markOf(s, table);
    const long added = insert();
    // SQLite numbered the new rows from last + 1: those at or below the mark move to
    // beyond both the mark and the new rows, so that no move meets another row.
    if (mark > last && added > 0) {
        const std::int64_t by = std::max(mark, lastRowid(s, table)) - last;
        moveRows(s, table, "rowid", last, by);
        const auto& ixs = info.indexes;
        if (std::any_of(ixs.begin(), ixs.end(), [](const IndexInfo& ix) { return ix.folded; }))
            moveRows(s, keyTableName(table), kKeyRowid, last, by);
    }
    step.done();
    return added;
}

void guardRowids(Store& s) {
    // A file in a transaction SQLite ended reads in autocommit but must not be written.
    if (s.readOnlyConnection || s.inTransaction || !sqlite3_get_autocommit(s.db)) return;
    try {
        std::int64_t version = schemaVersion(s);
        if (version == s.guardedSchemaVersion) return;
        const std::vector<std::string> tables = unguarded(s);
        if (!tables.empty()) {
            s.exec("BEGIN IMMEDIATE");
            try {
                s.exec(kCreateMarks);
                // Another process may have added them while this one waited.
                for (const std::string& table : unguarded(s))
                    guardTable(s, table);
                s.exec("COMMIT");
                s.addSchemaName("__jet_rowids");
            } catch (...) {
                sqlite3_exec(s.db, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
            version = schemaVersion(s);
        }
        s.guardedSchemaVersion = version;
    } catch (const runtime::Error&) {
        // Locked by another process, or a table SQLite cannot add triggers to: tried again
        // when the next cursor opens.
    }
}

} // namespace engine::detail
