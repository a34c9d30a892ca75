// The import of the trust chosen in the listing, through the window: the trust, its income
// row and its detail rows arrive under the right number with the new year's resets, the
// clean-ups leave the right assets, and every way it can stop leaves this year's file as it
// was and says why.

#include "CarryFixture.h"
#include "app/ExclusiveDatabases.h"
#include "engine/Dao.h"
#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"

#include <algorithm>
#include <filesystem>

namespace carry_test {
namespace {

const std::string kCompleted = "The Transfer has been completed.";
const std::string kEmpty = "The Quolby 2017 database is empty!";
const std::string kNotFound = "The Quolby 2017 (QolbTrust2017Lan.Mdb) cannot be found.  Please "
                              "refer to the help for information!";

// Last year's trusts: Alpha (17) with a loss, beneficiaries, a rental and three assets of
// which the second is sold; Beta (18) without an income row; Gamma (19) with a gain; Delta
// (20) with a Null gain.
constexpr double kAlpha = 17, kBeta = 18, kGamma = 19, kDelta = 20;
const Variant kNull = Variant::null();
using Rows = std::vector<std::vector<Variant>>;

Row trust(double number, const std::string& name) {
    return {{"TDCLNO", number},
            {"TrustName", name},
            {"TrustRegDate", 40000.0},
            {"TrustExtenDate", 43000.0},
            {"TASS3", 1234.5},
            {"ProvTaxPaidTrusts1", 99.0},
            {"IT12TrustsReceivedDate", 43001.0},
            {"IT12TrustsReceivedCHK1", std::int16_t{1}},
            {"WAMTrustsNote", "busy year"},
            {"CGLossNextYear", 5.0}};
}

Row asset(std::int16_t number, const std::string& desc, double saleDate) {
    return {{"TDCLNO", kAlpha},
            {"TCGTMaxNum", std::int16_t{3}},
            {"TCGTAssetNum", number},
            {"TAssetDesc", desc},
            {"TDateSale", saleDate}};
}

Row costLine(const std::string& textColumn, double assetNumber, double cost) {
    return {
        {"TDCLNO", kAlpha}, {textColumn, "line"}, {"CGTAsset Number", assetNumber}, {"Cost", cost}};
}

void makeLastYearFile(const std::string& path) {
    support::DatabaseFile file(path, FileKind::LastYearTrust);
    file.row("TRUSTDetails", trust(kAlpha, "Alpha"))
        .row("TRUSTDetails", trust(kBeta, "Beta"))
        .row("TRUSTDetails", trust(kGamma, "Gamma"))
        .row("TRUSTDetails", trust(kDelta, "Delta"))
        .row("TRUSTIncExpend", {{"TDCLNO", kAlpha}, {"TrustCapGain", -800.0}, {"RentalInc", 7.0}})
        .row("TRUSTIncExpend", {{"TDCLNO", kGamma}, {"TrustCapGain", 500.0}})
        .row("TRUSTIncExpend", {{"TDCLNO", kDelta}})
        .row("TandBenDetails", {{"TDCLNO", kAlpha},
                                {"TrustNum", std::int16_t{2}},
                                {"TrustBenName", "Ann"},
                                {"IntForDiv", 50.0}})
        .row("TandBenDetails",
             {{"TDCLNO", kAlpha}, {"TrustNum", std::int16_t{1}}, {"TrustBenName", "Bob"}})
        .row("TrustPropRentDetails", {{"TDCLNO", kAlpha},
                                      {"TPropNum", std::int16_t{1}},
                                      {"TItemiseProp", std::int16_t{1}},
                                      {"TAddress", "1 Main"},
                                      {"TDateStart", 42500.0},
                                      {"TRentIncome", 9000.0},
                                      {"TCOPSplit", "50/50"}})
        .row("TrustPropRentDetails", {{"TDCLNO", kGamma}, {"TPropNum", std::int16_t{1}}})
        .row("TrustCGTDetails", asset(1, "land", runtime::BlankDateSerial))
        .row("TrustCGTDetails", asset(2, "shares", 42900))
        .row("TrustCGTDetails", asset(3, "boat", runtime::BlankDateSerial))
        .row("TrustCGTAcqCost", costLine("Acquisition costs Details", 1, 10))
        .row("TrustCGTAcqCost", costLine("Acquisition costs Details", 2, 20))
        .row("TrustCGTAcqCost", {{"TDCLNO", kAlpha}, {"Cost", 11.0}}) // of no asset
        .row("TrustCGTImproveMade", costLine("Improvements made Details", 2, 21))
        .row("TrustCGTSaleCost", costLine("Sale costs Details", 2, 22))
        .row("TrustCGTImproveMadeBefore", costLine("Improvements made Details", 3, 30))
        .make();
}

// This year's file with a trust of each number; the first of them has a rental row whose
// flag a user cleared, and a sale recorded this year. A rental row belongs to no trust.
void makeThisYearFile(const std::string& path, const std::vector<double>& trusts) {
    support::DatabaseFile file(path, FileKind::Trust);
    for (double n : trusts)
        file.row("TRUSTDetails", {{"TDCLNO", n}, {"TrustName", "Here"}, {"UserName", "ann"}})
            .row("TRUSTIncExpend", {{"TDCLNO", n}, {"ItemiseRentalInc", std::int16_t{0}}});
    if (!trusts.empty())
        file.row("TrustPropRentDetails", {{"TDCLNO", trusts.front()}})
            .row("TrustPropRentDetails", {{"TAddress", "nobody's"}})
            .row("TrustCGTDetails", {{"TDCLNO", trusts.front()},
                                     {"TCGTMaxNum", std::int16_t{1}},
                                     {"TCGTAssetNum", std::int16_t{1}},
                                     {"TDateSale", 43100.0}});
    file.make();
}

class SelectedTrustImport : public CarryFixture {
protected:
    void prepare(const std::vector<double>& trusts = {}) {
        closeAll();
        lastYear = src.file("QolbTrust2017Lan.Mdb");
        const std::string thisYear = program.file("QolbTrust2018Lan.Mdb");
        for (const std::string& path : {lastYear, thisYear, versionFile()})
            std::filesystem::remove(path);
        makeLastYear(versionFile(), FileKind::LastYearIndividuals, {});
        makeLastYearFile(lastYear);
        makeThisYearFile(thisYear, trusts);
        chooseKind(1);
        locate(lastYear);
        w.TrustDbPath = thisYear;
        w.cmdOk.setEnabled(false);
    }
    void choose(const std::string& name) {
        const auto& items = w.lstPrevYear.items();
        const auto it = std::ranges::find_if(
            items, [&](const std::string& item) { return item.starts_with(name); });
        ASSERT_NE(it, items.end()) << name;
        ASSERT_TRUE(w.lstPrevYear.userSelect(static_cast<int>(it - items.begin())));
    }
    void import(const std::string& text, int style, const std::string& title = "") {
        desk.expectMessage(text, style, title, forms::vbOK);
        closeAll();
        before = support::readBytes(w.TrustDbPath);
        ASSERT_TRUE(w.click("cmdImpSelAss"));
        EXPECT_TRUE(desk.verify()) << desk.transcript();
        closeAll();
    }
    engine::DatabasePtr thisYear() {
        return engine::DBEngine::instance().Workspaces(0).OpenDatabase(w.TrustDbPath);
    }
    bool unchanged() const { return support::readBytes(w.TrustDbPath) == before; }

