#include "transfer/DetailCopies.h"

#include "runtime/Constants.h"
#include "schema/SchemaTables.h"
#include "transfer/ImportSteps.h"
#include "transfer/StructurePlan.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace transfer {

namespace {

constexpr std::string_view kClient = "DCLNO";

// A column whose value is not what the table's rule gives it.
struct Differs {
    std::string column;
    ColumnCopy::From from = ColumnCopy::From::Column;
    std::string source = {}; // From::Column: last year's column; empty: the same name
    double constant = 0;
};

Differs copied(std::string column) {
    return {.column = std::move(column)};
}
Differs constant(std::string column, double value) {
    return {.column = std::move(column), .from = ColumnCopy::From::Constant, .constant = value};
}
Differs movedFrom(std::string column, std::string source) {
    return {.column = std::move(column), .source = std::move(source)};
}

// prefix + first .. prefix + last, each made by `make`.
template <class Make>
void numbered(std::vector<Differs>& out, const std::string& prefix, int first, int last,
              Make make) {
    for (int i = first; i <= last; ++i)
        out.push_back(make(prefix + std::to_string(i)));
}

// One detail table: which of this year's columns a carried row names (the rest keep the
// structure's defaults), what those columns hold unless listed in `differs`, and the order
// rows go in.
struct DetailTable {
    std::string target;
    std::string source = {};                          // last year's table; empty: the same name
    ColumnCopy::From rest = ColumnCopy::From::Column; // Column: copied; Constant: 0
    std::vector<std::string> notCarried = {};
    std::vector<std::string> notCarriedPrefixes = {};
    std::string lastCarried = {}; // empty: to the table's end
    std::vector<Differs> differs = {};
    std::vector<std::string> orderBy = {};
};

// The continuation record's standing details; its other carried columns start at 0.
constexpr std::string_view kContinuationKept[] = {"TaxRefNo_1",
                                                  "TaxRefNo_2",
                                                  "TaxRefNo_3",
                                                  "TaxRefNo_4",
                                                  "PassportNoSelf",
                                                  "FaxNoDialCode",
                                                  "FaxNo",
                                                  "TelHomeDialCode",
                                                  "TelBussDialCode",
                                                  "PostAdd3Half",
                                                  "ResAdd3Half",
                                                  "WorkAdd1",
                                                  "WorkAdd2",
                                                  "WorkAdd3",
                                                  "WorkAdd3Half",
                                                  "WorkAdd4",
                                                  "ContactEMail",
                                                  "ContactSMS",
                                                  "ContactPost",
                                                  "ContactFax",
                                                  "ContactTaxPract",
                                                  "PractCompleteYESNO",
                                                  "PractNo",
                                                  "PracTelNoDialCode",
                                                  "txtPracTelNo",
                                                  "ASS15",
                                                  "ASS16",
                                                  "ForeignAssets",
                                                  "ForeignLiabilities"};

std::vector<DetailTable> detailTables() {
    using From = ColumnCopy::From;
    std::vector<DetailTable> t;

    // A schedule keeps what identifies it; its amounts start at 0, and so do its texts
    // (which then hold "0").
    t.push_back(
        {.target = "PropRentDetails",
         .rest = From::Constant,
         .notCarried = {"Levies", "RingFenceLossBF"},
         .differs = {copied("MaxNum"), copied("PropNum"), copied("ItemiseProp"), copied("Address"),
                     copied("UniqIdent"), copied("RealCOPSplit"), copied("SourceCodeLBTP")},
         .orderBy = {std::string(kClient), "PropNum"}});
    // Sold assets come too: the capital-gains clean-up removes them afterwards.
    t.push_back({.target = "CGTDetails", .differs = {constant("LocForeign", 1)}});
    for (const char* costs :
         {"CGTAcqCost", "CGTImproveMade", "CGTSaleCost", "CGTImproveMadeBefore"})
        t.push_back({.target = costs});

    DetailTable cont{.target = "Qolb2018Cont",
                     .source = "Qolb2017Cont",
                     .rest = From::Constant,
                     .notCarried = {"ItemiseREITS", "ItemiseNonTaxableInc", "ItemiseTaxFreeDivs"},
                     .lastCarried = "FarmRingFenceYesNo"};
    for (std::string_view c : kContinuationKept)
        cont.differs.push_back(copied(std::string(c)));
    numbered(cont.differs, "ASSFOR", 0, 16, copied);
    numbered(cont.differs, "LIABFOR", 0, 4, copied);
    t.push_back(std::move(cont));

    // The first vehicle starts the new tax year; the second is not carried.
    DetailTable cars{.target = "CARALL",
                     .notCarried = {"Car2FC", "Car2MC", "TASD2", "TAED2", "RegNumberCar2",
                                    "MakeModelCar2", "DateAcquiredCar2", "CostPriceCar2",
                                    "SellingPriceCar2", "SoldCar2", "ValYearStartCar2"},
                     .notCarriedPrefixes = {"TA2"},
                     .differs = {constant("LogBookYesNo", 0), constant("TA104", 0),
                                 constant("TA105", 0), movedFrom("TA106", "TA105"),
                                 constant("TA114", 365), constant("Car1FC", 1),
                                 constant("Car1MC", 1), constant("TASD1", runtime::TaxYearStart),
                                 constant("TAED1", runtime::TaxYearEnd)}};
    numbered(cars.differs, "TA", 107, 113, [](std::string c) { return constant(std::move(c), 0); });
    t.push_back(std::move(cars));

    // Each year's history stays under its own year; the new years start at their defaults.
    t.push_back({.target = "AnnualTrends", .notCarriedPrefixes = {"AT2018", "AT2019"}});
    return t;
}

const schema::TableSpec& thisYearTable(const std::string& name) {
    return schema::tableIn({&schema::individualsMainTables(), &schema::individualsDetailTables(),
                            &schema::individualsExtendedTables()},
                           name);
}

// The columns after `last` in the table's structure (none when `last` is empty).
std::vector<std::string_view> columnsAfter(const schema::TableSpec& table, std::string_view last) {
    std::vector<std::string_view> out;
    bool after = false;
    for (const schema::FieldSpec& f : schema::createdFields(table)) {
        if (after) out.push_back(f.name);
        after = after || (!last.empty() && f.name == last);
    }
    return out;
}

std::optional<ColumnCopy> columnCopy(const DetailTable& d, std::string_view column) {
    if (std::ranges::find(d.notCarried, column) != d.notCarried.end() ||
        std::ranges::any_of(d.notCarriedPrefixes,
                            [&](const std::string& p) { return column.starts_with(p); }))
        return std::nullopt;
    const auto it = std::ranges::find(d.differs, column, &Differs::column);
    if (it == d.differs.end())
        return ColumnCopy{
            .target = std::string(column), .from = d.rest, .source = std::string(column)};
    return ColumnCopy{.target = it->column,
                      .from = it->from,
                      .source = it->source.empty() ? it->column : it->source,
                      .constant = it->constant};
}

CopyPlan planFor(const DetailTable& d) {
    const schema::TableSpec& table = thisYearTable(d.target);
    const std::vector<std::string_view> pastLast = columnsAfter(table, d.lastCarried);
    const auto choose = [&](std::string_view column) -> std::optional<ColumnCopy> {
        if (std::ranges::find(pastLast, column) != pastLast.end()) return std::nullopt;
        return columnCopy(d, column);
    };
    CopyPlan plan = planFromStructure(table, kClient, choose);
    if (!d.source.empty()) plan.source = d.source;
    plan.orderBy = d.orderBy;
    // A listed column the structure does not carry is a fault of the table above.
    for (const Differs& x : d.differs)
        if (std::ranges::find(plan.columns, x.column, &ColumnCopy::target) == plan.columns.end())
            throw std::logic_error(d.target + " carries no " + x.column);
    return plan;
}

} // namespace

