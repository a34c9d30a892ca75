#include "standalone/Kinds.h"

#include "app/frmSysAdmin.h"
#include "schema/SchemaTables.h"
#include "transfer/StructurePlan.h"

#include <algorithm>
#include <optional>

namespace standalone {

namespace {

using transfer::ColumnCopy;
using transfer::CopyPlan;

// Columns a copy of a table leaves out, or fills with the empty text (the record locks of a
// client that arrives free).
struct ColumnRule {
    std::vector<std::string_view> notCopied;
    std::vector<std::string_view> emptyText;
};

struct TableRule {
    std::string table;
    ColumnRule columns;
};

constexpr std::string_view kLockText[] = {"UserName", "LastUserName", "DateLastSaved"};

// A main table whose record locks arrive free.
ColumnRule arrivesFree() {
    return {{}, {std::begin(kLockText), std::end(kLockText)}};
}

CopyPlan planFor(const schema::TableSpec& spec, const ColumnRule& rule, std::string_view number) {
    return transfer::planFromStructure(
        spec, number, [&rule](std::string_view column) -> std::optional<ColumnCopy> {
            if (std::ranges::count(rule.notCopied, column) > 0) return std::nullopt;
            const bool empty = std::ranges::count(rule.emptyText, column) > 0;
            return ColumnCopy{.target = std::string(column),
                              .from =
                                  empty ? ColumnCopy::From::EmptyText : ColumnCopy::From::Column,
                              .source = std::string(column)};
        });
}

// The copy plans of the main table, then of the detail tables in their order.
Kind makeKind(std::string_view name, const transfer::ClientKind& client, const ColumnRule& main,
              const std::vector<const std::vector<schema::TableSpec>*>& parts,
              const std::vector<TableRule>& details, std::string app::frmSysAdmin::*networkPath) {
    Kind kind{.name = name, .client = client, .copies = {}, .networkPath = networkPath};
    kind.copies.push_back(
        planFor(schema::tableIn(parts, client.mainTable), main, client.numberField));
    for (const TableRule& rule : details)
        kind.copies.push_back(
            planFor(schema::tableIn(parts, rule.table), rule.columns, client.numberField));
    return kind;
}

TableRule plain(std::string table) {
    return {std::move(table), {}};
}

} // namespace

const Kind& individualsKind() {
    static const Kind kind = [] {
        std::vector<TableRule> rules{plain("Qolb2018Cont"),
                                     plain("CARALL"),
                                     plain("IRP5CodeChecker"),
                                     plain("PropRentDetails"),
                                     {"CGTDetails", {{"SB750PortDed"}, {}}}};
        for (const char* t : {"LocIntContrib",
                              "InvestInterest",
                              "SITEPAYE",
                              "OMedCosts",
                              "PhysDis4022",
                              "HandiExp4023",
                              "NotSub4034",
                              "PFCC",
                              "PFAC",
                              "RACC",
                              "RAAC",
                              "ProvFund4003",
                              "SubAllClaims",
                              "Donation",
                              "Depreciation",
                              "HomeOfficeExp",
                              "OtherDed",
                              "PAYE4041",
                              "LumpSums",
                              "ForIntDiv",
                              "ForBussTrade",
                              "ForFarm",
                              "ForIncome",
                              "ForCFC",
                              "ForTaxCredits",
                              "ForTaxCredCGT",
                              "REITS",
                              "NonTaxableInc",
                              "TaxFreeDivs",
                              "ForSubAllClaims",
                              "PropRIMainExp",
                              "CGTAcqCost",
                              "CGTImproveMade",
                              "CGTSaleCost",
                              "CGTImproveMadeBefore",
                              "CGTTrustOther"})
            rules.push_back(plain(t));
        rules.push_back({"IRP5IncDed", {{"RetrenchmentLumps", "FstLumpTaken", "CertNo"}, {}}});
        rules.push_back({"CMVDetails",
                         {{"FuelReimbEmployerYesNo", "EmpPaidInsuranceYesNo", "EmpPaidLicenceYesNo",
                           "EmpPaidMaintenanceYesNo"},
                          {}}});
        rules.push_back(plain("AnnualTrends"));
        return makeKind("individuals", transfer::individualClients(),
                        {{"UserName", "DateLastSaved", "LastUserName", "Email"}, {}},
                        {&schema::individualsMainTables(), &schema::individualsDetailTables(),
                         &schema::individualsExtendedTables()},
                        rules, &app::frmSysAdmin::PersDbPath);
    }();
    return kind;
}

const Kind& trustsKind() {
    static const Kind kind = [] {
        std::vector<TableRule> rules;
        for (const char* t : {"TandBenDetails", "TRUSTIncExpend", "CapExempt", "Remuneration",
                              "Annuities", "IntForDivInc", "OTInc", "Expenditure", "PAYE",
                              "TaxCredit", "TrustDonations", "TrustPropRIMainExp",
                              "TrustPropRentDetails", "TrustCGTAcqCost", "TrustCGTImproveMade",
                              "TrustCGTImproveMadeBefore", "TrustCGTSaleCost", "TrustCGTDetails"})
            rules.push_back(plain(t));
        return makeKind("trusts", transfer::trustClients(), arrivesFree(),
                        {&schema::trustDbTables()}, rules, &app::frmSysAdmin::TrustDbPath);
    }();
    return kind;
}

const Kind& companiesKind() {
    static const Kind kind = makeKind("companies", transfer::companyClients(), arrivesFree(),
                                      {&schema::companyDbTables()}, {plain("Adjustments")},
                                      &app::frmSysAdmin::CompDbPath);
    return kind;
}

} // namespace standalone