    std::string lastYear, before;
};

// The rows of a query, each as its values in column order.
Rows rows(engine::Database& db, const std::string& sql) {
    auto rs = db.OpenRecordset(sql, engine::dbOpenDynaset);
    Rows out;
    for (; !rs->Eof(); rs->MoveNext()) {
        std::vector<Variant> row;
        for (int i = 0; i < rs->FieldCount(); ++i)
            row.push_back(rs->Fields(i).Value());
        out.push_back(std::move(row));
    }
    rs->Close();
    return out;
}

std::string of(double trust) {
    return " WHERE [TDCLNO] = " + runtime::CStr(Variant(trust));
}

Variant d(double v) {
    return Variant(v);
}
Variant i(int v) {
    return Variant(static_cast<std::int16_t>(v));
}

// Into an empty year the trust keeps its number; into a year with trusts it follows the
// highest. Its main and income rows start the new year, half of a loss carried.
TEST_F(SelectedTrustImport, TheTrustArrivesUnderOneNumberWithTheNewYearsResets) {
    struct Case {
        std::vector<double> trusts;
        std::string name;
        double lastYearNo, newNo;
        Variant lossCarried, rentalFlag;
    };
    const Case cases[] = {
        {{}, "Alpha", kAlpha, kAlpha, d(-400), i(1)}, {{3, 40}, "Alpha", kAlpha, 41, d(-400), i(1)},
        {{40}, "Beta", kBeta, 41, d(0), i(0)}, // no income row last year
        {{}, "Gamma", kGamma, kGamma, d(0), i(1)},    {{40}, "Delta", kDelta, 41, d(0), i(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.newNo));
        prepare(c.trusts);
        choose(c.name);
        import(kCompleted, forms::vbOKOnly);
        EXPECT_EQ(w.SelectedTrustNo, c.lastYearNo);
        EXPECT_EQ(w.HScroll2.Value(), 32767);
        EXPECT_TRUE(w.cmdOk.Enabled());

        auto db = thisYear();
        const auto main =
            rows(*db, "SELECT [TrustName], [TrustRegDate], [TrustExtenDate], [TASS3], "
                      "[ProvTaxPaidTrusts1], [IT12TrustsReceivedDate], "
                      "[IT12TrustsReceivedCHK1], [WAMTrustsNote], [CGLossNextYear], "
                      "[UserName], [DateLastSaved] FROM [TRUSTDetails]" +
                          of(c.newNo));
        const std::vector<Variant> mainExpected{Variant(c.name),
                                                d(40000),
                                                d(runtime::BlankDateSerial),
                                                d(1234.5),
                                                d(0),
                                                Variant::date(runtime::NoDateValue),
                                                i(0),
                                                Variant(""),
                                                kNull,
                                                Variant(""),
                                                Variant::date(0)};
        EXPECT_EQ(main, Rows{mainExpected});
        const auto income =
            rows(*db, "SELECT [CGLossPrevYear], [RentalInc], [TrustCapGain], "
                      "[ItemiseRentalInc], [ItemiseDonation] FROM [TRUSTIncExpend]" +
                          of(c.newNo));
        EXPECT_EQ(income, (Rows{{c.lossCarried, d(0), d(0), c.rentalFlag, i(0)}}));
        for (double other : {kAlpha, kBeta, kGamma, kDelta})
            if (other != c.newNo) {
                EXPECT_TRUE(rows(*db, "SELECT * FROM [TRUSTDetails]" + of(other)).empty());
            }
        db->Close();
        closeAll();
    }
}

// The detail rows come under the new number with the old year's figures reset; the sold
// asset goes with its cost lines, the later asset and its line move down to close the gap,
// and a line of no asset comes as it is.
TEST_F(SelectedTrustImport, TheDetailRowsFollowAndTheSoldAssetGoes) {
    for (const std::vector<double>& trusts : {std::vector<double>{}, {40}}) {
        const double n = trusts.empty() ? kAlpha : 41;
        SCOPED_TRACE(n);
        prepare(trusts);
        choose("Alpha");
        import(kCompleted, forms::vbOKOnly);
        auto db = thisYear();
        EXPECT_EQ(rows(*db, "SELECT [TrustNum], [TrustBenName], [IntForDiv] FROM [TandBenDetails]" +
                                of(n)),
                  (Rows{{i(1), Variant("Bob"), d(0)}, {i(2), Variant("Ann"), d(0)}}));
        EXPECT_EQ(rows(*db, "SELECT [TItemiseProp], [TAddress], [TDateStart], [TDateEnd], "
                            "[TRentIncome], [TCOPSplit] FROM [TrustPropRentDetails]" +
                                of(n)),
                  (Rows{{i(0), Variant("1 Main"), d(42795), d(43159), d(0), kNull}}));
        EXPECT_EQ(rows(*db, "SELECT [TCGTAssetNum], [TAssetDesc], [TCGTMaxNum] FROM "
                            "[TrustCGTDetails]" +
                                of(n) + " ORDER BY [TCGTAssetNum]"),
                  (Rows{{i(1), Variant("land"), i(2)}, {i(2), Variant("boat"), i(2)}}));
        const std::vector<std::pair<std::string, Rows>> costs{
            {"TrustCGTAcqCost", {{d(1), d(10)}, {kNull, d(11)}}},
            {"TrustCGTImproveMade", {}},
            {"TrustCGTSaleCost", {}},
            {"TrustCGTImproveMadeBefore", {{d(2), d(30)}}}};
        for (const auto& [table, expected] : costs)
            EXPECT_EQ(rows(*db, "SELECT [CGTAsset Number], [Cost] FROM [" + table + "]" + of(n)),
                      expected)
                << table;
        EXPECT_EQ(rows(*db, "SELECT [ItemiseCapGain] FROM [TRUSTIncExpend]" + of(n)),
                  (Rows{{i(1)}}));
        if (!trusts.empty()) {
            // The trust already there: its rental flag is set, its sale of this year stays,
            // its lock stays; the rental row of no trust is passed over.
            EXPECT_EQ(rows(*db, "SELECT [ItemiseRentalInc] FROM [TRUSTIncExpend]" + of(40)),
                      (Rows{{i(1)}}));
            EXPECT_EQ(rows(*db, "SELECT [TCGTAssetNum] FROM [TrustCGTDetails]" + of(40)).size(),
                      1u);
            EXPECT_EQ(rows(*db, "SELECT [UserName] FROM [TRUSTDetails]" + of(40)),
                      (Rows{{Variant("ann")}}));
        }
        db->Close();
        closeAll();
    }
}

// A second import of the same trust gives a second trust with its own rows.
TEST_F(SelectedTrustImport, ImportingTwiceGivesTwoTrusts) {
    prepare({40});
    choose("Alpha");
    import(kCompleted, forms::vbOKOnly);
    import(kCompleted, forms::vbOKOnly);
    auto db = thisYear();
    for (double n : {41.0, 42.0}) {
        EXPECT_EQ(rows(*db, "SELECT * FROM [TRUSTDetails]" + of(n)).size(), 1u) << n;
        EXPECT_EQ(rows(*db, "SELECT * FROM [TandBenDetails]" + of(n)).size(), 2u) << n;
    }
    db->Close();
}

// The rental flags and the lock fields are put right over the whole file, not only for the
// trust imported, and at the next import again for whatever a user changed in between.
TEST_F(SelectedTrustImport, EveryTrustOfTheFileEndsFlaggedAndFreeImportAfterImport) {
    prepare({40, 50, 60});
    auto db = thisYear();
    db->Execute("UPDATE [TRUSTIncExpend] SET [ItemiseRentalInc] = NULL WHERE [TDCLNO] = 50");
    support::addRow(*db, "TrustPropRentDetails", {{"TDCLNO", 50.0}});
    support::addRow(*db, "TRUSTDetails", {{"TDCLNO", 70.0}, {"TrustName", "Nulls"}});
    support::addRow(*db, "TRUSTIncExpend", {{"TDCLNO", 70.0}, {"ItemiseRentalInc", i(1)}});
    db->Close();
    const auto flags = [&] {
        auto db = thisYear();
        const Rows out = rows(
            *db, "SELECT [TDCLNO], [ItemiseRentalInc] FROM [TRUSTIncExpend] ORDER BY [TDCLNO]");
        db->Close();
        return out;
    };
    const auto notFree = [&] {
        auto db = thisYear();
        const Rows out = rows(*db, "SELECT [TDCLNO] FROM [TRUSTDetails] WHERE [UserName] IS NULL "
                                   "OR [DateLastSaved] IS NULL OR [LastUserName] IS NULL");
        db->Close();
        return out;
    };
    choose("Alpha");
    import(kCompleted, forms::vbOKOnly);
    // 40 and 50 have rentals here, 60 none (its 0 stays), 70 none (its 1 stays), 71 is Alpha.
    EXPECT_EQ(flags(),
              (Rows{{d(40), i(1)}, {d(50), i(1)}, {d(60), i(0)}, {d(70), i(1)}, {d(71), i(1)}}));
    EXPECT_EQ(notFree(), Rows{});

    db = thisYear();
    db->Execute("UPDATE [TRUSTIncExpend] SET [ItemiseRentalInc] = 0 WHERE [TDCLNO] = 40");
    support::addRow(*db, "TrustPropRentDetails", {{"TDCLNO", 60.0}});
    db->Execute("UPDATE [TRUSTDetails] SET [LastUserName] = NULL WHERE [TDCLNO] = 50");
    support::addRow(*db, "TRUSTDetails", {{"TDCLNO", 80.0}, {"UserName", "bob"}});
    db->Close();
    closeAll();
    import(kCompleted, forms::vbOKOnly);
    EXPECT_EQ(flags(), (Rows{{d(40), i(1)},
                             {d(50), i(1)},
                             {d(60), i(1)},
                             {d(70), i(1)},
                             {d(71), i(1)},
                             {d(81), i(1)}}));
    EXPECT_EQ(notFree(), Rows{});
    db = thisYear();
    EXPECT_EQ(rows(*db, "SELECT [UserName] FROM [TRUSTDetails] WHERE [TDCLNO] IN (40, 80) "
                        "ORDER BY [TDCLNO]"),
              (Rows{{Variant("ann")}, {Variant("bob")}}));
    db->Close();
}

// Two main records of the number last year: both are written, each with its own income row
// (the second has none, so no loss), and the detail rows follow the last number.
TEST_F(SelectedTrustImport, EveryRecordOfTheNumberIsWritten) {
    prepare({40});
    support::addRow(lastYear, "TRUSTDetails", trust(kAlpha, "Alpha"));
    choose("Alpha");
    import(kCompleted, forms::vbOKOnly);
    EXPECT_EQ(w.HScroll2.Value(), 32767);
    auto db = thisYear();
    EXPECT_EQ(rows(*db, "SELECT [TDCLNO], [CGLossPrevYear] FROM [TRUSTIncExpend] WHERE [TDCLNO] > "
                        "40 ORDER BY [TDCLNO]"),
              (Rows{{d(41), d(-400)}, {d(42), d(0)}}));
    EXPECT_TRUE(rows(*db, "SELECT * FROM [TandBenDetails]" + of(41)).empty());
    EXPECT_EQ(rows(*db, "SELECT * FROM [TandBenDetails]" + of(42)).size(), 2u);
    db->Close();
}

// A trust or file not there: the box says so and this year's file stays as it was.
TEST_F(SelectedTrustImport, ATrustOrFileNotThereWritesNothing) {
    struct Case {
        std::string name;
        std::function<void(const std::string& lastYear)> meanwhile;
        std::string text, title;
    };
    const Case cases[] = {
        {"gone from the file",
         [](const std::string& path) {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
             db->Execute("DELETE * FROM [TRUSTDetails] WHERE [TDCLNO] = 17");
             db->Close();
         },
         kEmpty, ""},
        {"file missing", [](const std::string& path) { std::filesystem::remove(path); }, kNotFound,
         "File not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare({40});
        choose("Alpha");
        closeAll();
        c.meanwhile(lastYear);
        w.HScroll2.setValue(0);
        import(c.text, forms::vbOKOnly, c.title);
        EXPECT_TRUE(unchanged());
        EXPECT_EQ(w.HScroll2.Value(), 0);
        EXPECT_FALSE(w.cmdOk.Enabled());
        if (!c.title.empty()) {
            EXPECT_EQ(w.MsgHelpContext, Variant(std::int16_t{20}));
        }
    }
}

// A write that fails half way takes back everything written before it: the box names the
// trust, the table and the field, and never says the transfer was completed.
TEST_F(SelectedTrustImport, AFailedWriteLeavesThisYearsFileAsItWas) {
    struct Case {
        std::string table, dropped;
    };
    const Case cases[] = {
        {"TRUSTDetails", "WAMTrustsNote"},     // before any row is written
        {"TrustCGTImproveMadeBefore", "Cost"}, // after the rows and most detail tables
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        prepare({40});
        {
            auto db = thisYear();
            db->TableDefs().Item(c.table)->Fields().Delete(c.dropped);
            db->Close();
        }
        choose("Alpha");
        desk.answerAnyMessage(forms::vbOK);
        closeAll();
        before = support::readBytes(w.TrustDbPath);
        const std::size_t shownBefore = desk.messages().size();
        ASSERT_TRUE(w.click("cmdImpSelAss"));
        EXPECT_NO_THROW(app::openExclusive(w.TrustDbPath)->Close()) << "no handle left open";
        closeAll();
        ASSERT_EQ(desk.messages().size(), shownBefore + 1) << desk.transcript();
        const std::string shown = desk.messages().back();
        EXPECT_EQ(shown.rfind("The trust Alpha (17) could not be imported", 0), 0u) << shown;
        EXPECT_NE(shown.find(c.table), std::string::npos) << shown;
        EXPECT_NE(shown.find(c.dropped), std::string::npos) << shown;
        EXPECT_EQ(shown.find("completed"), std::string::npos) << shown;
        EXPECT_TRUE(unchanged());
        EXPECT_EQ(w.HScroll2.Value(), 16384) << "the bar stops where the trust was read";
        EXPECT_FALSE(w.cmdOk.Enabled());
    }
}

// A list that lost its selection while the flag stays set chooses no one.
TEST_F(SelectedTrustImport, AStaleSelectionFocusesTheListAndWritesNothing) {
    prepare({40});
    choose("Alpha");
    w.lstPrevYear.setListIndex(-1);
    w.PrevYearSelected = 1;
    w.SelectedTrustNo = 0;
    closeAll();
    before = support::readBytes(w.TrustDbPath);
    ASSERT_TRUE(w.click("cmdImpSelAss"));
    EXPECT_TRUE(desk.messages().empty()) << desk.transcript();
    EXPECT_TRUE(w.lstPrevYear.hasFocus());
    EXPECT_EQ(w.SelectedTrustNo, 0);
    closeAll();
    EXPECT_TRUE(unchanged());
}

} // namespace
} // namespace carry_test
