#pragma once

// Small helpers for the window's shared database handles.

#include "engine/Dao.h"

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

} // namespace app
