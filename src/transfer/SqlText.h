#pragma once

// The pieces of Jet SQL text the imports build: names and numbers written so that the
// engine reads them back exactly, whatever the name holds or the locale says.

#include <string>
#include <string_view>

namespace transfer {

// A table or column name in brackets, as Jet SQL writes names with blanks.
std::string bracketed(std::string_view name);

// A number as a Jet literal that reads back as exactly the same number.
std::string exactNumber(double value);

} // namespace transfer
