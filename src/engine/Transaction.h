#pragma once

#include "engine/Dao.h"

namespace engine {

// The one way code above the engine runs a transaction: begun when made, committed by
// commit(), rolled back when it leaves scope uncommitted (an error on the way out).
// Guards nest, as the workspace's transactions do.
class Transaction {
public:
    explicit Transaction(Workspace& workspace = DBEngine::instance().Workspaces(0));
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Commits the level this guard began; on failure that level is already rolled back
    // and the error raised. Refused without committing anything: a second commit, or one
    // whose level was ended by other means (3034), and one while a level begun inside it
    // is still open (3219), which would otherwise commit that inner level instead.
    void commit();

private:
    Workspace& workspace_;
    int level_; // the workspace's level this guard began
    bool open_ = true;
};

} // namespace engine
