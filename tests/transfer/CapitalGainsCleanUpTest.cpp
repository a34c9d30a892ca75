// The capital-gains clean-up, through the engine, on the files of both kinds of client.
#include "transfer/CapitalGainsCleanUp.h"

#include "engine/Transaction.h"
#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "support/ErrorOf.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using runtime::Variant;
using transfer::CapitalGainsTables;

constexpr double kBlank = runtime::BlankDateSerial;
const Variant kNull = Variant::null();

// An asset row; `name` tells the rows apart after renumbering.
struct Asset {
    double client;
    Variant number;
    Variant count;
    Variant sale;
    std::string name;
};
// A cost line of table `table` (0 to 3); its cost tells it apart.
struct Line {
    int table;
    double client;
    double number;
    double cost;
};
struct Flag {
    double client;
    int value;
};

struct Case {
    std::string name;
    std::vector<Asset> assets; // in row order
    std::vector<Line> lines;
    std::vector<Flag> flags;
    std::vector<double> imported;
    // After: each client's rows in row order as "client:number/count name", the cost lines
    // as "table client number cost" sorted, the flags as "client=value".
    std::vector<std::string> assetsAfter;
    std::vector<std::string> linesAfter;
    std::vector<std::string> flagsAfter;
};

struct Kind {
    std::string name;
    support::FileKind file;
    const CapitalGainsTables& tables;
    std::string nameField; // the asset's text
};

const Kind kIndividuals{"Individuals", support::FileKind::Individuals,
                        transfer::individualsCapitalGains(), "AssetDesc"};
const Kind kTrusts{"Trusts", support::FileKind::Trust, transfer::trustCapitalGains(), "TAssetDesc"};

Asset asset(double client, int number, int count, std::string name, Variant sale = kBlank) {
    return {client, Variant(static_cast<std::int16_t>(number)),
            Variant(static_cast<std::int16_t>(count)), sale, std::move(name)};
}

std::string text(const Variant& v) {
    return v.isNull() ? "Null" : runtime::CStr(v);
}

class CapitalGainsFile {
public:
    CapitalGainsFile(const Kind& kind, const Case& c)
        : kind_(kind), t_(kind.tables), path_(folder_.file("ThisYear.mdb")) {
        support::DatabaseFile file(path_, kind.file);
        if (kind.file == support::FileKind::Individuals)
            file.only({"CGTDetails", "CGTAcqCost", "CGTImproveMade", "CGTSaleCost",
                       "CGTImproveMadeBefore", "Qolb2018"});
        else
            file.only({"TrustCGTDetails", "TrustCGTAcqCost", "TrustCGTImproveMade",
                       "TrustCGTSaleCost", "TrustCGTImproveMadeBefore", "TRUSTIncExpend"});
        for (const Asset& a : c.assets)
            file.row(t_.assets, {{t_.client, a.client},
                                 {t_.assetNumber, a.number},
                                 {t_.assetCount, a.count},
                                 {t_.saleDate, a.sale},
                                 {kind.nameField, a.name}});
        for (const Line& l : c.lines)
            file.row(t_.costTables[l.table],
                     {{t_.client, l.client}, {t_.costAssetNumber, l.number}, {"Cost", l.cost}});
        for (const Flag& f : c.flags)
            file.row(t_.flagTable,
                     {{t_.client, f.client}, {t_.flagField, static_cast<std::int16_t>(f.value)}});
        file.make();
    }

