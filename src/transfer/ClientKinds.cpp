#include "transfer/ClientKinds.h"

#include "schema/StructureDefinitions.h"
#include "transfer/DetailCopies.h"
#include "transfer/TrustDetailCopies.h"

namespace transfer {

namespace {

constexpr std::string_view kIndividualsTransferTables[] = {
    "CGTDetails",      "CGTAcqCost",   "CGTImproveMade", "CGTSaleCost", "CGTImproveMadeBefore",
    "PropRentDetails", "Qolb2018Cont", "carall",         "AnnualTrends"};

constexpr std::string_view kTrustTransferTables[] = {
    "TrustCGTDetails",           "TrustCGTAcqCost",      "TrustCGTImproveMade", "TrustCGTSaleCost",
    "TrustCGTImproveMadeBefore", "TrustPropRentDetails", "TandBenDetails"};

// Last year's companies bring no detail rows.
const std::vector<CopyPlan>& noDetailCopies() {
    static const std::vector<CopyPlan> none;
    return none;
}

} // namespace

const ClientKind& individualClients() {
    static const ClientKind kind{.mainTable = "Qolb2018",
                                 .numberField = "DCLNO",
                                 .numberIndex = "PERSNUM",
                                 .nameField = "Surname",
                                 .detailCopies = individualsDetailCopies,
                                 .makeTransferFile = schema::MakeTemp_Personal_DB,
                                 .transferTables = kIndividualsTransferTables,
                                 .capitalGains = individualsCapitalGains};
    return kind;
}

const ClientKind& trustClients() {
    static const ClientKind kind{.mainTable = "TRUSTDetails",
                                 .numberField = "TDCLNO",
                                 .numberIndex = "TDCLNOIndex",
                                 .nameField = "TrustName",
                                 .detailCopies = trustDetailCopies,
                                 .makeTransferFile = schema::MakeTemp_Trust_DB,
                                 .transferTables = kTrustTransferTables,
                                 .capitalGains = trustCapitalGains};
    return kind;
}

const ClientKind& companyClients() {
    static const ClientKind kind{.mainTable = "CompanyDetails",
                                 .numberField = "CDCLNO",
                                 .numberIndex = "CDCLNOIndex",
                                 .nameField = "CompanyRegName",
                                 .detailCopies = noDetailCopies,
                                 .makeTransferFile = schema::MakeTemp_Company_DB,
                                 .transferTables = {},
                                 .capitalGains = nullptr};
    return kind;
}

} // namespace transfer
