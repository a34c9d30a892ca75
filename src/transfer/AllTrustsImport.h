#pragma once

// Carrying every trust of last year's trust file into this year's: each trust's main and
// income rows, the detail rows of all of them, the rental flags and the tidying of their
// capital-gains assets, in one transaction on this year's file. Shows nothing; the handler
// shows the outcome.

#include "engine/Dao.h"
#include "transfer/AllIndividualsImport.h"

#include <optional>
#include <string>

namespace transfer {

struct AllTrustsImported {
    long trusts = 0;
    bool renumbered = false; // this year's file held trusts: new numbers from its highest
    long detailRows = 0;
};

// Empties the staging tables of the trusts' transfer file at `transferPath`, making it first
// when it is missing.
void emptyTrustsTransferFile(const std::string& transferPath);

// Carries last year's trusts (number above 0), in order of their numbers, into the file at
// `thisYearPath`: under their own numbers into a year without trusts, else under the numbers
// after the highest, their detail rows through the transfer file at `transferPath`. Each
// trust's income row is made from last year's first income row of its number, or as if it
// had none. Nothing when last year holds no trust. A failure is raised as ImportStepError
// after this year's file has been put back as it was.
std::optional<AllTrustsImported> importAllTrusts(engine::Database& lastYear,
                                                 const std::string& thisYearPath,
                                                 const std::string& transferPath,
                                                 const ImportProgress& progress);

} // namespace transfer
