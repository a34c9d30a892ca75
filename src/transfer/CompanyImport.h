#pragma once

// Carrying companies from last year's company file into this year's: one chosen company,
// or every company numbered above 0, each as a new CompanyDetails row, all in one
// transaction on this year's file. Shows nothing; the handler shows the outcome.

#include "transfer/LastYearImport.h"

namespace transfer {

// The runner of the companies (LastYearRunner): last year's companies numbered `chosen`
// (none: every company numbered above 0). Into a file without companies each keeps its
// number; otherwise they take the numbers after the highest, in the order read. Companies
// bring no detail rows, and the transfer file is not used.
std::optional<Imported> importCompanies(engine::Database& lastYear, const ThisYearFiles& thisYear,
                                        std::optional<double> chosen,
                                        const ImportProgress& progress);

} // namespace transfer
