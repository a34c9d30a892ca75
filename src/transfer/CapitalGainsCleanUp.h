#pragma once

#include "engine/Dao.h"
#include "transfer/CapitalGainsTables.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace transfer {

// Tidies the capital-gains assets of the clients an import has just written into this
// year's database: each sold asset goes with its cost lines; the assets left are numbered
// 1 to n by (asset number, row order), their cost lines following them; a client that
// lost an asset gets the count of what is left and its flag (1 when assets remain, else 0).
// Clients not named are not touched, so a sale a user recorded this year stays.
//
// It takes no transaction of its own: the import runs it inside the one that writes its
// clients, so that an error (raised with the engine's number) leaves the file as it was.
void cleanUpCapitalGains(engine::Database& thisYear, const CapitalGainsTables& tables,
                         const std::vector<double>& clients);

// The same but for the cost lines, left as they are, for an import that has not copied them
// yet: gives, for each client, what must become of the lines of each asset number that
// changes (none: they go with their sold asset).
using CostLineMoves = std::map<double, std::map<double, std::optional<std::int16_t>>>;
CostLineMoves cleanUpAssets(engine::Database& thisYear, const CapitalGainsTables& tables,
                            const std::vector<double>& clients);

// The clean-up after an import of individuals.
void RenumberCGT_Personal(engine::Database& thisYear, const std::vector<double>& clients);

} // namespace transfer
