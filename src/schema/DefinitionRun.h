#pragma once

// How the structure definitions run their tables over a file.

#include "engine/Transaction.h"
#include "schema/TableSpec.h"

#include <optional>
#include <vector>

namespace schema::detail {

// One transaction for the work of a definition on one file, so that a run that stops
// half way leaves that file as it was rather than half upgraded. Inside a transaction of
// the caller it nests, so the caller's rollback undoes it too.
class FileTransaction {
public:
    // Begins on the current database, when there is one and none is begun already.
    void begin();
    // Stores the tables still in hand and commits. A failure leaves as runtime::Error and
    // the file as it was.
    void commit();

private:
    std::optional<engine::Transaction> transaction_; // rolls back what was not committed
};

// MakeTable, then its MakeField calls, then its MakeIndex calls, for each table in order.
void runTables(const std::vector<TableSpec>& tables);

} // namespace schema::detail
