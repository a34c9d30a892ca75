#include "transfer/TrustDetailCopies.h"

#include "runtime/Constants.h"
#include "schema/SchemaTables.h"
#include "transfer/NumberMoves.h"
#include "transfer/SqlText.h"
#include "transfer/StructurePlan.h"

#include <algorithm>
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
    t.push_back({"TrustCGTDetails", {}, {}, {}});
    return t;
}

std::vector<TrustTable> costTables() {
    std::vector<TrustTable> t;
    for (const char* costs : {"TrustCGTAcqCost", "TrustCGTImproveMade", "TrustCGTSaleCost",
                              "TrustCGTImproveMadeBefore"})
        t.push_back({costs, {}, {}, {}});
    return t;
}

constexpr std::string_view kAssetNumber = "CGTAsset Number";

// A condition on the source table's asset number, added to a statement that has no ORDER BY.
void restrict(ClientCopyStatement& s, const CopyPlan& plan, const std::string& condition) {
    s.sql += " AND (" + bracketed(plan.source) + "." + bracketed(kAssetNumber) + condition + ")";
}

CopyPlan planFor(const TrustTable& d) {
    const auto choose = [&](std::string_view column) -> std::optional<ColumnCopy> {
        if (std::ranges::find(d.notCarried, column) != d.notCarried.end()) return std::nullopt;
        const auto it =
            std::ranges::find(d.constants, column, &std::pair<std::string, double>::first);
        if (it != d.constants.end())
            return ColumnCopy{.target = std::string(column),
                              .from = ColumnCopy::From::Constant,
                              .constant = it->second};
        return ColumnCopy{.target = std::string(column), .source = std::string(column)};
    };
    CopyPlan plan =
        planFromStructure(schema::tableIn({&schema::trustDbTables()}, d.name), kClient, choose);
    plan.orderBy = d.orderBy;
    return plan;
}

std::vector<CopyPlan> plansFor(const std::vector<TrustTable>& tables) {
    std::vector<CopyPlan> out;
    for (const TrustTable& d : tables)
        out.push_back(planFor(d));
    return out;
}

} // namespace

const std::vector<CopyPlan>& trustDetailCopies() {
    static const std::vector<CopyPlan> plans = plansFor(trustTables());
    return plans;
}

const std::vector<CopyPlan>& trustCostLineCopies() {
    static const std::vector<CopyPlan> plans = plansFor(costTables());
    return plans;
}

std::vector<CopiedRows> copyTrustDetails(engine::Database& lastYear,
                                         const std::string& thisYearPath, double lastYearNumber,
                                         double newNumber) {
    return copyClientRows(trustDetailCopies(), lastYear, thisYearPath, lastYearNumber, newNumber);
}

std::vector<CopiedRows>
copyTrustCostLines(engine::Database& lastYear, const std::string& thisYearPath,
                   double lastYearNumber, double newNumber,
                   const std::map<double, std::optional<std::int16_t>>& moved) {
    std::vector<double> changed;
    for (const auto& [from, to] : moved)
        changed.push_back(from);
    std::vector<CopiedRows> out;
    for (const CopyPlan& plan : trustCostLineCopies()) {
        CopiedRows copied{plan.target, 0};
        auto run = [&](const ClientCopyStatement& s) {
            copied.rows += copyRows(lastYear, s, plan.target);
        };
        // The lines whose asset keeps its number, and those of no asset, as they are.
        ClientCopyStatement same =
            clientCopyStatement(plan, thisYearPath, lastYearNumber, newNumber);
        if (!changed.empty())
            restrict(same, plan,
                     " IS NULL OR NOT (" + clientsIn(std::string(kAssetNumber), changed) + ")");
        run(same);
        for (const auto& [from, to] : moved) {
            if (!to) continue;
            CopyPlan renumbered = plan;
            for (ColumnCopy& c : renumbered.columns)
                if (c.target == kAssetNumber)
                    c = {.target = c.target,
                         .from = ColumnCopy::From::Constant,
                         .constant = double(*to)};
            ClientCopyStatement s =
                clientCopyStatement(renumbered, thisYearPath, lastYearNumber, newNumber);
            restrict(s, plan, " = " + exactNumber(from));
            run(s);
        }
        out.push_back(copied);
    }
    return out;
}

} // namespace transfer
