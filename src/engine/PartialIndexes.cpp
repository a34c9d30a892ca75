// Partial indexes live in SQLite alone: no row of __jet_indexes describes them, so Jet's
// lists of indexes never show them and the structure pass never compares them. Their
// names ("<table>!partial!<name>") hold "!", which no Jet name holds.

#include "engine/PartialIndexes.h"

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/JetSql.h"
#include "engine/WriteStep.h"

#include <sqlite3.h>
#include <vector>

namespace engine {

namespace detail {

namespace {

constexpr std::string_view kMark = "!partial!";

// Its definition as the file keeps it; empty when the file has no index of that name.
std::string storedSql(Store& s, const std::string& name) {
    StmtUse q(s.prepare("SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?"));
    sqlite3_bind_text(q, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) s.raise(rc, q);
    const auto* text = rc == SQLITE_ROW ? sqlite3_column_text(q, 0) : nullptr;
    return text ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

void dropPartialIndexes(Store& s, const std::string& table) {
    std::vector<std::string> names;
    {
        StmtUse q(s.prepare("SELECT name FROM sqlite_master WHERE type = 'index' AND "
                            "tbl_name = ? COLLATE NOCASE AND instr(name, ?) > 0"));
        sqlite3_bind_text(q, 1, table.data(), static_cast<int>(table.size()), SQLITE_STATIC);
        sqlite3_bind_text(q, 2, kMark.data(), static_cast<int>(kMark.size()), SQLITE_STATIC);
        int rc;
        while ((rc = sqlite3_step(q)) == SQLITE_ROW)
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
        if (rc != SQLITE_DONE) s.raise(rc, q);
    }
    for (const std::string& name : names)
        s.exec("DROP INDEX " + quoteIdent(name));
}

} // namespace detail

void Database::keepPartialIndex(const PartialIndex& index) {
    detail::Store& s = impl_->writableStore();
    const auto info = s.table(index.table);
    if (!info) raiseEngine(err::ObjectNotFound, std::string(index.table));
    const int field = info->ordinalOf(index.field);
    if (field < 0) raiseEngine(err::ItemNotFound);
    const std::string name = info->name + std::string(detail::kMark) + std::string(index.name);
    const std::string sql = "CREATE INDEX " + detail::quoteIdent(name) + " ON " +
                            detail::quoteIdent(info->name) + " (" +
                            detail::quoteIdent(info->fields[static_cast<std::size_t>(field)].name) +
                            ") WHERE " + translateJetCondition(index.where);
    // Looked at under the write lock, so that no other process makes it in between.
    detail::WriteStep step(s);
    const std::string stored = detail::storedSql(s, name);
    if (stored != sql) {
        if (!stored.empty()) s.exec("DROP INDEX " + detail::quoteIdent(name));
        s.exec(sql);
    }
    step.done();
    s.addSchemaName(name);
}

} // namespace engine
