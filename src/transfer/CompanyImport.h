#pragma once

// Carrying companies from last year's company file into this year's: one chosen company,
// or every company numbered above 0, each as a new CompanyDetails row, all in one
// transaction on this year's file. Shows nothing; the handler shows the outcome.

#include "engine/Dao.h"

#include <functional>
#include <optional>
#include <string>

namespace transfer {

struct CompaniesImported {
    long rows = 0;
    bool renumbered = false; // this year's file held companies: they follow its highest number
};

// What the import tells its window on the way: the companies counted, then each one read
// and each one written.
struct CompanyProgress {
    std::function<void(long companies)> counted;
    std::function<void()> step;
};

// Carries last year's companies numbered `chosen` (none: every company numbered above 0)
// into the file at `thisYearPath`. Into a file without companies each keeps its number;
// otherwise they take the numbers after the highest, in the order read. Nothing when last
// year's file holds no such company. Any failure is raised with the engine's number after
// this year's file has been put back as it was.
std::optional<CompaniesImported> importCompanies(engine::Database& lastYear,
                                                 const std::string& thisYearPath,
                                                 std::optional<double> chosen,
                                                 const CompanyProgress& progress = {});

} // namespace transfer
