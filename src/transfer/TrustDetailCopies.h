#pragma once

// The detail tables that follow a trust from last year's trust file into this year's: its
// beneficiaries, rental properties, capital-gains assets and their cost lines, each a copy
// plan built from this year's structure and a short list of what the new year resets, so
// that the import of one trust and of all trusts carry the same columns.

#include "engine/Dao.h"
#include "transfer/CopyPlan.h"
#include "transfer/DetailCopies.h"

#include <string>
#include <vector>

namespace transfer {

// The seven plans, in the order they run; the client column is TDCLNO.
const std::vector<CopyPlan>& trustDetailCopies();

// Copies last year's detail rows of trust `lastYearNumber` into the file at `thisYearPath`
// under `newNumber`. No transaction of its own: run it inside the import's.
std::vector<CopiedRows> copyTrustDetails(engine::Database& lastYear,
                                         const std::string& thisYearPath, double lastYearNumber,
                                         double newNumber);

} // namespace transfer
