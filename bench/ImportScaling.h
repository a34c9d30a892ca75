#pragma once

// The run of an import-of-everything benchmark: N and 2N clients into an empty year and into
// a year holding N, the import and its bare copy alternating on fresh copies of the same
// files (the import's transfer file too), each run in a child of its own; then each case's
// medians, ranges, ratio to the bare copy and peak memory, and the ratio 2N / N.

#include "ChildRun.h"
#include "Stats.h"
#include "SyncedCopy.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct ScalingCase {
    int clients, already;
    std::vector<double> import, bare, importMb, bareMb;
};

using Work = std::function<bool(const std::string& thisYear, const std::string& lastYear)>;

struct Scaling {
    int n = 0, runs = 0;
    const char* clients = "clients"; // what the report counts
    std::function<std::string(int clients)> lastYear, thisYearBase;
    std::string thisYearCopy, transferBase, transferCopy;
    Work import;
    std::function<Work(const ScalingCase&)> bare;
};

// False when a run failed.
inline bool runScaling(const Scaling& s, std::vector<ScalingCase>& cases) {
    cases = {{s.n, 0, {}, {}, {}, {}},
             {s.n, s.n, {}, {}, {}, {}},
             {2 * s.n, 0, {}, {}, {}, {}},
             {2 * s.n, s.n, {}, {}, {}, {}}};
    for (int r = 0; r < s.runs; ++r)
        for (ScalingCase& c : cases) {
            syncedCopy(s.transferBase, s.transferCopy);
            const ChildRun a =
                inChild(s.thisYearBase(c.already), s.thisYearCopy, s.lastYear(c.clients), s.import);
            const ChildRun b = inChild(s.thisYearBase(c.already), s.thisYearCopy,
                                       s.lastYear(c.clients), s.bare(c));
            if (a.seconds < 0 || b.seconds < 0) return false;
            c.import.push_back(a.seconds);
            c.bare.push_back(b.seconds);
            c.importMb.push_back(a.megabytes);
            c.bareMb.push_back(b.megabytes);
        }
    return true;
}

inline void reportScaling(const Scaling& s, const std::vector<ScalingCase>& cases) {
    for (const ScalingCase& c : cases)
        std::printf("  %6d %s into a year of %6d: import %s, bare copy %s, ratio %.2f "
                    "(limit 3); max RSS %s (bare %s)\n",
                    c.clients, s.clients, c.already, medianAndRange(c.import).c_str(),
                    medianAndRange(c.bare).c_str(), median(c.import) / median(c.bare),
                    medianAndRange(c.importMb, "MB").c_str(),
                    medianAndRange(c.bareMb, "MB").c_str());
    for (int already : {0, s.n}) {
        const ScalingCase& small = cases[already ? 1 : 0];
        const ScalingCase& big = cases[already ? 3 : 2];
        std::printf("  into a year of %d: %d / %d %s %.2f (limit 2.2)\n", already, 2 * s.n, s.n,
                    s.clients, median(big.import) / median(small.import));
    }
}

} // namespace bench
