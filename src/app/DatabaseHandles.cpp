#include "app/DatabaseHandles.h"

#include "runtime/Error.h"

namespace app {

engine::Database& held(const engine::DatabasePtr& db) {
    if (!db) throw runtime::Error(runtime::err::ObjectVariableNotSet);
    return *db;
}

void closeQuietly(const engine::RecordsetPtr& rs) {
    try {
        if (rs && rs->isOpen()) rs->Close();
    } catch (const runtime::Error&) {
    }
}

void closeQuietly(const engine::DatabasePtr& db) {
    try {
        if (db && db->isOpen()) db->Close();
    } catch (const runtime::Error&) {
    }
}

void closeWorkspaceQuietly() {
    try {
        defaultWorkspace().Close();
    } catch (const runtime::Error&) {
    }
}

ClosedOnExit::~ClosedOnExit() {
    for (const engine::RecordsetPtr& rs : recordsets_)
        closeQuietly(rs);
    for (const engine::DatabasePtr& db : databases_)
        closeQuietly(db);
}

engine::Database& ClosedOnExit::keep(engine::DatabasePtr db) {
    databases_.push_back(std::move(db));
    return *databases_.back();
}

engine::Recordset& ClosedOnExit::keep(engine::RecordsetPtr rs) {
    recordsets_.push_back(std::move(rs));
    return *recordsets_.back();
}

} // namespace app
