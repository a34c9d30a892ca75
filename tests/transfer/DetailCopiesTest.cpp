// One client's detail rows carried from last year's individuals file into this year's: the
// columns each table carries, what the new year resets, and the rows that stay behind.

#include "transfer/DetailCopies.h"

#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "engine/Transaction.h"
#include "runtime/VariantOps.h"
#include "schema/SchemaTables.h"
#include "support/DatabaseFile.h"
#include "support/ErrorOf.h"
#include "support/LastYearTables.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

using runtime::Variant;
using support::FileKind;
using Row = std::map<std::string, Variant>;

// What the new year gives a carried row, table by table: columns not named keep last
// year's value; `zeroFrom`..`zeroTo` (in this year's column order) and `constants` are reset;
// `notCarried` columns (and those beginning with a `notCarriedPrefix`, and In Use) keep the
// defaults of this year's structure, as a blank row gets them.
struct Expected {
    std::string table, source;
    std::size_t columns; // named by the copy, the client number among them
    std::map<std::string, std::string> constants;
    std::map<std::string, std::string> moved; // column: last year's column it takes
    std::vector<std::string> notCarried;
    std::vector<std::string> notCarriedPrefixes;
    std::string zeroFrom, zeroTo;
    std::vector<std::string> keptInRange = {};
    std::string lastCarried = {}; // the columns after it are not carried
};

std::map<std::string, std::string> zeros(std::initializer_list<std::string> columns) {
    std::map<std::string, std::string> out;
    for (const std::string& c : columns)
        out[c] = "0";
    return out;
}

const std::vector<Expected>& expectedTables() {
    static const std::vector<Expected> tables = [] {
        std::vector<Expected> t;
        t.push_back({"PropRentDetails",
                     "PropRentDetails",
                     81,
                     {},
                     {},
                     {"Levies", "RingFenceLossBF"},
                     {},
                     "BondBalance",
                     "ClaimDeds12nYesNo",
                     {"UniqIdent", "RealCOPSplit", "SourceCodeLBTP"}});
        t.push_back({"CGTDetails", "CGTDetails", 29, {{"LocForeign", "1"}}, {}, {}, {}, {}, {}});
        for (const char* costs :
             {"CGTAcqCost", "CGTImproveMade", "CGTSaleCost", "CGTImproveMadeBefore"})
            t.push_back({costs, costs, 4, {}, {}, {}, {}, {}, {}});
        Expected cont{"Qolb2018Cont",
                      "Qolb2017Cont",
                      132,
                      zeros({"AdditCapGainLocal", "AdditCapGainForeign", "FarmProfitLoss",
                             "FarmRingFenceYesNo"}),
                      {},
                      {"ItemiseREITS", "ItemiseNonTaxableInc", "ItemiseTaxFreeDivs"},
                      {},
                      "SubAllowance4017",
                      "SourceTrading",
                      {},
                      "FarmRingFenceYesNo"};
        t.push_back(cont);
        Expected cars{"CARALL",
                      "CARALL",
                      30,
                      zeros({"LogBookYesNo", "TA104", "TA105", "TA107", "TA108", "TA109", "TA110",
                             "TA111", "TA112", "TA113"}),
                      {{"TA106", "TA105"}},
                      {"In Use", "Car2FC", "Car2MC", "TASD2", "TAED2", "RegNumberCar2",
                       "MakeModelCar2", "DateAcquiredCar2", "CostPriceCar2", "SellingPriceCar2",
                       "SoldCar2", "ValYearStartCar2"},
                      {"TA2"},
                      {},
                      {}};
        cars.constants.insert({{"TA114", "365"},
                               {"Car1FC", "1"},
                               {"Car1MC", "1"},
                               {"TASD1", "42795"},
                               {"TAED1", "43159"}});
        t.push_back(cars);
        t.push_back({"AnnualTrends", "AnnualTrends", 87, {}, {}, {}, {"AT2018", "AT2019"}, {}, {}});
        return t;
    }();
    return tables;
}

std::vector<std::string> tableNames() {
    std::vector<std::string> out;
    for (const Expected& e : expectedTables())
        out.push_back(e.table);
    return out;
}

const schema::TableSpec& specOf(const std::vector<schema::TableSpec>& tables,
                                const std::string& name) {
    const auto it = std::ranges::find(tables, name, &schema::TableSpec::name);
    if (it == tables.end()) throw std::logic_error("no table " + name);
    return *it;
}

std::vector<schema::TableSpec> thisYearTables() {
    std::vector<schema::TableSpec> all = schema::individualsMainTables();
    for (const auto* part :
         {&schema::individualsDetailTables(), &schema::individualsExtendedTables()})
        all.insert(all.end(), part->begin(), part->end());
    return all;
}

bool hasField(const schema::TableSpec& t, const std::string& name) {
    return std::ranges::any_of(t.fields, [&](const schema::FieldSpec& f) {
        return f.name == name && f.special != schema::SpecialDropField;
    });
}

