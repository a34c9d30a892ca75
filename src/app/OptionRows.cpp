#include "app/OptionRows.h"

#include "app/Version.h"
#include "engine/EngineErrors.h"
#include "runtime/Error.h"
#include "runtime/VariantOps.h"

namespace app {

void addClientOptionRow(engine::Recordset& rs, std::int16_t upDateDb) {
    rs.AddNew();
    rs.Fields("UpDateDB").setValue(upDateDb);
    rs.Fields("LoanThreshold").setValue(3000.0);
    rs.Fields("OffIntRate").setValue(8.0);
    rs.Fields("DisclaimerYesNo").setValue(false);
    rs.Fields("VerNum").setValue(verNum(buildVersion()));
    rs.Update();
}

void addSystemOptionRow(engine::Recordset& rs, std::int16_t upDateDb) {
    rs.AddNew();
    rs.Fields("UpDateDB").setValue(upDateDb);
    rs.Fields("VerNum").setValue(verNum(buildVersion()));
    rs.Update();
}

std::optional<std::int16_t> readStructureVersion(engine::Recordset& rs) {
    if (rs.Eof()) return std::nullopt;
    const runtime::Variant v = rs.Fields("UpDateDB").Value();
    return v.isNull() ? std::int16_t{0} : runtime::CInt(v);
}

void recordStructureVersion(engine::Recordset& rs, bool rowStored, std::int16_t version,
                            void (*addRow)(engine::Recordset&, std::int16_t)) {
    if (!rowStored) {
        addRow(rs, version);
        return;
    }
    rs.Edit();
    rs.Fields("UpDateDB").setValue(version);
    rs.Update();
}

} // namespace app
