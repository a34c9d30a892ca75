// The import of every trust, through the window: each trust, its income row and its detail
// rows arrive under one number, into an empty year and into a year with trusts; income rows
// are paired by number; rows of trusts not carried stay behind; every way it can stop leaves
// this year's file as it was.

#include "CarryFixture.h"
#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"
#include "transfer/ImportEndMessages.h"

#include <filesystem>
#include <map>
#include <optional>

namespace carry_test {
namespace {

const std::string kCompleted = "The Transfer has been completed.";
const std::string kEmpty = "The Quolby 2017 database is empty!";
// Last year: the trusts stored out of number order, their income rows in yet another order;
// Beta (18) without an income row; Big (100018), whose number meets a new one; a rental row
// and an asset of a number with no trust (11) that nobody may take.
void makeLastYearFile(const std::string& path, const std::string& betasName) {
    support::DatabaseFile file(path, FileKind::LastYearTrust);
    file.resize("TRUSTDetails", "TrustName", 250);
    file.row("TRUSTDetails", {{"TDCLNO", 100018.0}, {"TrustName", "Big"}})
        .row("TRUSTDetails", {{"TDCLNO", 18.0}, {"TrustName", betasName}})
        .row("TRUSTDetails", {{"TDCLNO", 17.0}, {"TrustName", "Alpha"}})
        .row("TRUSTDetails", {{"TDCLNO", 0.0}, {"TrustName", "Zero"}})
        .row("TRUSTIncExpend", {{"TDCLNO", 100018.0}, {"TrustCapGain", -40.0}})
        .row("TRUSTIncExpend", {{"TDCLNO", 17.0}, {"TrustCapGain", -800.0}})
        .row("TRUSTIncExpend", {{"TDCLNO", 17.0}, {"TrustCapGain", -2.0}})
        .row("TRUSTIncExpend", {{"TDCLNO", 11.0}, {"TrustCapGain", -6.0}})
        .row("TrustPropRentDetails", {{"TDCLNO", 17.0}, {"TPropNum", std::int16_t{1}}})
        .row("TrustPropRentDetails", {{"TDCLNO", 11.0}, {"TPropNum", std::int16_t{1}}})
        .row("TandBenDetails", {{"TDCLNO", 100018.0}, {"TrustBenName", "Cy"}})
        .row("TandBenDetails", {{"TDCLNO", 18.0}, {"TrustBenName", "Di"}});
    for (const auto& [number, sold] : {std::pair{17.0, 42900.0}, {17.0, -693959.0}, {11.0, 1.0}})
        file.row("TrustCGTDetails",
                 {{"TDCLNO", number},
                  {"TCGTMaxNum", std::int16_t{2}},
                  {"TCGTAssetNum", static_cast<std::int16_t>(number == 17 && sold > 0 ? 1 : 2)},
                  {"TDateSale", sold}});
    file.row("TrustCGTAcqCost", {{"TDCLNO", 17.0}, {"CGTAsset Number", 1.0}, {"Cost", 1.0}})
        .row("TrustCGTAcqCost", {{"TDCLNO", 17.0}, {"CGTAsset Number", 2.0}, {"Cost", 2.0}})
        .make();
}

class AllTrustsImport : public WholeFileImport {
protected:
    AllTrustsImport() : WholeFileImport(&app::frmSysAdmin::TrustDbPath) {}

