#include "runtime/NumberText.h"

#include <charconv>
#include <cmath>

namespace runtime {

std::string numberToText(double value) {
    if (value == 0) return "0"; // also -0, which the platform shows as 0
    char buf[64];
    // to_chars never looks at the locale, unlike printf, which a Qt front end may have
    // switched to a comma decimal point.
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc()) return {};
    std::string text(buf, end);
    if (auto e = text.find('e'); e != std::string::npos) text[e] = 'E';
    return text;
}

std::optional<double> textToNumber(std::string_view text) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take a second sign, "inf" and "nan".
    if (text.empty() || !(text.front() == '.' || (text.front() >= '0' && text.front() <= '9')))
        return std::nullopt;
    double value = 0;
    auto [ptr, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace runtime
