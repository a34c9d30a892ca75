#pragma once

#include <string>

namespace engine::detail {

// The "file:" URI of a path, every byte that could mean something in a URI escaped, for
// opening a file with URI parameters.
std::string fileUri(const std::string& path);

} // namespace engine::detail
