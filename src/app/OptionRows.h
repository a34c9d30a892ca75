#pragma once

// The first rows of table DefInvOpt that a new file gets.

#include "engine/Dao.h"

#include <cstdint>
#include <optional>

namespace app {

// Individuals network database: UpDateDB, LoanThreshold 3000, OffIntRate 8,
// DisclaimerYesNo False and VerNum, saved once. `rs` is a table-type recordset on DefInvOpt.
void addClientOptionRow(engine::Recordset& rs, std::int16_t upDateDb);

// System database: UpDateDB and VerNum, saved once.
void addSystemOptionRow(engine::Recordset& rs, std::int16_t upDateDb);

// UpDateDB of the row a freshly opened table-type recordset stands on; nullopt when the
// table has no row. A Null counts as 0, a structure older than any version.
std::optional<std::int16_t> readStructureVersion(engine::Recordset& rs);

// Records `version` as the file's structure version: on the row `rs` stands on when the
// table had one (`rowStored`), otherwise as the file's first option row, made by `addRow`.
void recordStructureVersion(engine::Recordset& rs, bool rowStored, std::int16_t version,
                            void (*addRow)(engine::Recordset&, std::int16_t));

} // namespace app