// Every column a copy reads is in last year's file, and every column it writes in this
// year's and in the transfer file that the import of every client passes its rows through.
TEST(DetailCopies, EachPlanReadsLastYearsColumnsAndWritesThisYearsAndTheTransferFiles) {
    const auto& plans = transfer::individualsDetailCopies();
    ASSERT_EQ(plans.size(), expectedTables().size());
    const auto lastYear = support::lastYearIndividualsTables();
    const auto thisYear = thisYearTables();
    const auto& transferFile = schema::transferPersonalTables();
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const transfer::CopyPlan& plan = plans[i];
        const Expected& e = expectedTables()[i];
        SCOPED_TRACE(e.table);
        EXPECT_EQ(plan.target, e.table);
        EXPECT_EQ(plan.source, e.source);
        EXPECT_EQ(plan.columns.size(), e.columns);
        EXPECT_TRUE(hasField(specOf(lastYear, plan.source), plan.clientColumn));
        for (const transfer::ColumnCopy& c : plan.columns) {
            EXPECT_TRUE(hasField(specOf(thisYear, plan.target), c.target)) << c.target;
            EXPECT_TRUE(hasField(specOf(transferFile, plan.target), c.target)) << c.target;
            if (c.from == transfer::ColumnCopy::From::Column) {
                EXPECT_TRUE(hasField(specOf(lastYear, plan.source), c.source)) << c.source;
            }
        }
    }
}

// A value of each column of last year's table, each different from the others.
Variant sample(const schema::FieldSpec& f, int i) {
    switch (f.type) {
    case schema::FieldType::Boolean:
        return Variant(true);
    case schema::FieldType::Integer:
        return Variant(static_cast<std::int16_t>(100 + i));
    case schema::FieldType::Double:
        return Variant(1000.25 + i);
    case schema::FieldType::Date:
        return Variant::date(40000 + i);
    case schema::FieldType::Text:
    case schema::FieldType::Memo: {
        std::string s = std::to_string(i) + "'x";
        return Variant(f.size ? s.substr(0, static_cast<std::size_t>(f.size)) : s);
    }
    }
    return Variant::null();
}

// A full row of every column, and one of the client number alone (every other column Null
// where the structure allows it).
std::vector<support::Row> lastYearRows(const schema::TableSpec& t, double client) {
    support::Row full{{"DCLNO", Variant(client)}}, sparse{{"DCLNO", Variant(client)}};
    int i = 0;
    for (const schema::FieldSpec& f : schema::createdFields(t))
        if (f.name != "DCLNO" && f.name != schema::InUseField)
            full.emplace_back(std::string(f.name), sample(f, ++i));
    return {full, sparse};
}

std::vector<Row> rowsOf(engine::Database& db, const std::string& sql) {
    std::vector<Row> out;
    auto rs = db.OpenRecordset(sql, engine::dbOpenDynaset);
    for (; !rs->Eof(); rs->MoveNext()) {
        Row row;
        for (int i = 0; i < rs->FieldCount(); ++i)
            row[rs->Fields(i).Name()] = rs->Fields(i).Value();
        out.push_back(std::move(row));
    }
    rs->Close();
    return out;
}

// Rows of one client, in the order a copy adds them.
std::vector<Row> clientRows(engine::Database& db, const std::string& table, double client) {
    const std::string order = table == "PropRentDetails" ? " ORDER BY PropNum" : "";
    return rowsOf(db, "SELECT * FROM [" + table +
                          "] WHERE DCLNO = " + runtime::CStr(Variant(client)) + order);
}

std::string shown(const Variant& v) {
    return v.isNull() ? "Null" : runtime::CStr(v);
}

bool beyond(const schema::TableSpec& t, const std::string& column, const std::string& last) {
    if (last.empty()) return false;
    const auto at = [&](const std::string& name) {
        return std::ranges::find(t.fields, name, &schema::FieldSpec::name) - t.fields.begin();
    };
    return at(column) > at(last);
}

bool inRange(const schema::TableSpec& t, const std::string& column, const std::string& from,
             const std::string& to) {
    if (from.empty()) return false;
    bool inside = false;
    for (const schema::FieldSpec& f : t.fields) {
        if (f.name == from) inside = true;
        if (f.name == column) return inside;
        if (f.name == to) inside = false;
    }
    return false;
}

