#include "engine/Transaction.h"

namespace engine {

Transaction::Transaction(Workspace& workspace) : workspace_(workspace) {
    workspace_.BeginTrans();
}

Transaction::~Transaction() {
    if (!open_) return;
    try {
        workspace_.Rollback();
    } catch (...) {
        // Nothing to report from a destructor; the files stay as the engine left them.
    }
}

void Transaction::commit() {
    open_ = false; // a failed commit has rolled back already
    workspace_.CommitTrans();
}

} // namespace engine
