#pragma once

#include <string>
#include <string_view>

namespace forms {

// Captions keep the platform's convention: "&OK" marks O as the access key and "&&" is a
// literal ampersand. The model stores captions verbatim; this gives the text as shown
// ("Database Location && User Setup" -> "Database Location & User Setup", "&OK" -> "OK").
std::string displayCaption(std::string_view caption);

} // namespace forms
