#pragma once

// Carrying individuals from last year's individuals file into this year's: one chosen
// client, or every living one (AllIndividualsImport.h). Shows nothing; the handler shows the
// outcome.

#include "transfer/LastYearImport.h"

#include <string>

namespace transfer {

// Empties the tables of the transfer file, making it first when it is not there.
void emptyIndividualsTransferFile(const std::string& transferPath);

// The runner of the individuals (LastYearRunner). Of one client, its main and certificate
// rows, its detail rows and the tidying of its capital-gains assets: each of last year's
// living main records of the number is written, into a file without clients under the
// number, otherwise under the numbers above the highest, and the detail rows of the number
// once, under the last of them. The transfer file is not used.
std::optional<Imported> importIndividuals(engine::Database& lastYear, const ThisYearFiles& thisYear,
                                          std::optional<double> chosen,
                                          const ImportProgress& progress);

} // namespace transfer
