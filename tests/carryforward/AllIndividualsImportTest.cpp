// The import of every living individual, through the window: each client and its rows
// arrive under one number, into an empty year and into a year with clients; rows of
// clients not carried stay behind; every way it can stop leaves this year's file as it was.

#include "CarryFixture.h"
#include "engine/Dao.h"
#include "engine/EngineErrors.h"
#include "runtime/Constants.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"

#include <map>
#include <optional>

namespace carry_test {
namespace {

const std::string kCompleted = "The Transfer has been completed.";
const std::string kEmpty = "The Quolby2017 database is empty!";

Row client(double number, const std::string& surname, std::int16_t deceased = 0) {
    return {{"DCLNO", number},
            {"Surname", surname},
            {"PERS5", std::int16_t{3}},
            {"MPERSDECEASED", deceased}};
}

Row certificate(double number, double lumps) {
    return {{"DCLNO", number},
            {"RetrenchmentLumps2015", lumps},
            {"RetrenchmentLumps2016", lumps},
            {"FstLumpTaken2017", lumps}};
}

// Last year: Smith (7) with a certificate, two rentals, a sold and a kept asset and a car;
// Brown (9) without a certificate; two living rows sharing 12, and two certificates of 12;
// Fifty (58) with a certificate, and Big (100058),
// whose numbers meet new and temporary numbers; rows of a deceased client (8), of a client
// numbered 0 and of a number with no client (11) that nobody may take.
void makeLastYearFile(const std::string& path, const std::string& fiftysName = "Fifty") {
    support::DatabaseFile file(path, support::FileKind::LastYearIndividuals);
    file.resize("Qolb2017", "Surname", 80);
    file.row("Qolb2017", client(100058, "Big"))
        .row("Qolb2017", client(7, "Smith"))
        .row("Qolb2017", client(8, "Jones", 1))
        .row("Qolb2017", client(9, "Brown"))
        .row("Qolb2017", client(12, "Twin"))
        .row("Qolb2017", client(12, "Twin"))
        .row("Qolb2017", client(58, fiftysName))
        .row("Qolb2017", client(0, "Zero"))
        .row("IRP5IncDed", {{"DCLNO", 7.0},
                            {"MaxNum", std::int16_t{3}},
                            {"RetrenchmentLumps2015", 15.0},
                            {"RetrenchmentLumps2016", 16.0},
                            {"FstLumpTaken2017", 17.0}})
        .row("IRP5IncDed", certificate(12, 121))
        .row("IRP5IncDed", certificate(12, 122))
        .row("IRP5IncDed", certificate(58, 58))
        .row("DefInvOpt", {{"UpDateDB", std::int16_t{6}}});
    const std::pair<double, const char*> rentals[] = {
        {7, "Smith 1"}, {7, "Smith 2"}, {8, "Jones"},  {9, "Brown"},   {11, "Nobody"},
        {12, "Twin"},   {0, "Zero"},    {58, "Fifty"}, {100058, "Big"}};
    double prop = 0;
    for (const auto& [number, address] : rentals)
        file.row("PropRentDetails", {{"DCLNO", number}, {"PropNum", ++prop}, {"Address", address}});
    file.row("CGTDetails", {{"DCLNO", 7.0},
                            {"CGTAssetNum", std::int16_t{1}},
                            {"CGTMaxNum", std::int16_t{2}},
                            {"DateSale", 42000.0}})
        .row("CGTDetails", {{"DCLNO", 7.0},
                            {"CGTAssetNum", std::int16_t{2}},
                            {"CGTMaxNum", std::int16_t{2}},
                            {"DateSale", -693959.0}})
        .row("CGTAcqCost", {{"DCLNO", 7.0}, {"CGTAsset Number", 1.0}, {"Cost", 1.0}})
        .row("CGTAcqCost", {{"DCLNO", 7.0}, {"CGTAsset Number", 2.0}, {"Cost", 2.0}})
        .row("CGTAcqCost", {{"DCLNO", 12.0}, {"CGTAsset Number", 1.0}, {"Cost", 12.0}})
        .row("Qolb2017Cont", {{"DCLNO", 7.0}, {"TaxRefNo_1", "0123"}})
        .row("CARALL", {{"DCLNO", 9.0}, {"TA105", 900.0}})
        .row("AnnualTrends", {{"DCLNO", 58.0}, {"AT2017SalRem", 5.0}})
        .make();
}

class AllIndividualsImport : public WholeFileImport {
protected:
    AllIndividualsImport() : WholeFileImport(&app::frmSysAdmin::PersDbPath) {}

