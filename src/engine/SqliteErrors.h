#pragma once

// How a failure SQLite reports becomes the engine's Jet number and detail.

#include <string>
#include <string_view>

namespace engine::detail {

// The result code the engine's SQL functions set when a value breaks a Jet rule: the Jet
// number travels in the code itself, the detail (a field name, or nothing) as the whole
// message, so that nothing need be read out of a text.
int functionFailureCode(int jetNumber);

struct JetFailure {
    int number = 0;
    std::string detail;
};

// The Jet number and detail for SQLite's extended result code and message on a file.
JetFailure jetFailureFor(int extendedCode, std::string_view message, const std::string& path);

} // namespace engine::detail
