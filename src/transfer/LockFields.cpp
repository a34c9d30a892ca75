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

// One statement reaches every row, whatever order an index gives them, and reads the table
// once for all three fields; the table name is one of ours, never input.
std::string tidyStatement(std::string_view table) {
    std::string set, anyNull;
    for (const LockField& field : kLockFields) {
        const std::string name = bracketed(field.name);
        set += (set.empty() ? "" : ", ") + name + " = IIf(" + name + " IS NULL, " +
               std::string(field.freeValue) + ", " + name + ")";
        anyNull += (anyNull.empty() ? "" : " OR ") + name + " IS NULL";
    }
    return "UPDATE " + bracketed(table) + " SET " + set + " WHERE " + anyNull;
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
        dbs[i]->Execute(tidyStatement(tables[i].table));
        rows += rowCount(*dbs[i], tables[i].table);
    }
    transaction.commit();
    return {LockFieldsOutcome::Tidied, rows};
}

} // namespace transfer