    void prepare(const std::vector<Variant>& clients, const std::string& fiftysName = "Fifty") {
        lastYear = freshIndividualFiles();
        makeLastYearFile(lastYear, fiftysName);
        support::DatabaseFile file(w.PersDbPath, support::FileKind::Individuals);
        for (const Variant& n : clients)
            file.row("Qolb2018", {{"DCLNO", n}, {"Surname", "Here"}});
        file.make();
        ready(0);
    }
};

// Into an empty year every living client keeps its number; into a year with clients they
// take the numbers after the highest (a highest without a number counting as 0), in order
// of their old numbers. Each client's detail rows follow it and no one else's do, also
// where an old number equals another client's new or temporary number.
TEST_F(AllIndividualsImport, EveryLivingClientAndItsRowsArriveUnderOneNumber) {
    struct Case {
        std::string name;
        std::vector<Variant> clients;
        std::map<double, double> numbers; // last year's: this year's
        Variant interest;
    };
    const Case cases[] = {
        {"empty year", {}, {{7, 7}, {9, 9}, {12, 12}, {58, 58}, {100058, 100058}}, Variant(15.0)},
        {"year with clients",
         {d(3), d(57)},
         {{7, 58}, {9, 59}, {12, 60}, {58, 62}, {100058, 63}},
         Variant(0.0)},
        {"highest without a number",
         {Variant::null()},
         {{7, 1}, {9, 2}, {12, 3}, {58, 5}, {100058, 6}},
         Variant(0.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(c.clients);
        w.HScroll2.setValue(0);
        import(kCompleted, forms::vbOKOnly);
        EXPECT_EQ(w.HScroll2.Value(), 32767);
        EXPECT_TRUE(w.fraProgressBar.Visible());
        EXPECT_TRUE(w.cmdOk.Enabled());
        auto n = [&](double old) { return d(c.numbers.at(old)); };
        const double twin2 = c.numbers.at(12) == 12 ? 12 : c.numbers.at(12) + 1;

        auto db = thisYear();
        const std::string carried = c.clients.empty() ? "" : " WHERE [Surname] <> 'Here'";
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [Surname], [PERS5], [INT], [UserName], "
                             "[DateLastSaved] FROM [Qolb2018]" +
                                 carried + " ORDER BY [DCLNO], [Surname]"),
                  (Rows{{n(7), Variant("Smith"), Variant(std::int16_t{4}), c.interest, Variant(""),
                         Variant::date(0)},
                        {n(9), Variant("Brown"), Variant(std::int16_t{4}), c.interest, Variant(""),
                         Variant::date(0)},
                        {n(12), Variant("Twin"), Variant(std::int16_t{4}), c.interest, Variant(""),
                         Variant::date(0)},
                        {d(twin2), Variant("Twin"), Variant(std::int16_t{4}), c.interest,
                         Variant(""), Variant::date(0)},
                        {n(58), Variant("Fifty"), Variant(std::int16_t{4}), c.interest, Variant(""),
                         Variant::date(0)},
                        {n(100058), Variant("Big"), Variant(std::int16_t{4}), c.interest,
                         Variant(""), Variant::date(0)}}));
        // The certificate: last year's lump sums up to 2017 carried, 2018 starting at 0;
        // MaxNum marks whether last year held one.
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [MaxNum], [RetrenchmentLumps2015], "
                             "[RetrenchmentLumps2016], [FstLumpTaken2017], "
                             "[RetrenchmentLumps2018] FROM [IRP5IncDed] WHERE [DCLNO] IN (" +
                                 runtime::CStr(n(7)) + ", " + runtime::CStr(n(9)) + ", " +
                                 runtime::CStr(n(12)) + ", " + runtime::CStr(d(twin2)) + ", " +
                                 runtime::CStr(n(58)) + ") ORDER BY [DCLNO]"),
                  (Rows{{n(7), Variant(std::int16_t{1}), d(15), d(16), d(17), d(0)},
                        {n(9), Variant(std::int16_t{0}), d(0), d(0), d(0), d(0)},
                        // Both rows of 12 take the first certificate of 12.
                        {n(12), Variant(std::int16_t{1}), d(121), d(121), d(121), d(0)},
                        {d(twin2), Variant(std::int16_t{1}), d(121), d(121), d(121), d(0)},
                        {n(58), Variant(std::int16_t{1}), d(58), d(58), d(58), d(0)}}));
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [Address] FROM [PropRentDetails] ORDER BY "
                             "[DCLNO], [PropNum]"),
                  (Rows{{n(7), Variant("Smith 1")},
                        {n(7), Variant("Smith 2")},
                        {n(9), Variant("Brown")},
                        {n(12), Variant("Twin")},
                        {n(58), Variant("Fifty")},
                        {n(100058), Variant("Big")}}));
        // The sold asset is gone with its cost line; the kept one is asset 1 now.
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [CGTAssetNum], [CGTMaxNum], [LocForeign] FROM "
                             "[CGTDetails]"),
                  (Rows{{n(7), Variant(std::int16_t{1}), Variant(std::int16_t{1}),
                         Variant(std::int16_t{1})}}));
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [CGTAsset Number], [Cost] FROM [CGTAcqCost] "
                             "ORDER BY [DCLNO]"),
                  (Rows{{n(7), d(1), d(2)}, {n(12), d(1), d(12)}}));
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [TaxRefNo_1] FROM [Qolb2018Cont]"),
                  (Rows{{n(7), Variant("0123")}}));
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [TA105], [TA106], [TA114], [TASD1] FROM [CARALL]"),
                  (Rows{{n(9), d(0), d(900), Variant(std::int16_t{365}),
                         d(double{runtime::TaxYearStart})}}));
        EXPECT_EQ(query(*db, "SELECT [DCLNO], [AT2017SalRem] FROM [AnnualTrends]"),
                  (Rows{{n(58), d(5)}}));
        db->Close();
        closeAll();
        w.cmdOk.setEnabled(false);
    }
}

