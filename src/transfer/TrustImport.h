#pragma once

// Carrying one trust from last year's trust file into this year's: its main record, its
// income-and-expenditure row, its detail rows, the rental flag and the tidying of its
// capital-gains assets, all in one transaction on this year's file. Shows nothing; the
// handler shows the outcome.

#include "engine/Dao.h"

#include <functional>
#include <optional>
#include <string>

namespace transfer {

struct TrustImported {
    double lastYearNumber = 0;
    double newNumber = 0; // of the last record written; last year's number into an empty year
    long records = 0;     // main records of the number last year (normally one)
    long detailRows = 0;  // rows of the seven detail tables
};

// Carries trust `lastYearNumber` of `lastYear` into the file at `thisYearPath`. Each of
// last year's main records of the number is written, paired in turn with last year's
// income rows of the number; a record without one starts with no capital loss. Into a file
// without trusts the number is kept; otherwise the records take the numbers above the
// highest, and the detail rows the last of them. Nothing when last year's file holds no
// trust of that number. `read` is called once the records are read, with their count. Any
// failure is raised with the engine's number after this year's file has been put back as
// it was.
std::optional<TrustImported> importTrust(engine::Database& lastYear,
                                         const std::string& thisYearPath, double lastYearNumber,
                                         const std::function<void(long records)>& read = {});

} // namespace transfer