    // Runs the clean-up as an import does, inside its transaction.
    void cleanUp(const std::vector<double>& clients) const {
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path_);
        {
            engine::Transaction tx;
            transfer::cleanUpCapitalGains(*db, t_, clients);
            tx.commit();
        }
        db->Close();
    }

    std::vector<std::string> assets() const {
        std::vector<std::string> out;
        withTable(t_.assets, [&](engine::Recordset& rs) {
            rs.setIndex(t_.assetIndex);
            for (; !rs.Eof(); rs.MoveNext())
                out.push_back(text(rs.Fields(t_.client).Value()) + ":" +
                              text(rs.Fields(t_.assetNumber).Value()) + "/" +
                              text(rs.Fields(t_.assetCount).Value()) + " " +
                              text(rs.Fields(kind_.nameField).Value()));
        });
        return out;
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (int i = 0; i < 4; ++i)
            withTable(t_.costTables[i], [&](engine::Recordset& rs) {
                for (; !rs.Eof(); rs.MoveNext())
                    out.push_back(std::to_string(i) + " " + text(rs.Fields(t_.client).Value()) +
                                  " " + text(rs.Fields(t_.costAssetNumber).Value()) + " " +
                                  text(rs.Fields("Cost").Value()));
            });
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> flags() const {
        std::vector<std::string> out;
        withTable(t_.flagTable, [&](engine::Recordset& rs) {
            for (; !rs.Eof(); rs.MoveNext())
                out.push_back(text(rs.Fields(t_.client).Value()) + "=" +
                              text(rs.Fields(t_.flagField).Value()));
        });
        return out;
    }
    const std::string& path() const { return path_; }

private:
    template <class F> void withTable(const std::string& table, F&& f) const {
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path_);
        auto rs = db->OpenRecordset(table, engine::dbOpenTable);
        if (rs->RecordCount() > 0) {
            rs->MoveFirst();
            f(*rs);
        }
        db->Close();
    }

    const Kind& kind_;
    const CapitalGainsTables& t_;
    support::TempFolder folder_;
    std::string path_;
};

