#include "transfer/TrustCleanUps.h"

#include "transfer/CapitalGainsCleanUp.h"

namespace transfer {

void FlagTrustRentalIncome(engine::Database& thisYear) {
    // One statement over the trusts with a rental property; only the flags that change are
    // written. A property without a trust number joins no trust.
    thisYear.Execute("UPDATE [TRUSTIncExpend] SET [ItemiseRentalInc] = 1 WHERE "
                     "([ItemiseRentalInc] IS NULL OR [ItemiseRentalInc] <> 1) AND [TDCLNO] IN "
                     "(SELECT [TDCLNO] FROM [TrustPropRentDetails])");
}

void RenumberCGT_Trust(engine::Database& thisYear, const std::vector<double>& trusts) {
    cleanUpCapitalGains(thisYear, trustCapitalGains(), trusts);
}

} // namespace transfer
