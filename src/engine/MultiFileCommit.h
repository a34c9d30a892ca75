#pragma once

#include <memory>
#include <string>
#include <vector>

namespace engine::detail {

struct Store;

// Commits the open transaction of every store, all of them or none: when any step fails,
// each store is put back as it was before the transaction, and the first error is raised.
// Several files commit together through the marks and record of CommitVfs.h, so that a
// process killed at any moment leaves every file old or every file new.
void commitAll(const std::vector<std::shared_ptr<Store>>& stores);

// Removes the marks and records that a commit over several files, killed half way, left
// beside a database. Called by opening, while it holds the file's read lock, once SQLite
// has dealt with any journal.
void sweepCommitLeftovers(const std::string& dbPath);

} // namespace engine::detail
