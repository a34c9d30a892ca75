#include "runtime/Strings.h"

#include "runtime/CaseFold.h"
#include "runtime/Error.h"

#include <algorithm>

namespace runtime {

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void requireNonNegative(long n) {
    if (n < 0) throw Error(err::InvalidProcedureCall);
}

} // namespace

std::string LTrim(std::string_view s) {
    auto first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
    auto last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string Trim(std::string_view s) {
    return LTrim(RTrim(s));
}

std::string Left(std::string_view s, long length) {
    requireNonNegative(length);
    return std::string(s.substr(0, static_cast<std::size_t>(length)));
}

std::string Right(std::string_view s, long length) {
    requireNonNegative(length);
    auto n = std::min(s.size(), static_cast<std::size_t>(length));
    return std::string(s.substr(s.size() - n));
}

std::string Mid(std::string_view s, long start) {
    if (start < 1) throw Error(err::InvalidProcedureCall);
    auto from = static_cast<std::size_t>(start - 1);
    return from >= s.size() ? std::string() : std::string(s.substr(from));
}

std::string Mid(std::string_view s, long start, long length) {
    requireNonNegative(length);
    return Left(Mid(s, start), length);
}

std::string UCase(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

std::string LCase(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

int compareNoCase(std::string_view a, std::string_view b) {
    // Texts mostly differ, or end, within their ASCII beginnings: those fold in place.
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) break;
        const auto fx = static_cast<unsigned char>(lower(a[i]));
        const auto fy = static_cast<unsigned char>(lower(b[i]));
        if (fx != fy) return fx < fy ? -1 : 1;
    }
    if (i < n) {
        const int c = foldCase(a.substr(i)).compare(foldCase(b.substr(i)));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return compareNoCase(a, b) == 0;
}

} // namespace runtime
