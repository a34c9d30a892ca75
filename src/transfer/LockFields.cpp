#include "transfer/LockFields.h"

#include "app/DatabaseHandles.h"
#include "app/ExclusiveDatabases.h"
#include "engine/Transaction.h"
#include "transfer/SqlText.h"

#include <array>

namespace transfer {

namespace {

struct LockField {
    std::string_view name;
    std::string_view freeValue; // as Jet SQL writes it
};

constexpr std::array<LockField, 3> kLockFields{{
    {"UserName", "''"},
    {"DateLastSaved", "0"},
    {"LastUserName", "''"},
}};

long rowCount(engine::Database& db, std::string_view table) {
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    const long rows = rs->RecordCount();
    rs->Close();
    return rows;
}

// Whether a row has a lock field to tidy.
std::string anyNull() {
    std::string condition;
    for (const LockField& field : kLockFields)
        condition += (condition.empty() ? "" : " OR ") + bracketed(field.name) + " IS NULL";
    return condition;
}

// One statement reaches every row to tidy, whatever order an index gives them. Only those
// rows are read: the engine keeps an index of them, which the statement's WHERE names word
// for word. The table name is one of ours, never input.
void tidy(engine::Database& db, std::string_view table) {
    const std::string where = anyNull();
    db.keepPartialIndex({.table = table, .name = "NullLocks", .field = "UserName", .where = where});
    std::string set;
    for (const LockField& field : kLockFields) {
        const std::string name = bracketed(field.name);
        set += (set.empty() ? "" : ", ") + name + " = IIf(" + name + " IS NULL, " +
               std::string(field.freeValue) + ", " + name + ")";
    }
    db.Execute("UPDATE " + bracketed(table) + " SET " + set + " WHERE " + where);
}

} // namespace

LockFieldsResult tidyLockFields(const std::string& path, std::string_view table) {
    return tidyLockFields(std::vector<LockFieldsTable>{{path, table}});
}

LockFieldsResult tidyLockFields(const std::vector<LockFieldsTable>& tables) {
    // The exclusive holds end on every way out.
    app::ClosedOnExit held;
    std::vector<engine::Database*> dbs;
    try {
        for (const LockFieldsTable& t : tables)
            dbs.push_back(&held.keep(app::openExclusive(t.path)));
    } catch (const app::DatabaseOpenError& e) {
        if (e.inUse()) return {LockFieldsOutcome::InUse, 0};
        throw;
    }
    long rows = 0;
    engine::Transaction transaction;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        tidy(*dbs[i], tables[i].table);
        rows += rowCount(*dbs[i], tables[i].table);
    }
    transaction.commit();
    return {LockFieldsOutcome::Tidied, rows};
}

} // namespace transfer
