#pragma once

// How the structure definitions run their tables over a file.

#include "schema/TableSpec.h"

#include <vector>

namespace schema::detail {

// One transaction for the work of a definition on one file, so that a run that stops
// half way leaves that file as it was rather than half upgraded. A transaction that the
// caller already runs is left to the caller.
class FileTransaction {
public:
    FileTransaction() = default;
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;
    // Rolls back whatever was not committed.
    ~FileTransaction();

    // Begins on the current database, when there is one.
    void begin();
    // Stores the tables still in hand and commits. A failure leaves as runtime::Error and
    // the file as it was.
    void commit();

private:
    bool active_ = false;
};

// MakeTable, then its MakeField calls, then its MakeIndex calls, for each table in order.
void runTables(const std::vector<TableSpec>& tables);

} // namespace schema::detail