const std::vector<CopyPlan>& individualsDetailCopies() {
    static const std::vector<CopyPlan> plans = [] {
        std::vector<CopyPlan> out;
        for (const DetailTable& d : detailTables())
            out.push_back(planFor(d));
        return out;
    }();
    return plans;
}

long copyRows(engine::Database& db, const ClientCopyStatement& s, const std::string& table) {
    return during("the detail rows of " + table, [&] {
        db.Execute(s.sql, s.parameters);
        return db.RecordsAffected();
    });
}

std::vector<CopiedRows> copyClientDetails(engine::Database& lastYear,
                                          const std::string& thisYearPath, double lastYearNumber,
                                          double newNumber) {
    return copyClientRows(individualsDetailCopies(), lastYear, thisYearPath, lastYearNumber,
                          newNumber);
}

std::vector<CopiedRows> copyClientRows(const std::vector<CopyPlan>& plans,
                                       engine::Database& lastYear, const std::string& thisYearPath,
                                       double lastYearNumber, double newNumber) {
    std::vector<CopiedRows> out;
    for (const CopyPlan& plan : plans) {
        const ClientCopyStatement s =
            clientCopyStatement(plan, thisYearPath, lastYearNumber, newNumber);
        out.push_back({plan.target, copyRows(lastYear, s, plan.target)});
    }
    return out;
}

} // namespace transfer
