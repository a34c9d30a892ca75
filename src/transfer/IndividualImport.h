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
    double newNumber = 0; // last year's number when this year's file held no client
    long detailRows = 0;  // rows of the nine detail tables
};

// Carries client `lastYearNumber` of `lastYear` into the file at `thisYearPath`. Nothing
// when last year's file holds no living client of that number. `read` is called once the
// client is read. Any failure is raised with the engine's number after this year's file has
// been put back as it was.
std::optional<IndividualImported> importIndividual(engine::Database& lastYear,
                                                   const std::string& thisYearPath,
                                                   double lastYearNumber,
                                                   const std::function<void()>& read = {});

} // namespace transfer
