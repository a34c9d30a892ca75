#pragma once

// The engine's own tables of a repaired file, made to match the tables the repair kept.

#include <string>
#include <vector>

namespace engine::detail {

// On the rebuilt file at `path`, which nobody else uses yet: drops each Jet table of
// `unreadable` (none of its rows could be read), and for every table the file no longer
// holds its descriptions, its table of folded keys and its row id mark; forgets the
// indexes that could not be made again; makes each kept table's auto-numbering triggers
// and folded keys (from its rows) anew; guards every table's row ids. Raises the engine
// error of a failure.
void settleRepairedTables(const std::string& path, const std::vector<std::string>& unreadable);

} // namespace engine::detail
