#pragma once

// Carrying trusts from last year's trust file into this year's: one chosen trust, or every
// trust (AllTrustsImport.h). Shows nothing; the handler shows the outcome.

#include "transfer/LastYearImport.h"

namespace transfer {

// The runner of the trusts (LastYearRunner). Of one trust, its main record, its
// income-and-expenditure row, its detail rows, the rental flag and the tidying of its
// capital-gains assets: each of last year's main records of the number is written, paired
// in turn with last year's income rows of the number; a record without one starts with no
// capital loss. Into a file without trusts the number is kept; otherwise the records take
// the numbers above the highest, and the detail rows the last of them. The transfer file is
// not used.
std::optional<Imported> importTrusts(engine::Database& lastYear, const ThisYearFiles& thisYear,
                                     std::optional<double> chosen, const ImportProgress& progress);

} // namespace transfer
