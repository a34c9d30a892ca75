#pragma once

// The transfer file an import stages rows in: made when it is missing, emptied before each
// run so that rows staged by an earlier run never follow this run's clients.

#include <span>
#include <string>
#include <string_view>

namespace transfer {

// Makes the file at `path` with `make` when it is not there (`make` leaves a file that is
// there as it is), then empties `tables` in one commit.
void emptyTransferFile(const std::string& path, void (*make)(const std::string&),
                       std::span<const std::string_view> tables);

} // namespace transfer
