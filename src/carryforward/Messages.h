#pragma once

// The texts of the previous-year page's message boxes.

#include "runtime/Error.h"

#include <string>
#include <string_view>

namespace carryforward::msg {

std::string incorrectFile();
inline constexpr std::string_view OldVersion =
    "Please ensure that you are importing from the latest version of Quolby2017!!";
inline constexpr std::string_view ImportNotAvailable = "This import is not available yet.";
// Last year's file could be opened as a database but not read, or not opened at all.
std::string sourceNotRead(const std::string& path, const runtime::Error& e);

} // namespace carryforward::msg
