// The transfer files repeat network tables, so they are made from those tables' data
// rather than listed again: a change to a network table reaches its transfer copy.
#include "schema/SchemaTables.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace schema {

namespace {

const TableSpec& find(const std::vector<TableSpec>& tables, std::string_view name) {
    return tableIn({&tables}, name);
}

// A network table cut after its field `last`, less the fields `omit`.
TableSpec upToField(TableSpec table, std::string_view last,
                    std::initializer_list<std::string_view> omit) {
    std::vector<FieldSpec> kept;
    for (const FieldSpec& f : table.fields) {
        if (std::find(omit.begin(), omit.end(), f.name) == omit.end()) kept.push_back(f);
        if (f.name == last) break;
    }
    table.fields = std::move(kept);
    return table;
}

TableSpec withoutIndex(TableSpec table, std::string_view index) {
    std::erase_if(table.indexes, [&](const IndexSpec& i) { return i.name == index; });
    return table;
}

} // namespace

const std::vector<TableSpec>& transferPersonalTables() {
    static const std::vector<TableSpec> tables = [] {
        const auto& main = individualsMainTables();
        const auto& detail = individualsDetailTables();
        return std::vector<TableSpec>{
            find(detail, "PropRentDetails"),
            find(detail, "CGTAcqCost"),
            find(detail, "CGTImproveMade"),
            find(detail, "CGTImproveMadeBefore"),
            find(detail, "CGTSaleCost"),
            find(detail, "CGTDetails"),
            upToField(find(main, "Qolb2018Cont"), "FarmRingFenceYesNo", {"ItemiseREITS"}),
            find(detail, "CARALL"),
            find(individualsExtendedTables(), "AnnualTrends"),
        };
    }();
    return tables;
}

const std::vector<TableSpec>& transferTrustTables() {
    static const std::vector<TableSpec> tables = [] {
        const auto& trust = trustDbTables();
        return std::vector<TableSpec>{
            find(trust, "TrustPropRentDetails"),
            find(trust, "TrustCGTAcqCost"),
            find(trust, "TrustCGTImproveMade"),
            find(trust, "TrustCGTImproveMadeBefore"),
            find(trust, "TrustCGTSaleCost"),
            withoutIndex(find(trust, "TrustCGTDetails"), "DCLNOIndex"),
            find(trust, "TandBenDetails"),
        };
    }();
    return tables;
}

const std::vector<TableSpec>& transferCompanyTables() {
    // Without the record-lock fields: nobody holds a transfer row open.
    static const std::vector<TableSpec> tables = [] {
        TableSpec company =
            upToField(find(companyDbTables(), "CompanyDetails"), "CompanyDetailsNotes",
                      {"UserName", "DateLastSaved", "LastUserName"});
        return std::vector<TableSpec>{withoutIndex(std::move(company), "UserNameIndex")};
    }();
    return tables;
}

} // namespace schema
