#pragma once

#include <string>
#include <string_view>

namespace runtime {

// Text functions with the platform's rules. Texts are byte strings (one byte per
// character, as the files store them); positions count from 1.

// Trim functions remove blanks (spaces) only, not tabs or line ends.
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);

inline long Len(std::string_view s) {
    return static_cast<long>(s.size());
}

// Left/Right: a negative length is error 5; a length beyond the text gives it whole.
std::string Left(std::string_view s, long length);
std::string Right(std::string_view s, long length);
// Mid: start below 1 or a negative length is error 5; a start beyond the end gives "".
std::string Mid(std::string_view s, long start);
std::string Mid(std::string_view s, long start, long length);

std::string UCase(std::string_view s);
std::string LCase(std::string_view s);

// Comparison without regard to case (every letter folds, as foldCase does); compareNoCase
// gives -1, 0 or 1, ordering the folded texts by code point.
bool equalsNoCase(std::string_view a, std::string_view b);
int compareNoCase(std::string_view a, std::string_view b);

} // namespace runtime
