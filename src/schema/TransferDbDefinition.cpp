#include "schema/DefinitionRun.h"
#include "schema/SchemaTables.h"
#include "schema/StructureDefinitions.h"
#include "schema/StructureHelpers.h"

namespace schema {

namespace {

void makeTransferDb(const std::string& path, const std::vector<TableSpec>& tables) {
    detail::FileTransaction transaction;
    MakeDatabase(path, false);
    transaction.begin();
    detail::runTables(tables);
    transaction.commit();
}

} // namespace

void MakeTemp_Personal_DB(const std::string& transPersDbPath) {
    makeTransferDb(transPersDbPath, transferPersonalTables());
}

void MakeTemp_Trust_DB(const std::string& transTrustDbPath) {
    makeTransferDb(transTrustDbPath, transferTrustTables());
}

void MakeTemp_Company_DB(const std::string& transCompDbPath) {
    makeTransferDb(transCompDbPath, transferCompanyTables());
}

} // namespace schema
