#pragma once

// Small helpers for the window's shared database handles.

#include "engine/Dao.h"

#include <vector>

namespace app {

inline engine::Workspace& defaultWorkspace() {
    return engine::DBEngine::instance().Workspaces(0);
}

// The database a handle holds; error 91 (object variable not set) when it holds none.
engine::Database& held(const engine::DatabasePtr& db);

// Closes what the handle holds, when it holds something open. Closing is tidying up:
// its failure changes nothing for the caller.
void closeQuietly(const engine::RecordsetPtr& rs);
void closeQuietly(const engine::DatabasePtr& db);
// Closes every database and recordset of the default workspace.
void closeWorkspaceQuietly();

// Handles closed quietly on every way out of a scope: the recordsets first, then the
// databases, each in the order they were kept. A transaction on them must have ended by then.
class ClosedOnExit {
public:
    ClosedOnExit() = default;
    ClosedOnExit(const ClosedOnExit&) = delete;
    ClosedOnExit& operator=(const ClosedOnExit&) = delete;
    ~ClosedOnExit();

    // Keeps the handle to be closed and gives what it holds.
    engine::Database& keep(engine::DatabasePtr db);
    engine::Recordset& keep(engine::RecordsetPtr rs);

private:
    std::vector<engine::DatabasePtr> databases_;
    std::vector<engine::RecordsetPtr> recordsets_;
};

} // namespace app
