#pragma once

// Carrying every trust of last year's trust file into this year's: each trust's main and
// income rows, the detail rows of all of them, the rental flags and the tidying of their
// capital-gains assets, in one transaction on this year's file. Shows nothing; the handler
// shows the outcome. The trusts' runner (TrustImport.h) runs it when no trust is chosen.

#include "transfer/LastYearImport.h"

#include <string>

namespace transfer {

// Empties the staging tables of the trusts' transfer file at `transferPath`, making it first
// when it is missing.
void emptyTrustsTransferFile(const std::string& transferPath);

// Carries last year's trusts (number above 0), in order of their numbers, into this year's
// file: under their own numbers into a year without trusts, else under the numbers after
// the highest, their detail rows through the transfer file. Each
// trust's income row is made from last year's first income row of its number, or as if it
// had none. Nothing when last year holds no trust. A failure is raised as ImportStepError
// after this year's file has been put back as it was.
std::optional<Imported> importAllTrusts(engine::Database& lastYear, const ThisYearFiles& files,
                                        const ImportProgress& progress);

} // namespace transfer
