#include "support/LastYearTables.h"

#include "schema/SchemaTables.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace support {

namespace {

// This year's individuals tables that last year's file holds, and the name each had there.
constexpr std::pair<std::string_view, std::string_view> kIndividualsTables[] = {
    {"Qolb2018", "Qolb2017"},
    {"Qolb2018Cont", "Qolb2017Cont"},
    {"IRP5IncDed", "IRP5IncDed"},
    {"PropRentDetails", "PropRentDetails"},
    {"CGTDetails", "CGTDetails"},
    {"CGTAcqCost", "CGTAcqCost"},
    {"CGTImproveMade", "CGTImproveMade"},
    {"CGTSaleCost", "CGTSaleCost"},
    {"CGTImproveMadeBefore", "CGTImproveMadeBefore"},
    {"CARALL", "CARALL"},
    {"AnnualTrends", "AnnualTrends"},
    {"DefInvOpt", "DefInvOpt"},
};

// A column of a year after last (the lump-sum and income histories run up to the file's
// own year), so last year's file never had it.
bool ofANewerYear(std::string_view field) {
    return field.find("2018") != std::string_view::npos ||
           field.find("2019") != std::string_view::npos;
}

// The table of that name among `tables`; a name the structure lacks is a fault of this list.
template <class Tables> auto& tableNamed(Tables& tables, std::string_view name) {
    auto it = std::ranges::find(tables, name, &schema::TableSpec::name);
    if (it == tables.end()) throw std::logic_error("no table " + std::string(name));
    return *it;
}

const schema::TableSpec& individualsTable(std::string_view name) {
    for (const auto* part : {&schema::individualsMainTables(), &schema::individualsDetailTables(),
                             &schema::individualsExtendedTables()})
        if (std::ranges::find(*part, name, &schema::TableSpec::name) != part->end())
            return tableNamed(*part, name);
    throw std::logic_error("no table " + std::string(name));
}

} // namespace

std::vector<schema::TableSpec> lastYearIndividualsTables() {
    std::vector<schema::TableSpec> out;
    for (const auto& [now, then] : kIndividualsTables) {
        schema::TableSpec table = individualsTable(now);
        table.name = std::string(then);
        std::erase_if(table.fields,
                      [](const schema::FieldSpec& f) { return ofANewerYear(f.name); });
        out.push_back(std::move(table));
    }
    return out;
}

std::vector<schema::TableSpec> lastYearTrustTables() {
    return schema::trustDbTables();
}

std::vector<schema::TableSpec> lastYearCompanyTables() {
    std::vector<schema::TableSpec> out = schema::companyDbTables();
    tableNamed(out, "CompanyDetails").indexes.push_back({"CompanyRegNameIndex1", "CompanyRegName"});
    return out;
}

} // namespace support
