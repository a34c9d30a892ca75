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

} // namespace app
