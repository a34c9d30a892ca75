#pragma once

// The texts of the boxes with which an import ends.

#include <string>
#include <string_view>

namespace transfer::msg {

inline constexpr std::string_view TransferCompleted = "The Transfer has been completed.";
// The clients are in this year's file; only the tidying of their lock fields waits.
inline constexpr std::string_view LockFieldsInUse =
    "The clients have been written to this year's database, but their record locks could not "
    "be tidied because the database is in use on another workstation.";
std::string lockFieldsNotTidied(int number, const std::string& text);
// An import whose source is the very file it would write into: refused before anything is
// written, or its clients would arrive twice.
std::string sourceIsThisYear(const std::string& path);

} // namespace transfer::msg