// Client 17: assets 1 to 3, each with a line in every cost table.
std::vector<Line> linesOf17() {
    std::vector<Line> lines;
    for (int table = 0; table < 4; ++table)
        for (int n = 1; n <= 3; ++n)
            lines.push_back({table, 17, double(n), 10.0 * n + table});
    return lines;
}
std::vector<std::string> linesAfter(std::vector<std::pair<int, int>> kept) {
    // kept: (former number, new number) of client 17.
    std::vector<std::string> out;
    for (int table = 0; table < 4; ++table)
        for (auto [former, now] : kept)
            out.push_back(std::to_string(table) + " 17 " + std::to_string(now) + " " +
                          std::to_string(10 * former + table));
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Case> cases() {
    const double sold = 43000; // a day of this year
    return {
        {"SecondOfThreeSold",
         {asset(17, 1, 3, "a"), asset(17, 2, 3, "b", sold), asset(17, 3, 3, "c")},
         linesOf17(),
         {{17, 0}},
         {17},
         {"17:1/2 a", "17:2/2 c"},
         linesAfter({{1, 1}, {3, 2}}),
         {"17=1"}},
        {"AllSold",
         {asset(17, 1, 3, "a", sold), asset(17, 2, 3, "b", sold), asset(17, 3, 3, "c", sold)},
         linesOf17(),
         {{17, 1}},
         {17},
         {},
         {},
         {"17=0"}},
        {"FirstAndLastSold",
         {asset(17, 1, 3, "a", sold), asset(17, 2, 3, "b"), asset(17, 3, 3, "c", sold)},
         linesOf17(),
         {{17, 0}},
         {17},
         {"17:1/1 b"},
         linesAfter({{2, 1}}),
         {"17=1"}},
        {"BlankAndNullSaleDatesAreNotSales",
         {asset(17, 1, 3, "blank", kBlank), asset(17, 2, 3, "null", kNull),
          asset(17, 3, 3, "dayAfter", kBlank + 1)},
         linesOf17(),
         {{17, 0}},
         {17},
         {"17:1/2 blank", "17:2/2 null"},
         linesAfter({{1, 1}, {2, 2}}),
         {"17=1"}},
        {"NoSaleLeavesTheClientAlone",
         {asset(17, 1, 3, "a"), asset(17, 2, 3, "b"), asset(17, 3, 3, "c")},
         linesOf17(),
         {{17, 0}},
         {17},
         {"17:1/3 a", "17:2/3 b", "17:3/3 c"},
         linesAfter({{1, 1}, {2, 2}, {3, 3}}),
         {"17=0"}},
        // Rows of two clients stored alternately are still taken client by client.
        {"TwoClientsInterleaved",
         {asset(18, 1, 2, "x"), asset(17, 1, 2, "a", sold), asset(18, 2, 2, "y", sold),
          asset(17, 2, 2, "b")},
         {{0, 17, 1, 1}, {0, 17, 2, 2}, {0, 18, 1, 3}, {0, 18, 2, 4}},
         {{17, 0}, {18, 0}},
         {18, 17},
         {"17:1/1 b", "18:1/1 x"},
         {"0 17 1 2", "0 18 1 3"},
         {"17=1", "18=1"}},
        // A client already in this year's file, whose sale a user recorded this year.
        {"OnlyTheImportedClients",
         {asset(5, 1, 2, "mine", sold), asset(5, 2, 2, "kept"), asset(17, 1, 2, "a", sold),
          asset(17, 2, 2, "b")},
         {{0, 5, 1, 1}, {0, 5, 2, 2}, {0, 17, 1, 3}, {0, 17, 2, 4}},
         {{5, 1}, {17, 0}},
         {17},
         {"5:1/2 mine", "5:2/2 kept", "17:1/1 b"},
         {"0 17 1 4", "0 5 1 1", "0 5 2 2"},
         {"5=1", "17=1"}},
        // The count comes from the rows, not from a stored count that disagrees.
        {"CountFromTheRows",
         {asset(17, 1, 9, "a"), asset(17, 2, 1, "b", sold), asset(17, 3, 0, "c")},
         linesOf17(),
         {{17, 0}},
         {17},
         {"17:1/2 a", "17:2/2 c"},
         linesAfter({{1, 1}, {3, 2}}),
         {"17=1"}},
        // Numbers with a gap and no sale: the lines follow their asset.
        {"GapClosedLinesFollow",
         {asset(17, 1, 3, "a"), asset(17, 3, 3, "b"), asset(17, 4, 3, "c")},
         {{0, 17, 1, 1}, {1, 17, 3, 3}, {2, 17, 4, 4}, {3, 17, 4, 5}},
         {{17, 0}},
         {17},
         {"17:1/3 a", "17:2/3 b", "17:3/3 c"},
         {"0 17 1 1", "1 17 2 3", "2 17 3 4", "3 17 3 5"},
         {"17=0"}},
        // Row order is not number order; equal numbers keep their row order, and the
        // lines of a shared number stay with the first row that holds it.
        {"NumberThenRowOrder",
         {asset(17, 3, 3, "c"), asset(17, 1, 3, "a"), asset(17, 3, 3, "c2"),
          asset(17, 2, 3, "b", sold)},
         {{0, 17, 1, 1}, {0, 17, 2, 2}, {0, 17, 3, 3}},
         {{17, 0}},
         {17},
         {"17:2/3 c", "17:1/3 a", "17:3/3 c2"},
         {"0 17 1 1", "0 17 2 3"},
         {"17=1"}},
        // A sold row without a number goes alone: no line is taken for it.
        {"NullNumberGoesAlone",
         {{17, kNull, Variant(std::int16_t{3}), Variant(43000.0), "none"},
          asset(17, 1, 3, "a"),
          asset(17, 2, 3, "b")},
         {{0, 17, 1, 1}, {0, 17, 2, 2}},
         {{17, 0}},
         {17},
         {"17:1/2 a", "17:2/2 b"},
         {"0 17 1 1", "0 17 2 2"},
         {"17=1"}},
        // Gaps of different sizes: each asset moves down to its place, none onto another
        // that has still to move.
        {"UnevenMovesDown",
         {asset(17, 1, 4, "a", sold), asset(17, 2, 4, "b"), asset(17, 4, 4, "c"),
          asset(17, 5, 4, "d")},
         {{0, 17, 1, 1}, {0, 17, 2, 2}, {0, 17, 4, 4}, {0, 17, 5, 5}},
         {{17, 1}},
         {17},
         {"17:1/3 b", "17:2/3 c", "17:3/3 d"},
         {"0 17 1 2", "0 17 2 4", "0 17 3 5"},
         {"17=1"}},
        // New numbers above the old ones: numbering from 0, and a shared number pushing
        // the rows after it up (client 19: 0 and 1 move by one, 2 by two, first); the
        // lines never land on lines still to move. Client 17 moves down meanwhile.
        {"MovesUp",
         {asset(17, 1, 3, "a", sold), asset(17, 2, 3, "b"), asset(17, 3, 3, "c"),
          asset(18, 0, 3, "z"), asset(18, 1, 3, "y"), asset(18, 2, 3, "x"), asset(19, 0, 4, "p"),
          asset(19, 1, 4, "q"), asset(19, 1, 4, "r"), asset(19, 2, 4, "s")},
         {{0, 17, 2, 2},
          {0, 17, 3, 3},
          {0, 18, 0, 10},
          {0, 18, 1, 11},
          {0, 18, 2, 12},
          {1, 19, 0, 21},
          {1, 19, 1, 22},
          {1, 19, 2, 23}},
         {{17, 1}, {18, 1}, {19, 1}},
         {17, 18, 19},
         {"17:1/2 b", "17:2/2 c", "18:1/3 z", "18:2/3 y", "18:3/3 x", "19:1/4 p", "19:2/4 q",
          "19:3/4 r", "19:4/4 s"},
         {"0 17 1 2", "0 17 2 3", "0 18 1 10", "0 18 2 11", "0 18 3 12", "1 19 1 21", "1 19 2 22",
          "1 19 4 23"},
         {"17=1", "18=1", "19=1"}},
        {"ImportedClientWithoutAssets",
         {asset(5, 1, 1, "mine", sold)},
         {{0, 5, 1, 1}},
         {{5, 1}},
         {17},
         {"5:1/1 mine"},
         {"0 5 1 1"},
         {"5=1"}},
    };
}

struct Param {
    const Kind* kind;
    Case c;
};

class CapitalGainsCleanUpTest : public ::testing::TestWithParam<Param> {};

TEST_P(CapitalGainsCleanUpTest, EndState) {
    const auto& [kind, c] = GetParam();
    CapitalGainsFile file(*kind, c);
    file.cleanUp(c.imported);
    EXPECT_EQ(file.assets(), c.assetsAfter);
    EXPECT_EQ(file.lines(), c.linesAfter);
    EXPECT_EQ(file.flags(), c.flagsAfter);
}

std::vector<Param> params() {
    std::vector<Param> out;
    for (const Kind* kind : {&kIndividuals, &kTrusts})
        for (const Case& c : cases())
            out.push_back({kind, c});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Cases, CapitalGainsCleanUpTest, ::testing::ValuesIn(params()),
                         [](const auto& info) {
                             return info.param.kind->name + "_" + info.param.c.name;
                         });

TEST(CapitalGainsCleanUp, AnErrorIsRaisedWithItsNumberAndUndoneWithTheImport) {
    const Case c = cases().front();
    CapitalGainsFile file(kIndividuals, c);
    const auto assetsBefore = file.assets();
    const auto linesBefore = file.lines();
    // The flag's statement, the last step, names a table the file lacks.
    CapitalGainsTables tables = transfer::individualsCapitalGains();
    tables.flagTable = "NoSuchTable";
    auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(file.path());
    const int number = support::errorOf([&] {
        engine::Transaction tx;
        transfer::cleanUpCapitalGains(*db, tables, c.imported);
        tx.commit();
    });
    db->Close();
    EXPECT_EQ(number, 3078); // no such table
    EXPECT_EQ(file.assets(), assetsBefore);
    EXPECT_EQ(file.lines(), linesBefore);
}

} // namespace