    void prepare(const std::vector<double>& trusts, const std::string& betasName = "Beta") {
        closeAll();
        lastYear = src.file("QolbTrust2017Lan.Mdb");
        w.TrustDbPath = program.file("QolbTrust2018Lan.Mdb");
        w.TransTrustDbPath = program.file("TransTrustDB.mdb");
        for (const std::string& path : {lastYear, w.TrustDbPath, w.TransTrustDbPath, versionFile()})
            std::filesystem::remove(path);
        makeLastYear(versionFile(), FileKind::LastYearIndividuals, {});
        makeLastYearFile(lastYear, betasName);
        support::DatabaseFile file(w.TrustDbPath, FileKind::Trust);
        for (double n : trusts)
            file.row("TRUSTDetails", {{"TDCLNO", n}, {"TrustName", "Here"}})
                .row("TRUSTIncExpend", {{"TDCLNO", n}});
        file.make();
        ready(1);
    }
};

// Into an empty year every trust keeps its number; into a year with trusts they take the
// numbers after the highest, in order of their old numbers. Each trust's income row comes
// from its own first income row (none: no loss); its detail rows follow it and no one
// else's do, also where an old number equals another trust's new one.
TEST_F(AllTrustsImport, EveryTrustAndItsRowsArriveUnderOneNumber) {
    struct Case {
        std::string name;
        std::vector<double> trusts;
        std::map<double, double> numbers; // last year's: this year's
    };
    const Case cases[] = {
        {"empty year", {}, {{17, 17}, {18, 18}, {100018, 100018}}},
        {"year with trusts", {3, 100016}, {{17, 100017}, {18, 100018}, {100018, 100019}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(c.trusts);
        w.HScroll2.setValue(0);
        import(kCompleted, forms::vbOKOnly);
        EXPECT_EQ(w.HScroll2.Value(), 32767);
        EXPECT_TRUE(w.cmdOk.Enabled());
        auto n = [&](double old) { return d(c.numbers.at(old)); };

        auto db = thisYear();
        EXPECT_EQ(query(*db, "SELECT [TRUSTDetails].[TDCLNO], [TrustName], [CGLossPrevYear], "
                             "[ForeignInc], [ItemiseRentalInc], [ItemiseCapGain], [UserName] "
                             "FROM [TRUSTDetails] INNER JOIN [TRUSTIncExpend] ON "
                             "[TRUSTDetails].[TDCLNO] = [TRUSTIncExpend].[TDCLNO] WHERE "
                             "[TrustName] <> 'Here' ORDER BY [TRUSTDetails].[TDCLNO]"),
                  (Rows{{n(17), Variant("Alpha"), d(-400), d(0), Variant(std::int16_t{1}),
                         Variant(std::int16_t{1}), Variant("")},
                        {n(18), Variant("Beta"), d(0), d(0), Variant(std::int16_t{0}),
                         Variant(std::int16_t{0}), Variant("")},
                        {n(100018), Variant("Big"), d(-20), d(0), Variant(std::int16_t{0}),
                         Variant(std::int16_t{0}), Variant("")}}));
        EXPECT_EQ(query(*db, "SELECT [TDCLNO] FROM [TrustPropRentDetails]"), (Rows{{n(17)}}));
        EXPECT_EQ(query(*db, "SELECT [TDCLNO], [TrustBenName] FROM [TandBenDetails] ORDER BY "
                             "[TDCLNO]"),
                  (Rows{{n(18), Variant("Di")}, {n(100018), Variant("Cy")}}));
        // The sold asset is gone with its cost line; the kept one is asset 1 now.
        EXPECT_EQ(query(*db, "SELECT [TDCLNO], [TCGTAssetNum], [TCGTMaxNum] FROM "
                             "[TrustCGTDetails]"),
                  (Rows{{n(17), Variant(std::int16_t{1}), Variant(std::int16_t{1})}}));
        EXPECT_EQ(query(*db, "SELECT [TDCLNO], [CGTAsset Number], [Cost] FROM [TrustCGTAcqCost]"),
                  (Rows{{n(17), d(1), d(2)}}));
        db->Close();
        closeAll();
    }
}

// A failure half way through the trusts takes back every row written before it, and the box
// names the trust; a file without a numbered trust says it is empty; last year's file named
// as this year's is refused. Each way this year's file stays as it was.
TEST_F(AllTrustsImport, AFailureNoTrustOrOneFileWritesNothing) {
    const std::string tooLong(200, 'B');
    prepare({3}, tooLong);
    const std::vector<std::string> boxes = importAnsweringOk();
    ASSERT_EQ(boxes.size(), 1u) << desk.transcript();
    const std::string& shown = boxes.front();
    EXPECT_NE(shown.find("(18)"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("completed"), std::string::npos) << shown;
    EXPECT_TRUE(unchanged());
    EXPECT_FALSE(w.cmdOk.Enabled());

    prepare({3});
    {
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(lastYear);
        db->Execute("UPDATE [TRUSTDetails] SET [TDCLNO] = 0");
        db->Close();
    }
    import(kEmpty, forms::vbOKOnly);
    EXPECT_TRUE(unchanged());

    prepare({3});
    w.TrustDbPath = lastYear;
    const std::vector<std::string> refused = importAnsweringOk();
    ASSERT_EQ(refused.size(), 1u) << desk.transcript();
    EXPECT_EQ(refused.front(), transfer::msg::sourceIsThisYear(lastYear));
    EXPECT_TRUE(unchanged()) << "last year's file, named as this year's";
}

// A failure outside the trusts' own rows gets the import's box too: a detail table this
// year's file refuses is named, and last year's file that the engine cannot read is told
// with its number. Either way nothing is written.
TEST_F(AllTrustsImport, EveryFailureIsToldInTheImportsOwnBox) {
    for (const bool dropColumn : {true, false}) {
        SCOPED_TRACE(dropColumn ? "detail table" : "last year's file");
        prepare({3});
        if (dropColumn) {
            auto db = thisYear();
            db->TableDefs().Item("TandBenDetails")->Fields().Delete("TrustBenName");
            db->Close();
        }
        std::optional<engine::ScopedOpenFault> unreadable;
        if (!dropColumn) unreadable.emplace(lastYear, engine::err::UnrecognizedFormat);
        const std::vector<std::string> boxes = importAnsweringOk();
        unreadable.reset();
        ASSERT_EQ(boxes.size(), 1u) << desk.transcript();
        const std::string& shown = boxes.front();
        const std::string told =
            dropColumn ? "the detail rows of TandBenDetails" : "last year's database " + lastYear;
        EXPECT_EQ(shown.rfind("The trusts could not be imported: the import stopped at " + told, 0),
                  0u)
            << shown;
        EXPECT_NE(shown.find("Nothing has been written to this year's database."),
                  std::string::npos)
            << shown;
        EXPECT_TRUE(unchanged());
        EXPECT_FALSE(w.cmdOk.Enabled());
    }
}

} // namespace
} // namespace carry_test
