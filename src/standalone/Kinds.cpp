#include "standalone/Kinds.h"

#include "app/frmSysAdmin.h"
#include "schema/SchemaTables.h"

#include <algorithm>
#include <stdexcept>

namespace standalone {

namespace {

using transfer::ColumnCopy;
using transfer::CopyPlan;

// Columns a copy leaves out, or fills with the empty text (the record locks of a client
// that arrives free).
struct TableRule {
    std::string table;
    std::vector<std::string_view> notCopied;
    std::vector<std::string_view> emptyText;
};

constexpr std::string_view kLockText[] = {"UserName", "LastUserName", "DateLastSaved"};

const schema::TableSpec& tableIn(const std::vector<const std::vector<schema::TableSpec>*>& parts,
                                 const std::string& name) {
    for (const auto* part : parts)
        for (const schema::TableSpec& t : *part)
            if (t.name == name) return t;
    throw std::logic_error("no table " + name);
}

CopyPlan planFor(const schema::TableSpec& spec, const TableRule& rule, const std::string& key) {
    CopyPlan plan{spec.name, spec.name, key, {}, {}};
    for (const schema::FieldSpec& f : schema::createdFields(spec)) {
        if (f.name == schema::InUseField || std::ranges::count(rule.notCopied, f.name)) continue;
        ColumnCopy::From from = ColumnCopy::From::Column;
        if (f.name == key)
            from = ColumnCopy::From::ClientNumber;
        else if (std::ranges::count(rule.emptyText, f.name) > 0)
            from = ColumnCopy::From::EmptyText;
        plan.columns.push_back({std::string(f.name), from, std::string(f.name), 0});
    }
    return plan;
}

// The copy plans of the rules, in their order; the first rule is the main table's.
Kind makeKind(std::string_view name, std::string key, std::string index, std::string nameField,
              const std::vector<const std::vector<schema::TableSpec>*>& parts,
              const std::vector<TableRule>& rules, std::string app::frmSysAdmin::*networkPath) {
    Kind kind{name,        rules.front().table, key, std::move(index), {},
              networkPath, std::move(nameField)};
    for (const TableRule& rule : rules)
        kind.copies.push_back(planFor(tableIn(parts, rule.table), rule, key));
    return kind;
}

TableRule plain(std::string table) {
    return {std::move(table), {}, {}};
}

} // namespace

const Kind& individualsKind() {
    static const Kind kind = [] {
        std::vector<TableRule> rules{
            {"Qolb2018", {"UserName", "DateLastSaved", "LastUserName", "Email"}, {}},
            plain("Qolb2018Cont"),
            plain("CARALL"),
            plain("IRP5CodeChecker"),
            plain("PropRentDetails"),
            {"CGTDetails", {"SB750PortDed"}, {}}};
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
        rules.push_back({"IRP5IncDed", {"RetrenchmentLumps", "FstLumpTaken", "CertNo"}, {}});
        rules.push_back({"CMVDetails",
                         {"FuelReimbEmployerYesNo", "EmpPaidInsuranceYesNo", "EmpPaidLicenceYesNo",
                          "EmpPaidMaintenanceYesNo"},
                         {}});
        rules.push_back(plain("AnnualTrends"));
        return makeKind("individuals", "DCLNO", "PERSNUM", "Surname",
                        {&schema::individualsMainTables(), &schema::individualsDetailTables(),
                         &schema::individualsExtendedTables()},
                        rules, &app::frmSysAdmin::PersDbPath);
    }();
    return kind;
}

const Kind& trustsKind() {
    static const Kind kind = [] {
        std::vector<TableRule> rules{
            {"TRUSTDetails", {}, {std::begin(kLockText), std::end(kLockText)}}};
        for (const char* t : {"TandBenDetails", "TRUSTIncExpend", "CapExempt", "Remuneration",
                              "Annuities", "IntForDivInc", "OTInc", "Expenditure", "PAYE",
                              "TaxCredit", "TrustDonations", "TrustPropRIMainExp",
                              "TrustPropRentDetails", "TrustCGTAcqCost", "TrustCGTImproveMade",
                              "TrustCGTImproveMadeBefore", "TrustCGTSaleCost", "TrustCGTDetails"})
            rules.push_back(plain(t));
        return makeKind("trusts", "TDCLNO", "TDCLNOIndex", "TrustName", {&schema::trustDbTables()},
                        rules, &app::frmSysAdmin::TrustDbPath);
    }();
    return kind;
}

const Kind& companiesKind() {
    static const Kind kind = makeKind(
        "companies", "CDCLNO", "CDCLNOIndex", "CompanyRegName", {&schema::companyDbTables()},
        {{"CompanyDetails", {}, {std::begin(kLockText), std::end(kLockText)}},
         plain("Adjustments")},
        &app::frmSysAdmin::CompDbPath);
    return kind;
}

} // namespace standalone
