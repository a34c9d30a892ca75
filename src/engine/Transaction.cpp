#include "engine/Transaction.h"

#include "engine/EngineErrors.h"

namespace engine {

Transaction::Transaction(Workspace& workspace) : workspace_(workspace) {
    workspace_.BeginTrans();
    level_ = workspace_.transactionLevel();
}

Transaction::~Transaction() {
    if (!open_) return;
    try {
        // Levels begun inside this one and left open go with it.
        while (workspace_.transactionLevel() >= level_)
            workspace_.Rollback();
    } catch (...) {
        // Nothing to report from a destructor; the files stay as the engine left them.
    }
}

void Transaction::commit() {
    const int current = workspace_.transactionLevel();
    if (!open_ || current < level_) {
        open_ = false;
        raiseEngine(err::NoTransaction);
    }
    if (current > level_) raiseEngine(err::InvalidOperation);
    open_ = false; // a failed commit has rolled back already
    workspace_.CommitTrans();
}

} // namespace engine
