#pragma once

// Carrying every living individual of last year's individuals file into this year's: each
// client's main and certificate rows, the detail rows of all of them and the tidying of
// their capital-gains assets, in one transaction on this year's file. Shows nothing; the
// handler shows the outcome.

#include "engine/Dao.h"
#include "transfer/ImportSteps.h"

#include <optional>
#include <string>

namespace transfer {

struct AllIndividualsImported {
    long clients = 0;
    bool renumbered = false; // this year's file held clients: new numbers from its highest
    long detailRows = 0;     // rows of the nine detail tables
};

// Carries last year's living clients (number above 0, not deceased) into the file at
// `thisYearPath`: under their own numbers into a year without clients, else under the
// numbers after the highest, their detail rows through the transfer file at
// `transferPath`. Nothing when last year holds no living client. A failure is raised as
// ImportStepError after this year's file has been put back as it was.
std::optional<AllIndividualsImported> importAllIndividuals(engine::Database& lastYear,
                                                           const std::string& thisYearPath,
                                                           const std::string& transferPath,
                                                           const ImportProgress& progress);

} // namespace transfer
