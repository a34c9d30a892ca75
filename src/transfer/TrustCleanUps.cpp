#include "transfer/TrustCleanUps.h"

#include "transfer/CapitalGainsCleanUp.h"

#include <string>
#include <string_view>

namespace transfer {

namespace {

constexpr std::string_view kNotFlagged = "([ItemiseRentalInc] IS NULL OR [ItemiseRentalInc] <> 1)";

} // namespace

void FlagTrustRentalIncome(engine::Database& thisYear) {
    // Only the trusts not yet flagged are read, through the index the engine keeps of them
    // (the statement names its condition word for word); each looks for its properties
    // through their trust number. A property without a trust number joins no trust.
    thisYear.keepPartialIndex({.table = "TRUSTIncExpend",
                               .name = "RentalUnflagged",
                               .field = "TDCLNO",
                               .where = kNotFlagged});
    thisYear.Execute("UPDATE [TRUSTIncExpend] SET [ItemiseRentalInc] = 1 WHERE " +
                     std::string(kNotFlagged) +
                     " AND [TDCLNO] IN (SELECT [TDCLNO] FROM [TrustPropRentDetails] WHERE "
                     "[TrustPropRentDetails].[TDCLNO] = [TRUSTIncExpend].[TDCLNO])");
}

void RenumberCGT_Trust(engine::Database& thisYear, const std::vector<double>& trusts) {
    cleanUpCapitalGains(thisYear, trustCapitalGains(), trusts);
}

} // namespace transfer
