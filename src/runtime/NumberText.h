#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// A number as the system writes it into SQL text and text boxes: up to 15 significant
// digits, '.' as decimal point whatever the locale, no trailing zeros, no group
// separators ("57", "40.5", "-3", "0.1"). Very large or very small magnitudes use the
// platform's exponent form ("1E+15", "1E-05").
std::string numberToText(double value);

// A text read as a number the way the platform converts texts: blanks around it are
// allowed, an optional sign, digits with an optional '.' and exponent. Empty text,
// any other character, infinities and NaN give no value.
std::optional<double> textToNumber(std::string_view text);

} // namespace runtime
