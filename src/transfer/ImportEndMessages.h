#pragma once

// The texts of the boxes with which an import ends.

#include <string>
#include <string_view>

namespace transfer::msg {

inline constexpr std::string_view TransferCompleted = "The Transfer has been completed.";
// The import's `clients` ("clients", "trusts", "companies") are in this year's file; only
// the tidying of their lock fields waits.
std::string lockFieldsInUse(std::string_view clients = "clients");
std::string lockFieldsNotTidied(int number, const std::string& text,
                                std::string_view clients = "clients");
// The same where the clients of every kind were imported at once.
inline const std::string LockFieldsInUse = lockFieldsInUse();
// An import whose source is the very file it would write into: refused before anything is
// written, or its clients would arrive twice.
std::string sourceIsThisYear(const std::string& path);

} // namespace transfer::msg
