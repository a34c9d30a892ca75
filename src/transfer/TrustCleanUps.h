#pragma once

// The two clean-ups that follow every import of trusts into this year's trust file. Neither
// takes a transaction of its own: the import runs them inside the one that writes its
// trusts, so that an error (raised with the engine's number) leaves the file as it was.

#include "engine/Dao.h"

#include <vector>

namespace transfer {

// Every trust of the file that has a rental property gets ItemiseRentalInc 1; no flag is
// ever cleared. Properties without a trust number belong to no trust and are passed over.
void FlagTrustRentalIncome(engine::Database& thisYear);

// The capital-gains clean-up of the trusts just written (see cleanUpCapitalGains).
void RenumberCGT_Trust(engine::Database& thisYear, const std::vector<double>& trusts);

} // namespace transfer
