#pragma once

// The detail tables that follow a trust from last year's trust file into this year's: its
// beneficiaries, rental properties, capital-gains assets and their cost lines, each a copy
// plan built from this year's structure and a short list of what the new year resets, so
// that the import of one trust and of all trusts carry the same columns.

#include "engine/Dao.h"
#include "transfer/CopyPlan.h"
#include "transfer/DetailCopies.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace transfer {

// The plans of the beneficiaries, rental properties and capital-gains assets, in the order
// they run; the client column is TDCLNO.
const std::vector<CopyPlan>& trustDetailCopies();
// The plans of the assets' four tables of cost lines.
const std::vector<CopyPlan>& trustCostLineCopies();

// Copies last year's rows of trust `lastYearNumber` of the three detail tables into the file
// at `thisYearPath` under `newNumber`. No transaction of its own: run it inside the import's.
std::vector<CopiedRows> copyTrustDetails(engine::Database& lastYear,
                                         const std::string& thisYearPath, double lastYearNumber,
                                         double newNumber);

// The same for the cost lines, once the assets are tidied: the lines of an asset number that
// `moved` lists take its new number, or stay behind when it has none (their asset was sold).
// Done in the copy, as these tables have no index to find the lines by afterwards.
std::vector<CopiedRows>
copyTrustCostLines(engine::Database& lastYear, const std::string& thisYearPath,
                   double lastYearNumber, double newNumber,
                   const std::map<double, std::optional<std::int16_t>>& moved);

} // namespace transfer
