#include "clearing/ExclusiveDatabases.h"

#include "engine/Dao.h"
#include "runtime/Error.h"

namespace clearing {

namespace {

engine::Workspace& workspace() {
    return engine::DBEngine::instance().Workspaces(0);
}

} // namespace

WorkspaceTransaction::WorkspaceTransaction() {
    workspace().BeginTrans();
}

WorkspaceTransaction::~WorkspaceTransaction() {
    if (!open_) return;
    try {
        workspace().Rollback();
    } catch (const runtime::Error&) {
    }
}

void WorkspaceTransaction::commit() {
    workspace().CommitTrans();
    open_ = false;
}

} // namespace clearing
