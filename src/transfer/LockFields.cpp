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

// Closes the exclusive hold on every way out.
struct HeldDatabase {
    engine::DatabasePtr db;
    ~HeldDatabase() { app::closeQuietly(db); }
};

long rowCount(engine::Database& db, std::string_view table) {
    auto rs = db.OpenRecordset(table, engine::dbOpenTable);
    const long rows = rs->RecordCount();
    rs->Close();
    return rows;
}

} // namespace

LockFieldsResult tidyLockFields(const std::string& path, std::string_view table) {
    HeldDatabase held;
    try {
        held.db = app::openExclusive(path);
    } catch (const app::DatabaseOpenError& e) {
        if (e.inUse()) return {LockFieldsOutcome::InUse, 0};
        throw;
    }
    // One statement reaches every row, whatever order an index gives them, and reads the
    // table once for all three fields; the table name is one of ours, never input.
    std::string set, anyNull;
    for (const LockField& field : kLockFields) {
        const std::string name = bracketed(field.name);
        set += (set.empty() ? "" : ", ") + name + " = IIf(" + name + " IS NULL, " +
               std::string(field.freeValue) + ", " + name + ")";
        anyNull += (anyNull.empty() ? "" : " OR ") + name + " IS NULL";
    }
    engine::Transaction transaction;
    held.db->Execute("UPDATE " + bracketed(table) + " SET " + set + " WHERE " + anyNull);
    const long rows = rowCount(*held.db, table);
    transaction.commit();
    return {LockFieldsOutcome::Tidied, rows};
}

} // namespace transfer