void expectCarried(const Expected& e, const schema::TableSpec& thisYear, const Row& before,
                   const Row& after, const Row& blank, double newNumber) {
    for (const auto& [column, value] : after) {
        SCOPED_TRACE(e.table + "." + column);
        const bool notCarried =
            column == schema::InUseField || beyond(thisYear, column, e.lastCarried) ||
            std::ranges::find(e.notCarried, column) != e.notCarried.end() ||
            std::ranges::any_of(e.notCarriedPrefixes,
                                [&](const std::string& p) { return column.starts_with(p); });
        if (column == "DCLNO") {
            EXPECT_EQ(value, Variant(newNumber));
        } else if (notCarried) {
            EXPECT_EQ(value, blank.at(column));
        } else if (e.constants.contains(column)) {
            EXPECT_EQ(shown(value), e.constants.at(column));
        } else if (e.moved.contains(column)) {
            EXPECT_EQ(value, before.at(e.moved.at(column)));
        } else if (inRange(thisYear, column, e.zeroFrom, e.zeroTo) &&
                   std::ranges::find(e.keptInRange, column) == e.keptInRange.end()) {
            EXPECT_EQ(shown(value), "0");
        } else {
            EXPECT_EQ(value, before.at(column));
        }
    }
}

class DetailCopiesRun : public ::testing::Test {
protected:
    static constexpr double kClient = 7, kOther = 8, kBlank = 999;

    // Last year's file with two rows of the client and one of another in every table;
    // this year's with one blank row in every table.
    void makeFiles(const support::TempFolder& folder, const std::string& thisYear) {
        lastYearPath = folder.file("Qolb2017LAN.mdb");
        support::DatabaseFile last(lastYearPath, FileKind::LastYearIndividuals);
        support::DatabaseFile now(thisYear, FileKind::Individuals);
        const auto lastYearSpecs = support::lastYearIndividualsTables();
        for (const Expected& e : expectedTables()) {
            for (double client : {kClient, kOther})
                for (const support::Row& r : lastYearRows(specOf(lastYearSpecs, e.source), client))
                    if (client == kClient || r.size() > 1) last.row(e.source, r);
            now.row(e.table, {{"DCLNO", Variant(kBlank)}});
        }
        std::vector<std::string> sources;
        for (const Expected& e : expectedTables())
            sources.push_back(e.source);
        last.only(sources).make();
        now.only(tableNames()).make();
    }
    engine::Workspace& ws() { return engine::DBEngine::instance().Workspaces(0); }

    std::string lastYearPath;
};

// Both numberings, into a plain path and into one holding an apostrophe: the client's rows
// arrive with the new year's resets and its number, the other client's stay behind, and a
// Null that is carried stays Null.
TEST_F(DetailCopiesRun, TheClientsRowsArriveWithTheNewYearsResets) {
    const struct {
        std::string file;
        double newNumber;
    } cases[] = {
        {"Qolb2018LAN.mdb", kClient},
        {"O'Brien's SELECT copy.mdb", 12},
    };
    const auto thisYearSpecs = thisYearTables();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        support::TempFolder folder;
        const std::string thisYear = folder.file(c.file);
        makeFiles(folder, thisYear);
        auto last = ws().OpenDatabase(lastYearPath);
        const auto copied = transfer::copyClientDetails(*last, thisYear, kClient, c.newNumber);
        auto now = ws().OpenDatabase(thisYear);
        ASSERT_EQ(copied.size(), expectedTables().size());
        for (std::size_t i = 0; i < copied.size(); ++i) {
            const Expected& e = expectedTables()[i];
            SCOPED_TRACE(e.table);
            EXPECT_EQ(copied[i].table, e.table);
            EXPECT_EQ(copied[i].rows, 2);
            const auto before = clientRows(*last, e.source, kClient);
            const auto after = clientRows(*now, e.table, c.newNumber);
            const auto blank = clientRows(*now, e.table, kBlank);
            ASSERT_EQ(after.size(), 2u);
            ASSERT_EQ(blank.size(), 1u);
            EXPECT_TRUE(clientRows(*now, e.table, kOther).empty());
            EXPECT_EQ(rowsOf(*now, "SELECT * FROM [" + e.table + "]").size(), 3u);
            for (std::size_t r = 0; r < after.size(); ++r)
                expectCarried(e, specOf(thisYearSpecs, e.table), before[r], after[r], blank[0],
                              c.newNumber);
        }
        now->Close();
        last->Close();
    }
}

// A column missing from last year's file stops the copy with the engine's number, and the
// caller's transaction takes back the tables already copied.
TEST_F(DetailCopiesRun, AMissingColumnLeavesThisYearsFileAsItWas) {
    support::TempFolder folder;
    const std::string thisYear = folder.file("Qolb2018LAN.mdb");
    makeFiles(folder, thisYear);
    auto last = ws().OpenDatabase(lastYearPath);
    last->TableDefs().Item("CARALL")->Fields().Delete("TA105");
    {
        engine::Transaction transaction;
        EXPECT_EQ(support::errorOf(
                      [&] { transfer::copyClientDetails(*last, thisYear, kClient, kClient); }),
                  engine::err::TooFewParameters);
    }
    auto now = ws().OpenDatabase(thisYear);
    for (const std::string& table : tableNames()) {
        SCOPED_TRACE(table);
        EXPECT_EQ(rowsOf(*now, "SELECT * FROM [" + table + "]").size(), 1u);
    }
    now->Close();
    last->Close();
}

} // namespace
