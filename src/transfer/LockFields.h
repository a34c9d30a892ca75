#pragma once

// The lock fields of a main client table (UserName, DateLastSaved, LastUserName): an
// import writes its clients without them, and every import ends by giving each Null its
// empty value, so that the client program reads the record as free.

#include <string>
#include <string_view>
#include <vector>

namespace transfer {

enum class LockFieldsOutcome {
    Tidied, // every row of the table holds a value in all three fields
    InUse,  // another workstation holds the file: nothing was changed
};

struct LockFieldsResult {
    LockFieldsOutcome outcome = LockFieldsOutcome::Tidied;
    long rows = 0; // rows of the table, when tidied
};

// Holds the database at `path` for exclusive use and, in one transaction, sets every Null
// UserName and LastUserName of `table` to "" and every Null DateLastSaved to day 0,
// leaving every other value as it is. Run it once the import's own writes are committed
// and its handles on the file closed. A failure other than a file in use is raised with
// the file as it was.
LockFieldsResult tidyLockFields(const std::string& path, std::string_view table);

// The main table `table` of the database at `path`.
struct LockFieldsTable {
    std::string path;
    std::string_view table;
};

// The same for several files at once, as one change: every file is held for exclusive use
// and tidied in one transaction, or (one of them in use, or a failure) none is changed.
// The rows are those of all the tables together.
LockFieldsResult tidyLockFields(const std::vector<LockFieldsTable>& tables);

} // namespace transfer
