#include "schema/DefinitionRun.h"
#include "schema/SchemaTables.h"
#include "schema/StructureDefinitions.h"
#include "schema/StructureHelpers.h"

namespace schema {

namespace {

// The individuals tables that remain go into the transaction already running on that
// file; each of the other two files gets its own.
void makeNewDbExtended(detail::FileTransaction& transaction, const std::string& trustDbPath,
                       const std::string& compDbPath) {
    detail::runTables(individualsExtendedTables());
    transaction.commit();

    MakeDatabase(trustDbPath, false);
    transaction.begin();
    detail::runTables(trustDbTables());
    transaction.commit();

    MakeDatabase(compDbPath, false);
    transaction.begin();
    detail::runTables(companyDbTables());
    transaction.commit();
}

} // namespace

void MakeNewDb(const std::string& persDbPath, const std::string& trustDbPath,
               const std::string& compDbPath) {
    detail::FileTransaction transaction;
    MakeDatabase(persDbPath, false);
    transaction.begin();
    detail::runTables(individualsMainTables());
    detail::runTables(individualsDetailTables());
    makeNewDbExtended(transaction, trustDbPath, compDbPath);
}

void MAKENEWDB_EXTENDED(const std::string& trustDbPath, const std::string& compDbPath) {
    detail::FileTransaction transaction;
    transaction.begin();
    makeNewDbExtended(transaction, trustDbPath, compDbPath);
}

} // namespace schema
