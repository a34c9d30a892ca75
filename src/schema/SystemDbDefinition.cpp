#include "schema/DefinitionRun.h"
#include "schema/SchemaTables.h"
#include "schema/StructureDefinitions.h"
#include "schema/StructureHelpers.h"

namespace schema {

void MakeNewSysDb(const std::string& sysAdminDbPath) {
    detail::FileTransaction transaction;
    MakeDatabase(sysAdminDbPath, true);
    transaction.begin();
    detail::runTables(systemDbTables());
    transaction.commit();
}

} // namespace schema
