#include "transfer/TrustCleanUps.h"

#include "runtime/VariantOps.h"
#include "transfer/CapitalGainsCleanUp.h"
#include "transfer/NumberMoves.h"

#include <algorithm>

namespace transfer {

namespace {

// Trusts per statement, well inside the engine's limits on a statement's size.
constexpr std::size_t kTrustsPerStatement = 500;

const std::string kNotFlagged = "([ItemiseRentalInc] IS NULL OR [ItemiseRentalInc] <> 1)";

// The trusts with a rental property whose flag is not yet set. A property without a trust
// number joins no trust.
std::vector<double> trustsToFlag(engine::Database& db) {
    auto rs = db.OpenRecordset(
        "SELECT DISTINCT [TRUSTIncExpend].[TDCLNO] FROM [TRUSTIncExpend] INNER JOIN "
        "[TrustPropRentDetails] ON [TRUSTIncExpend].[TDCLNO] = [TrustPropRentDetails].[TDCLNO] "
        "WHERE ([TRUSTIncExpend].[ItemiseRentalInc] IS NULL OR "
        "[TRUSTIncExpend].[ItemiseRentalInc] <> 1)",
        engine::dbOpenDynaset);
    std::vector<double> out;
    for (; !rs->Eof(); rs->MoveNext())
        out.push_back(runtime::CDbl(rs->Fields(0).Value()));
    rs->Close();
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

void FlagTrustRentalIncome(engine::Database& thisYear) {
    // Only the flags that change are written, so that an import into a large file costs
    // little more than into a small one.
    const std::vector<double> trusts = trustsToFlag(thisYear);
    for (std::size_t from = 0; from < trusts.size(); from += kTrustsPerStatement) {
        const std::vector<double> part(
            trusts.begin() + static_cast<std::ptrdiff_t>(from),
            trusts.begin() +
                static_cast<std::ptrdiff_t>(std::min(trusts.size(), from + kTrustsPerStatement)));
        thisYear.Execute("UPDATE [TRUSTIncExpend] SET [ItemiseRentalInc] = 1 WHERE " + kNotFlagged +
                         " AND " + clientsIn("TDCLNO", part));
    }
}

void RenumberCGT_Trust(engine::Database& thisYear, const std::vector<double>& trusts) {
    cleanUpCapitalGains(thisYear, trustCapitalGains(), trusts);
}

} // namespace transfer
