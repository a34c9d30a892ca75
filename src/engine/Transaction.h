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

    // Commits; on failure the transaction is already rolled back and the error raised.
    void commit();

private:
    Workspace& workspace_;
    bool open_ = true;
};

} // namespace engine
