// The import of the individual chosen in the listing, through the window: the client and
// its rows arrive under the right number, the window ends as it should, and every way it
// can stop leaves this year's file as it was and says why.

#include "CarryFixture.h"
#include "app/ExclusiveDatabases.h"
#include "engine/Dao.h"
#include "runtime/VariantOps.h"
#include "support/DatabaseFile.h"

#include <algorithm>
#include <filesystem>

namespace carry_test {
namespace {

const std::string kCompleted = "The Transfer has been completed.";
const std::string kEmpty = "The Quolby2017 database is empty!";
const std::string kNotFound = "The Quolby2017 (Qolb2017LAN.mdb) cannot be found.  Please refer "
                              "to the help for information!";

// Last year's clients: Smith (7) with a certificate row and detail rows, Jones (8)
// deceased, Brown (9) without a certificate row, with a rental row of its own.
constexpr double kSmith = 7, kJones = 8, kBrown = 9;

const char* const kDetailTables[] = {"PropRentDetails", "CGTDetails", "CGTAcqCost",
                                     "Qolb2018Cont",    "CARALL",     "AnnualTrends"};

Row client(double number, const std::string& surname, std::int16_t deceased) {
    return {{"DCLNO", number},
            {"Surname", surname},
            {"PERS2", "A."},
            {"PERS5", std::int16_t{3}},
            {"MPERSDECEASED", deceased}};
}

void makeLastYearFile(const std::string& path, const std::vector<Row>& moreClients) {
    support::DatabaseFile file(path, FileKind::LastYearIndividuals);
    for (const Row& more : moreClients)
        file.row("Qolb2017", more);
    file.row("Qolb2017", client(kSmith, "Smith", 0))
        .row("Qolb2017", client(kJones, "Jones", 1))
        .row("Qolb2017", client(kBrown, "Brown", 0))
        .row("IRP5IncDed", {{"DCLNO", kSmith}})
        .row("IRP5IncDed", {{"DCLNO", kJones}})
        .row("DefInvOpt", {{"UpDateDB", std::int16_t{6}}});
    for (double prop : {1.0, 2.0})
        file.row("PropRentDetails", {{"DCLNO", kSmith}, {"PropNum", prop}, {"Address", "1 Main"}});
    file.row("PropRentDetails", {{"DCLNO", kBrown}, {"PropNum", 1.0}})
        .row("CGTDetails", {{"DCLNO", kSmith}, {"CGTAssetNum", std::int16_t{1}}})
        .row("CGTAcqCost", {{"DCLNO", kSmith}, {"CGTAsset Number", 1.0}, {"Cost", 5.0}})
        .row("Qolb2017Cont", {{"DCLNO", kSmith}, {"TaxRefNo_1", "0123"}})
        .row("CARALL", {{"DCLNO", kSmith}, {"TA105", 900.0}})
        .row("AnnualTrends", {{"DCLNO", kSmith}})
        .make();
}

// This year's file with a client of each number.
void makeThisYearFile(const std::string& path, const std::vector<double>& clients) {
    support::DatabaseFile file(path, FileKind::Individuals);
    for (double n : clients)
        file.row("Qolb2018", {{"DCLNO", n}, {"Surname", "Here"}});
    file.make();
}

long count(engine::Database& db, const std::string& table, double client) {
    auto rs = db.OpenRecordset("SELECT * FROM [" + table +
                                   "] WHERE [DCLNO] = " + runtime::CStr(Variant(client)),
                               engine::dbOpenDynaset);
    long n = 0;
    for (; !rs->Eof(); rs->MoveNext())
        ++n;
    rs->Close();
    return n;
}

class SelectedIndividualImport : public CarryFixture {
protected:
    // Last year's file in `folder` (under the source folder), listed; this year's beside
    // the program, holding `clients`.
    void prepare(const std::string& folder = "", const std::vector<double>& clients = {},
                 const std::vector<Row>& moreLastYear = {}) {
        std::filesystem::create_directories(src.file(folder));
        lastYear =
            folder.empty() ? src.file("Qolb2017LAN.MDB") : src.file(folder + "/Qolb2017LAN.MDB");
        closeAll();
        w.PersDbPath = program.file("Qolb2018LAN.mdb");
        w.TransPersDbPath = program.file("TransDB.mdb");
        for (const std::string& path : {lastYear, w.PersDbPath, w.TransPersDbPath})
            std::filesystem::remove(path);
        makeLastYearFile(lastYear, moreLastYear);
        w.PersDbPath = program.file("Qolb2018LAN.mdb");
        w.TransPersDbPath = program.file("TransDB.mdb");
        makeThisYearFile(w.PersDbPath, clients);
        chooseKind(0);
        locate(lastYear);
        w.cmdOk.setEnabled(false);
    }
    // Chooses the listed client of that surname.
    void choose(const std::string& surname) {
        const auto& items = w.lstPrevYear.items();
        const auto it = std::ranges::find_if(
            items, [&](const std::string& item) { return item.starts_with(surname); });
        ASSERT_NE(it, items.end()) << surname;
        ASSERT_TRUE(w.lstPrevYear.userSelect(static_cast<int>(it - items.begin())));
    }
    void import(const std::string& text, int style, const std::string& title = "") {
        desk.expectMessage(text, style, title, forms::vbOK);
        closeAll();
        before = support::readBytes(w.PersDbPath);
        ASSERT_TRUE(w.click("cmdImpSelAss"));
        EXPECT_TRUE(desk.verify()) << desk.transcript();
        closeAll();
    }
    engine::DatabasePtr thisYear() {
        return engine::DBEngine::instance().Workspaces(0).OpenDatabase(w.PersDbPath);
    }
    bool unchanged() const { return support::readBytes(w.PersDbPath) == before; }

