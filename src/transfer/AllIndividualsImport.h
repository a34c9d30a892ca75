#pragma once

// Carrying every living individual of last year's individuals file into this year's: each
// client's main and certificate rows, the detail rows of all of them and the tidying of
// their capital-gains assets, in one transaction on this year's file. The individuals'
// runner (IndividualImport.h) runs it when no client is chosen.

#include "transfer/LastYearImport.h"

namespace transfer {

// Carries last year's living clients (number above 0, not deceased) into this year's file:
// under their own numbers into a year without clients, else under the numbers after the
// highest, their detail rows through the transfer file. Nothing when last year holds no
// living client. A failure is raised as ImportStepError after this year's file has been
// put back as it was.
std::optional<Imported> importAllIndividuals(engine::Database& lastYear,
                                             const ThisYearFiles& thisYear,
                                             const ImportProgress& progress);

} // namespace transfer
