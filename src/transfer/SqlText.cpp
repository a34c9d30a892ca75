#include "transfer/SqlText.h"

#include <charconv>

namespace transfer {

std::string bracketed(std::string_view name) {
    return "[" + std::string(name) + "]";
}

std::string exactNumber(double value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return std::string(buf, end);
}

} // namespace transfer
