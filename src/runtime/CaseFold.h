#pragma once

#include <string>
#include <string_view>

namespace runtime {

// Case folding of UTF-8 text, one code point for one: every letter of the Basic
// Multilingual Plane with a lower-case (or folded) form of a single code point takes it,
// so "Émile" and "émile", "ZOË" and "Zoë", "ΣΟΦΊΑ" and "σοφία" fold alike ("ß" stays
// "ß"; "ẞ" folds to it). Bytes that are not well-formed UTF-8 pass through unchanged.
// The one rule for comparing texts without regard to case, in the runtime and in the
// engine's text keys.
std::string foldCase(std::string_view text);

// The folded form of one code point.
char32_t foldCodePoint(char32_t c);

} // namespace runtime