// A second run adds every client again under further numbers, with its rows once: what
// the first run staged in the transfer file does not come along.
TEST_F(AllIndividualsImport, ASecondRunAddsEveryClientAgain) {
    prepare({d(57)});
    import(kCompleted, forms::vbOKOnly);
    import(kCompleted, forms::vbOKOnly);
    auto db = thisYear();
    EXPECT_EQ(query(*db, "SELECT [DCLNO] FROM [PropRentDetails] WHERE [Address] = 'Smith 1' "
                         "ORDER BY [DCLNO]"),
              (Rows{{d(58)}, {d(64)}}));
    EXPECT_EQ(query(*db, "SELECT [DCLNO] FROM [CARALL] ORDER BY [DCLNO]"),
              (Rows{{d(59)}, {d(65)}}));
    db->Close();
}

// A failure half way through the clients takes back every row written before it: the box
// names the client and the field, and never says the transfer was completed. A file without
// a living client says it is empty. Either way this year's file stays as it was.
TEST_F(AllIndividualsImport, AFailureOrNoLivingClientWritesNothing) {
    const std::string tooLong(60, 'F');
    prepare({d(57)}, tooLong);
    const std::vector<std::string> boxes = importAnsweringOk();
    ASSERT_EQ(boxes.size(), 1u) << desk.transcript();
    const std::string& shown = boxes.front();
    EXPECT_NE(shown.find(tooLong + " (58)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Surname"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("completed"), std::string::npos) << shown;
    EXPECT_TRUE(unchanged());
    EXPECT_FALSE(w.cmdOk.Enabled());

    prepare({d(57)});
    {
        auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(lastYear);
        db->Execute("UPDATE [Qolb2017] SET [MPERSDECEASED] = 1");
        db->Close();
    }
    w.HScroll2.setValue(0);
    import(kEmpty, forms::vbOKOnly);
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(w.HScroll2.Value(), 0);
    EXPECT_FALSE(w.cmdOk.Enabled());
}

// A failure outside the clients' own rows gets the import's box too: a detail table this
// year's file refuses is named, on either path of the numbers, and last year's file that
// the engine cannot read is told with its number. Either way nothing is written.
TEST_F(AllIndividualsImport, EveryFailureIsToldInTheImportsOwnBox) {
    struct Case {
        std::string name;
        std::vector<Variant> clients;
        bool dropColumn; // else last year's file unreadable
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {"detail table, numbers kept", {}, true, {"the detail rows of CARALL", "TA106"}},
        {"detail table, renumbered", {d(57)}, true, {"the detail rows of CARALL", "TA106"}},
        {"last year's file", {d(57)}, false, {"last year's database", "Error 3343: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(c.clients);
        if (c.dropColumn) {
            auto db = thisYear();
            db->TableDefs().Item("CARALL")->Fields().Delete("TA106");
            db->Close();
        }
        std::optional<engine::ScopedOpenFault> unreadable;
        if (!c.dropColumn) unreadable.emplace(lastYear, engine::err::UnrecognizedFormat);
        const std::vector<std::string> boxes = importAnsweringOk();
        unreadable.reset();
        ASSERT_EQ(boxes.size(), 1u) << desk.transcript();
        const std::string& shown = boxes.front();
        EXPECT_EQ(shown.rfind("The clients could not be imported", 0), 0u) << shown;
        for (const std::string& part : c.told) {
            EXPECT_NE(shown.find(part), std::string::npos) << part << " in " << shown;
        }
        EXPECT_NE(shown.find("Nothing has been written to this year's database."),
                  std::string::npos)
            << shown;
        EXPECT_TRUE(unchanged());
        EXPECT_FALSE(w.cmdOk.Enabled());
    }
}

} // namespace
} // namespace carry_test