    std::string lastYear, before;
};

// Into an empty year the client keeps its number; into a year with clients it follows the
// highest; its rows come along under that number and no one else's do.
TEST_F(SelectedIndividualImport, TheClientAndItsRowsArriveUnderOneNumber) {
    struct Case {
        std::string folder;
        std::vector<double> clients;
        std::string surname;
        double lastYearNo, newNo;
        long detailRows; // of each detail table but PropRentDetails
        long rentals;
    };
    const Case cases[] = {
        {"", {}, "Smith", kSmith, kSmith, 1, 2},
        {"", {3, 57}, "Smith", kSmith, 58, 1, 2},
        {"O'Brien's files", {57, 3}, "Smith", kSmith, 58, 1, 2},
        {"", {}, "Brown", kBrown, kBrown, 0, 1}, // no certificate row last year
        {"", {57}, "Brown", kBrown, 58, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + " " + c.surname + " " + std::to_string(c.newNo));
        prepare(c.folder, c.clients);
        choose(c.surname);
        import(kCompleted, forms::vbOKOnly);
        EXPECT_EQ(w.SelectedPersNo, c.lastYearNo);
        EXPECT_EQ(w.HScroll2.Value(), 32767);
        EXPECT_TRUE(w.fraProgressBar.Visible());
        EXPECT_TRUE(w.cmdOk.Enabled());

        auto db = thisYear();
        EXPECT_EQ(count(*db, "Qolb2018", c.newNo), 1);
        EXPECT_EQ(count(*db, "IRP5IncDed", c.newNo), 1) << "made without last year's row too";
        EXPECT_EQ(count(*db, "PropRentDetails", c.newNo), c.rentals);
        for (const char* table : kDetailTables)
            if (std::string(table) != "PropRentDetails") {
                EXPECT_EQ(count(*db, table, c.newNo), c.detailRows) << table;
            }
        for (double other : {kSmith, kJones, kBrown})
            if (other != c.newNo) {
                EXPECT_EQ(count(*db, "PropRentDetails", other), 0) << other;
            }
        auto rs = db->OpenRecordset("SELECT [Surname], [PERS5], [UserName] FROM [Qolb2018] "
                                    "WHERE [DCLNO] = " +
                                        runtime::CStr(Variant(c.newNo)),
                                    engine::dbOpenDynaset);
        EXPECT_EQ(rs->Fields(0).Value(), Variant(c.surname));
        EXPECT_EQ(rs->Fields(1).Value(), Variant(std::int16_t{4}));
        EXPECT_EQ(rs->Fields(2).Value(), Variant("")) << "the lock fields were tidied";
        rs->Close();
        db->Close();
        closeAll();
        w.cmdOk.setEnabled(false);
    }
}

// Last year's file holding two living clients of one number: choosing either carries both,
// each under its own number when this year holds clients, and the number's detail rows
// once, under the last of them.
TEST_F(SelectedIndividualImport, EveryLivingRowOfTheChosenNumberArrives) {
    struct Case {
        std::vector<double> clients;
        std::vector<double> numbers; // this year's, of the two rows
    };
    const Case cases[] = {{{}, {kSmith, kSmith}}, {{57}, {58, 59}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.numbers.back());
        prepare("", c.clients, {client(kSmith, "Taylor", 0)});
        choose("Taylor");
        w.HScroll2.setValue(0);
        import(kCompleted, forms::vbOKOnly);
        EXPECT_EQ(w.HScroll2.Value(), 32767);

        auto db = thisYear();
        const std::string carried = c.clients.empty() ? "" : " WHERE [Surname] <> 'Here'";
        const Rows written = query(*db, "SELECT [DCLNO], [Surname] FROM [Qolb2018]" + carried +
                                            " ORDER BY [DCLNO], [Surname]");
        ASSERT_EQ(written.size(), 2u);
        std::vector<std::string> surnames;
        for (std::size_t k = 0; k < written.size(); ++k) {
            EXPECT_EQ(written[k][0], d(c.numbers[k]));
            surnames.push_back(runtime::CStr(written[k][1]));
        }
        std::ranges::sort(surnames);
        EXPECT_EQ(surnames, (std::vector<std::string>{"Smith", "Taylor"}));
        for (double n : c.numbers) {
            EXPECT_EQ(count(*db, "IRP5IncDed", n), c.clients.empty() ? 2 : 1) << n;
        }
        EXPECT_EQ(count(*db, "PropRentDetails", c.numbers.back()), 2) << "carried once";
        EXPECT_EQ(count(*db, "CARALL", c.numbers.back()), 1) << "carried once";
        db->Close();
        closeAll();
    }
}

// A second import of the same client into a year with clients gives it another number.
TEST_F(SelectedIndividualImport, ImportingTwiceGivesTwoNumbers) {
    prepare("", {57});
    choose("Smith");
    import(kCompleted, forms::vbOKOnly);
    import(kCompleted, forms::vbOKOnly);
    auto db = thisYear();
    for (double n : {58.0, 59.0}) {
        EXPECT_EQ(count(*db, "Qolb2018", n), 1) << n;
        EXPECT_EQ(count(*db, "PropRentDetails", n), 2) << n;
    }
    db->Close();
}

// The import lets events through while it runs: a double-click on the list then, which
// presses the import button in code, starts no second import under the first.
TEST_F(SelectedIndividualImport, ADoubleClickDuringTheImportStartsNoSecondOne) {
    prepare("", {57});
    choose("Smith");
    bool taken = true;
    desk.atDoEvents([&] { taken = w.lstPrevYear.userDoubleClick(w.lstPrevYear.ListIndex()); });
    import(kCompleted, forms::vbOKOnly);
    EXPECT_FALSE(taken);
    EXPECT_GT(desk.doEventsCount(), 0);
    auto db = thisYear();
    EXPECT_EQ(count(*db, "Qolb2018", 58), 1);
    EXPECT_EQ(count(*db, "Qolb2018", 59), 0);
    db->Close();
    EXPECT_TRUE(w.lstPrevYear.acceptsUser()) << "free again after";
}

// A client that cannot be read, and a file or folder that went away after it was listed:
// the box says so and this year's file stays as it was.
TEST_F(SelectedIndividualImport, AClientOrFileNotThereWritesNothing) {
    struct Case {
        std::string name;
        std::string surname;
        std::function<void(const std::string& lastYear)> meanwhile;
        std::string text, title;
    };
    const Case cases[] = {
        {"deceased", "Jones", nullptr, kEmpty, ""},
        {"gone from the file", "Smith",
         [](const std::string& path) {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(path);
             db->Execute("DELETE * FROM [Qolb2017] WHERE [DCLNO] = 7");
             db->Close();
         },
         kEmpty, ""},
        {"file missing", "Smith", [](const std::string& path) { std::filesystem::remove(path); },
         kNotFound, "File not found"},
        {"folder missing", "Smith",
         [](const std::string& path) {
             std::filesystem::remove_all(std::filesystem::path(path).parent_path());
         },
         kNotFound, "File not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare("last", {57});
        choose(c.surname);
        if (c.meanwhile) c.meanwhile(lastYear);
        closeAll();
        w.HScroll2.setValue(0);
        import(c.text, forms::vbOKOnly, c.title);
        EXPECT_TRUE(unchanged());
        EXPECT_EQ(w.HScroll2.Value(), 0);
        EXPECT_FALSE(w.cmdOk.Enabled());
        if (c.title.empty()) continue;
        EXPECT_EQ(w.MsgHelpContext, Variant(std::int16_t{20}));
    }
}

// A write that fails half way takes back everything written before it: the box names the
// client, the table and the field, and never says the transfer was completed.
TEST_F(SelectedIndividualImport, AFailedWriteLeavesThisYearsFileAsItWas) {
    struct Case {
        std::string table, dropped;
    };
    const Case cases[] = {
        {"Qolb2018", "Email75"}, // before any row is written
        {"CARALL", "TA106"},     // after the client's rows and most detail tables
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        prepare("", {57});
        {
            auto db = thisYear();
            db->TableDefs().Item(c.table)->Fields().Delete(c.dropped);
            db->Close();
        }
        choose("Smith");
        desk.answerAnyMessage(forms::vbOK);
        closeAll();
        before = support::readBytes(w.PersDbPath);
        const std::size_t shownBefore = desk.messages().size();
        ASSERT_TRUE(w.click("cmdImpSelAss"));
        EXPECT_NO_THROW(app::openExclusive(w.PersDbPath)->Close()) << "no handle left open";
        closeAll();
        ASSERT_EQ(desk.messages().size(), shownBefore + 1) << desk.transcript();
        const std::string shown = desk.messages().back();
        EXPECT_EQ(shown.rfind("The client A. Smith (7) could not be imported", 0), 0u) << shown;
        EXPECT_NE(shown.find(c.table), std::string::npos) << shown;
        EXPECT_NE(shown.find(c.dropped), std::string::npos) << shown;
        EXPECT_EQ(shown.find("completed"), std::string::npos) << shown;
        EXPECT_TRUE(unchanged());
        EXPECT_EQ(w.HScroll2.Value(), 16384) << "the bar stops where the client was read";
        EXPECT_FALSE(w.cmdOk.Enabled());
    }
}

// A list that lost its selection while the flag stays set chooses no one.
TEST_F(SelectedIndividualImport, AStaleSelectionFocusesTheListAndWritesNothing) {
    prepare("", {57});
    choose("Smith");
    w.lstPrevYear.setListIndex(-1);
    w.PrevYearSelected = 1;
    w.SelectedPersNo = 0;
    closeAll();
    before = support::readBytes(w.PersDbPath);
    ASSERT_TRUE(w.click("cmdImpSelAss"));
    EXPECT_TRUE(desk.messages().empty()) << desk.transcript();
    EXPECT_TRUE(w.lstPrevYear.hasFocus());
    EXPECT_EQ(w.SelectedPersNo, 0);
    closeAll();
    EXPECT_TRUE(unchanged());
}

} // namespace
} // namespace carry_test
