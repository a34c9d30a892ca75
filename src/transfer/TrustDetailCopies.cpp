#include "transfer/TrustDetailCopies.h"

#include "runtime/Constants.h"
#include "schema/SchemaTables.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace transfer {

namespace {

constexpr std::string_view kClient = "TDCLNO";

// One table: every column of this year's structure is copied, except those it resets to a
// constant and those it leaves to the new row's default.
struct TrustTable {
    std::string name;
    std::vector<std::pair<std::string, double>> constants;
    std::vector<std::string> notCarried;
    std::vector<std::string> orderBy;
};

std::vector<TrustTable> trustTables() {
    std::vector<TrustTable> t;
    // A beneficiary keeps who it is; last year's income shares start at 0.
    t.push_back({"TandBenDetails",
                 {{"IntForDiv", 0}, {"OtherTInc", 0}, {"ExInc", 0}, {"CGTIncome", 0}},
                 {},
                 {std::string(kClient), "TrustNum"}});
    // A property keeps its address and place; it lets for the whole new year, from nothing.
    TrustTable rent{"TrustPropRentDetails",
                    {{"TItemiseProp", 0},
                     {"TDateStart", runtime::TaxYearStart},
                     {"TDateEnd", runtime::TaxYearEnd}},
                    {"TCOPSplit"},
                    {std::string(kClient), "TPropNum"}};
    for (const char* amount : {"TBondBalance", "TRentIncome", "TIntOnBond", "TRates", "TInsurance",
                               "TMaintenance", "TTotRentExp1", "TDBNetRentInc"})
        rent.constants.emplace_back(amount, 0);
    t.push_back(std::move(rent));
    // Sold assets come too: the capital-gains clean-up removes them afterwards.
    for (const char* whole : {"TrustCGTDetails", "TrustCGTAcqCost", "TrustCGTImproveMade",
                              "TrustCGTSaleCost", "TrustCGTImproveMadeBefore"})
        t.push_back({whole, {}, {}, {}});
    return t;
}

const schema::TableSpec& thisYearTable(const std::string& name) {
    for (const schema::TableSpec& t : schema::trustDbTables())
        if (t.name == name) return t;
    throw std::logic_error("no table " + name);
}

ColumnCopy columnCopy(const TrustTable& d, std::string_view column) {
    if (column == kClient) return {std::string(column), ColumnCopy::From::ClientNumber, {}, 0};
    const auto it = std::ranges::find(d.constants, column, &std::pair<std::string, double>::first);
    if (it != d.constants.end())
        return {std::string(column), ColumnCopy::From::Constant, {}, it->second};
    return {std::string(column), ColumnCopy::From::Column, std::string(column), 0};
}

CopyPlan planFor(const TrustTable& d) {
    CopyPlan plan{d.name, d.name, std::string(kClient), {}, d.orderBy};
    for (const schema::FieldSpec& f : schema::createdFields(thisYearTable(d.name)))
        if (f.name != schema::InUseField &&
            std::ranges::find(d.notCarried, f.name) == d.notCarried.end())
            plan.columns.push_back(columnCopy(d, f.name));
    return plan;
}

} // namespace

const std::vector<CopyPlan>& trustDetailCopies() {
    static const std::vector<CopyPlan> plans = [] {
        std::vector<CopyPlan> out;
        for (const TrustTable& d : trustTables())
            out.push_back(planFor(d));
        return out;
    }();
    return plans;
}

std::vector<CopiedRows> copyTrustDetails(engine::Database& lastYear,
                                         const std::string& thisYearPath, double lastYearNumber,
                                         double newNumber) {
    return copyClientRows(trustDetailCopies(), lastYear, thisYearPath, lastYearNumber, newNumber);
}

} // namespace transfer
