#pragma once

// Carrying one individual from last year's individuals file into this year's: the client's
// main and certificate rows, its detail rows and the tidying of its capital-gains assets,
// all in one transaction on this year's file. Shows nothing; the handler shows the outcome.

#include "engine/Dao.h"

#include <functional>
#include <optional>
#include <string>

namespace transfer {

// Empties the tables of the transfer file, making it first when it is not there.
void emptyIndividualsTransferFile(const std::string& transferPath);

struct IndividualImported {
    double lastYearNumber = 0;
    double newNumber = 0; // of the last record written; last year's number into an empty year
    long records = 0;     // living main records of the number last year (normally one)
    long detailRows = 0;  // rows of the nine detail tables
};

// Carries client `lastYearNumber` of `lastYear` into the file at `thisYearPath`. Each of
// last year's living main records of the number is written: into a file without clients
// under the number, otherwise under the numbers above the highest, and the detail rows of
// the number once, under the last of them. Nothing when last year's file holds no living
// client of that number. `read` is called once the records are read, with their count. Any
// failure is raised with the engine's number after this year's file has been put back as
// it was.
std::optional<IndividualImported>
importIndividual(engine::Database& lastYear, const std::string& thisYearPath, double lastYearNumber,
                 const std::function<void(long records)>& read = {});

} // namespace transfer
