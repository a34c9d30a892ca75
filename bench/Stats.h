#pragma once

// How every benchmark reports a set of timed runs: the median, with the range beside it.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// "0.021 s (0.019-0.033)", or in another unit: "61.250 MB (60.900-62.000)"
inline std::string medianAndRange(const std::vector<double>& v, const char* unit = "s") {
    if (v.empty()) return "no runs";
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.3f %s (%.3f-%.3f)", median(v), unit,
                  *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
    return buf;
}

} // namespace bench
