// The stand-alone import through the window: every kind's clients arrive under the numbers
// that follow the network's, with their rows and free record locks; any failure leaves all
// three network files as they were and says why; the source is read again, and only from
// copies this click made.

#include "StandAloneFixture.h"
#include "engine/CommitFaults.h"
#include "engine/LockWait.h"
#include "runtime/VariantOps.h"
#include "standalone/StandAloneMessages.h"
#include "support/OtherProcess.h"
#include "transfer/ImportEndMessages.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace standalone_test {
namespace {

const std::string kSuccess = "The File Transfer has been successfull !";

// Individuals 15, 3 and 8 (3 locked by a user), with rows in a few detail tables and one
// orphan row numbered as a client will be; trusts 7 and 2; companies 7 and 2 beside them.
Rows standAloneRows() {
    Rows rows;
    for (double n : {15.0, 3.0, 8.0}) {
        rows.push_back({"Qolb2018",
                        {{"DCLNO", n},
                         {"Surname", "S" + runtime::CStr(Variant(n))},
                         {"UserName", n == 3 ? Variant("ann") : Variant()},
                         {"Email", "old@x"},
                         {"Email75", "new@x"}}});
        rows.push_back({"Qolb2018Cont", {{"DCLNO", n}}});
        rows.push_back({"OMedCosts", {{"DCLNO", n}, {"Amount", n}}});
    }
    rows.push_back({"CARALL", {{"DCLNO", 8.0}}});
    rows.push_back({"CARALL", {{"DCLNO", 59.0}}}); // orphan
    for (double n : {7.0, 2.0}) {
        rows.push_back({"TRUSTDetails", {{"TDCLNO", n}, {"UserName", "bob"}}});
        rows.push_back({"CapExempt", {{"TDCLNO", n}, {"Amount", n}}});
    }
    return rows;
}

void makeStandAloneCompanies(const std::string& path) {
    support::DatabaseFile(path, FileKind::Company)
        .row("CompanyDetails", {{"CDCLNO", 7.0}, {"UserName", "cat"}})
        .row("CompanyDetails", {{"CDCLNO", 2.0}})
        .row("Adjustments", {{"CDCLNO", 7.0}, {"Amount", 7.0}})
        .row("Adjustments", {{"CDCLNO", 2.0}, {"Amount", 2.0}})
        .row("Adjustments", {{"CDCLNO", 1.0}, {"Amount", -1.0}}) // orphan
        .make();
}

class StandAloneImport : public StandAloneFixture {
protected:
    void prepareSource() {
        makeStandAlone(sourcePath(), standAloneRows());
        makeStandAloneCompanies(sourceCompanyPath());
        locate(sourcePath());
    }
    void clickImport(const std::vector<std::pair<std::string, int>>& messages) {
        for (const auto& [text, style] : messages)
            desk.expectMessage(text, style, "", forms::vbOK);
        ASSERT_TRUE(w.click("cmdImportNow"));
        EXPECT_TRUE(desk.verify()) << desk.transcript();
    }
    std::vector<double> range(double first, double last) {
        std::vector<double> out;
        for (double n = first; n <= last; ++n)
            out.push_back(n);
        return out;
    }
};

TEST_F(StandAloneImport, AllThreeKindsIntoEmptyAndFilledNetworkFiles) {
    for (const double highest : {0.0, 57.0}) {
        SCOPED_TRACE(highest);
        std::filesystem::remove_all(net.path());
        std::filesystem::create_directories(net.path());
        Rows people, trusts, companies;
        if (highest > 0) {
            people.push_back({"Qolb2018", {{"DCLNO", highest}}}); // lock fields Null
            trusts.push_back({"TRUSTDetails", {{"TDCLNO", highest}}});
            companies.push_back({"CompanyDetails", {{"CDCLNO", highest}}});
        }
        makeNetwork(people, trusts, companies);
        if (highest == 0) prepareSource();
        clickImport({{kSuccess, forms::vbOKOnly}});

        const double b = highest;
        std::vector<double> main = range(b + 1, b + 3);
        if (b > 0) main.insert(main.begin(), b);
        EXPECT_EQ(numbers(w.PersDbPath, "Qolb2018", "DCLNO"), main);
        EXPECT_EQ(numbers(w.PersDbPath, "Qolb2018Cont", "DCLNO"), range(b + 1, b + 3));
        EXPECT_EQ(numbers(w.PersDbPath, "CARALL", "DCLNO"), std::vector<double>{b + 2})
            << "client 8 is the second; the orphan stays behind";
        // Form D's rows go with their client: 15 is the third.
        EXPECT_EQ(runtime::CDbl(valueOf(w.PersDbPath, "OMedCosts", "DCLNO", b + 3, "Amount")), 15);
        EXPECT_EQ(runtime::CStr(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "UserName")), "");
        EXPECT_EQ(runtime::CDbl(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "DateLastSaved")),
                  0);
        EXPECT_TRUE(runtime::IsNull(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "Email")));
        EXPECT_EQ(runtime::CStr(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b + 1, "Email75")),
                  "new@x");

        std::vector<double> trustMain = range(b + 1, b + 2);
        if (b > 0) trustMain.insert(trustMain.begin(), b);
        EXPECT_EQ(numbers(w.TrustDbPath, "TRUSTDetails", "TDCLNO"), trustMain);
        EXPECT_EQ(runtime::CDbl(valueOf(w.TrustDbPath, "CapExempt", "TDCLNO", b + 2, "Amount")), 7);
        EXPECT_EQ(
            runtime::CStr(valueOf(w.TrustDbPath, "TRUSTDetails", "TDCLNO", b + 2, "UserName")), "");
        EXPECT_EQ(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO"), trustMain);
        EXPECT_EQ(numbers(w.CompDbPath, "Adjustments", "CDCLNO"), range(b + 1, b + 2));
        EXPECT_EQ(runtime::CDbl(
                      valueOf(w.CompDbPath, "CompanyDetails", "CDCLNO", b + 2, "DateLastSaved")),
                  0);
        if (b > 0) { // the rows that were there have their locks freed too
            EXPECT_EQ(runtime::CStr(valueOf(w.PersDbPath, "Qolb2018", "DCLNO", b, "UserName")), "");
        }

        EXPECT_FALSE(program.exists("Qolb2018.Mdb"));
        EXPECT_FALSE(program.exists("QolbCompany2018.MDB"));
        EXPECT_FALSE(w.Animation1.Visible());
        EXPECT_TRUE(w.Frame12.Visible());
        EXPECT_EQ(desk.mousePointer(), forms::vbDefault);
        EXPECT_EQ(numbers(sourcePath(), "Qolb2018", "DCLNO"), (std::vector<double>{3, 8, 15}))
            << "the stand-alone file is never changed";
    }
}

// Every failure of any kind leaves all three network files as they were, and one box names
// the kind, the client where one was refused, the engine's number and text, and says that
// nothing was added.
TEST_F(StandAloneImport, AnyFailureLeavesAllThreeNetworkFilesAsTheyWereAndSaysWhy) {
    struct Case {
        std::string what;
        std::function<void()> spoil; // after the source was made and located
        std::string kindAndClient;   // how the box begins, after "The "
        int number;
    };
    std::optional<support::OtherProcess> other;
    const std::string nothing = ". Nothing has been added to the network databases: none of the "
                                "individuals, trusts or companies.";
    // The source's field of `type` holds `value` for client 8, which the network's field
    // cannot hold.
    auto unfit = [&](const std::string& field, int type, const std::string& value) {
        return [=, this] {
            auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(sourcePath());
            support::retype(*db, "Qolb2018", field, type);
            db->Execute("UPDATE Qolb2018 SET " + field + " = " + value + " WHERE DCLNO = 8");
            db->Close();
        };
    };
    const Case cases[] = {
        {"the network file lacks a detail table",
         [&] {
             std::filesystem::remove(w.TrustDbPath);
             support::DatabaseFile(w.TrustDbPath, FileKind::Trust).only({"TRUSTDetails"}).make();
         },
         "trusts of the stand-alone database could not be imported: ", 3078},
        {"the source lacks a field",
         [&] {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(sourcePath());
             db->TableDefs().Item("CapExempt")->Fields().Delete("Amount");
             db->Close();
         },
         "trusts of the stand-alone database could not be imported: ", 3061},
        {"an over-long text",
         [&] {
             std::filesystem::remove(sourceCompanyPath());
             support::DatabaseFile(sourceCompanyPath(), FileKind::Company)
                 .resize("CompanyDetails", "CompanyRegName", 200)
                 .row("CompanyDetails", {{"CDCLNO", 2.0}, {"CompanyRegName", "Short"}})
                 .row("CompanyDetails", {{"CDCLNO", 7.0}, {"CompanyRegName", std::string(90, 'L')}})
                 .make();
         },
         "companies of the stand-alone database could not be imported, at the client " +
             std::string(90, 'L') + " (7): ",
         3163},
        {"a number beyond the network field's range", unfit("PERS5", engine::dbDouble, "1e15"),
         "individuals of the stand-alone database could not be imported, at the client S8 (8): "
         "Numeric field overflow. Field 'Qolb2018.PERS5'.",
         3349},
        {"a client number that is no number",
         [&] {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(sourcePath());
             support::retype(*db, "Qolb2018", "DCLNO", engine::dbText);
             for (const auto& [client, number] :
                  {std::pair{"S15", "15"}, {"S3", "3"}, {"S8", "abc"}})
                 db->Execute(std::string("UPDATE Qolb2018 SET DCLNO = '") + number +
                             "' WHERE Surname = '" + client + "'");
             db->Close();
         },
         "individuals of the stand-alone database could not be imported, at the client S8 "
         "(abc): Data type conversion error. Field 'Qolb2018.DCLNO'.",
         3421},
        {"a text where the network field holds a number", unfit("ICGT", engine::dbText, "'abc'"),
         "individuals of the stand-alone database could not be imported, at the client S8 (8): "
         "Data type conversion error. Field 'Qolb2018.ICGT'.",
         3421},
        {"a client without a number",
         [&] {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(sourcePath());
             db->Execute("UPDATE TRUSTDetails SET TDCLNO = Null WHERE TDCLNO = 7");
             db->Close();
         },
         "trusts of the stand-alone database could not be imported, at a client without a "
         "number: ",
         3022},
        {"two clients of one number",
         [&] {
             auto db = engine::DBEngine::instance().Workspaces(0).OpenDatabase(sourceCompanyPath());
             db->Execute("UPDATE CompanyDetails SET CDCLNO = 7");
             db->Close();
         },
         "companies of the stand-alone database could not be imported, at the clients numbered "
         "7: ",
         3022},
        {"another workstation holds the file exclusively",
         [&] { other.emplace(w.TrustDbPath, true); },
         "trusts of the stand-alone database could not be imported: ", 3045},
        {"another process writes to the file",
         [&] {
             other.emplace([path = w.CompDbPath] {
                 auto& ws = engine::DBEngine::instance().Workspaces(0);
                 auto db = ws.OpenDatabase(path);
                 ws.BeginTrans();
                 db->Execute("INSERT INTO Adjustments (CDCLNO) VALUES (99)");
                 return std::shared_ptr<void>(db);
             });
             engine::setLockWait(std::chrono::milliseconds(300));
         },
         "companies of the stand-alone database could not be imported: ", 3260},
        {"the disk fills late, as the files commit",
         [] { engine::CommitFaults::failAt(engine::CommitStep::AfterFirstFile); },
         "stand-alone database could not be imported: ", 3043},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& dir : {net.path(), src.path()}) {
            std::filesystem::remove_all(dir);
            std::filesystem::create_directories(dir);
        }
        makeNetwork({{"Qolb2018", {{"DCLNO", 1.0}}}}, {}, {{"CompanyDetails", {{"CDCLNO", 1.0}}}});
        prepareSource();
        c.spoil();
        closeAll();
        const std::string files[] = {w.PersDbPath, w.TrustDbPath, w.CompDbPath};
        std::vector<std::string> before;
        for (const std::string& f : files)
            before.push_back(support::readBytes(f));

        desk.answerAnyMessage(forms::vbOK);
        const std::size_t shown = desk.messages().size();
        ASSERT_TRUE(w.click("cmdImportNow"));
        engine::CommitFaults::clear();
        engine::setLockWait(engine::kLockWait);
        other.reset();
        closeAll();

        const std::vector<std::string> all = desk.messages();
        const std::vector<std::string> boxes(all.begin() + long(shown), all.end());
        ASSERT_EQ(boxes.size(), 1u) << desk.transcript();
        EXPECT_EQ(boxes[0].rfind("The " + c.kindAndClient, 0), 0u) << boxes[0];
        EXPECT_NE(boxes[0].find("(error " + std::to_string(c.number) + ")" + nothing),
                  std::string::npos)
            << boxes[0];
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(support::readBytes(files[i]), before[i]) << files[i];
        EXPECT_FALSE(program.exists("Qolb2018.Mdb"));
        EXPECT_FALSE(program.exists("QolbCompany2018.MDB"));
    }
}

// The network's own file chosen as the source, under another name: refused at the locate
// and again at the click, naming the file, before anything is written.
TEST_F(StandAloneImport, TheNetworkFileItselfIsRefusedAsTheSource) {
    makeNetwork({{"Qolb2018", {{"DCLNO", 1.0}}}});
    makeStandAlone(sourcePath(), standAloneRows());
    makeStandAloneCompanies(sourceCompanyPath());
    const std::string alias = src.file("Qolb2018.mdb");
    std::filesystem::remove(alias);
    std::filesystem::create_symlink(w.PersDbPath, alias);
    desk.expectOpenDialog(alias);
    desk.expectMessage(transfer::msg::sourceIsThisYear(alias), forms::vbCritical, "", forms::vbOK);
    ASSERT_TRUE(w.click("cmdLocateImportDBs"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_FALSE(w.cmdImportNow.Enabled());

    w.cmdImportNow.setEnabled(true); // as a locate of the network files does
    closeAll();
    const std::string before = support::readBytes(w.PersDbPath);
    clickImport({{transfer::msg::sourceIsThisYear(alias), forms::vbCritical}});
    EXPECT_EQ(support::readBytes(w.PersDbPath), before);
}

// The import lets events through while it runs: the page's buttons are refused meanwhile.
TEST_F(StandAloneImport, ThePageRefusesItsButtonsWhileTheImportRuns) {
    makeNetwork();
    prepareSource();
    std::vector<bool> taken;
    desk.atDoEvents([&] { taken = {w.click("cmdImportNow"), w.click("cmdLocateImportDBs")}; });
    clickImport({{kSuccess, forms::vbOKOnly}});
    EXPECT_EQ(taken, (std::vector<bool>{false, false}));
    EXPECT_EQ(numbers(w.PersDbPath, "Qolb2018", "DCLNO"), range(1, 3)) << "imported once";
}

TEST_F(StandAloneImport, TheSourceIsReadAgainAtTheClick) {
    makeNetwork();
    prepareSource();
    // Replaced since it was located by a file of the first structure.
    std::filesystem::remove(sourcePath());
    makeStandAlone(sourcePath(), standAloneRows(), Variant(std::int16_t{1}));
    clickImport({{standalone::msg::oldVersion(), forms::vbOKOnly}});
    EXPECT_FALSE(w.cmdImportNow.Enabled());
    EXPECT_TRUE(numbers(w.PersDbPath, "Qolb2018", "DCLNO").empty());
    EXPECT_TRUE(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO").empty());
}

TEST_F(StandAloneImport, TheSourceInTheProgramFolderIsRefused) {
    makeNetwork();
    const std::string inProgram = program.file("qolb2018.MDB");
    makeStandAlone(inProgram, standAloneRows());
    locate(inProgram);
    clickImport({{standalone::msg::sourceIsWorkingCopy(inProgram), forms::vbCritical}});
    EXPECT_EQ(numbers(inProgram, "Qolb2018", "DCLNO"), (std::vector<double>{3, 8, 15}));
    EXPECT_TRUE(numbers(w.PersDbPath, "Qolb2018", "DCLNO").empty());
}

TEST_F(StandAloneImport, ALeftoverCopyIsNeverImported) {
    makeNetwork();
    makeStandAlone(sourcePath(), standAloneRows());
    locate(sourcePath());
    // An earlier click left its company copy; this time the company file is missing.
    makeStandAloneCompanies(program.file("QolbCompany2018.MDB"));
    desk.answerAnyMessage(forms::vbOK);
    ASSERT_TRUE(w.click("cmdImportNow"));
    const std::vector<std::string> shown = desk.messages();
    ASSERT_EQ(shown.size(), 1u) << desk.transcript();
    EXPECT_EQ(shown[0].rfind("The companies of the stand-alone database could not be imported", 0),
              0u)
        << shown[0];
    EXPECT_TRUE(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO").empty());
    EXPECT_TRUE(numbers(w.PersDbPath, "Qolb2018", "DCLNO").empty()) << "nothing without all";
}

TEST_F(StandAloneImport, LocksNotFreedWhileAWorkstationHoldsTheFileAreSaid) {
    makeNetwork();
    prepareSource();
    support::OtherProcess workstation(w.CompDbPath, false);
    ASSERT_TRUE(workstation.acquired());
    clickImport({{std::string(transfer::msg::LockFieldsInUse), forms::vbExclamation}});
    workstation.release();
    EXPECT_EQ(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO"), range(1, 2));
    EXPECT_TRUE(
        runtime::IsNull(valueOf(w.CompDbPath, "CompanyDetails", "CDCLNO", 1, "DateLastSaved")));
}

TEST_F(StandAloneImport, CancelAtAFailingMediumImportsNothing) {
    makeNetwork();
    prepareSource();
    // The program folder is gone, so no working copy can be made.
    desk.setProgramFolder(program.file("gone"));
    const std::string media = "There is a problem with the Chosen Media!";
    // Given up at the individuals' copy: the companies' alone would be no import at all.
    desk.expectMessage(media, forms::vbOKCancel, "Chosen Media Empty/Faulty!", forms::vbCancel);
    ASSERT_TRUE(w.click("cmdImportNow"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_TRUE(numbers(w.PersDbPath, "Qolb2018", "DCLNO").empty());
    EXPECT_TRUE(numbers(w.TrustDbPath, "TRUSTDetails", "TDCLNO").empty());
    EXPECT_TRUE(numbers(w.CompDbPath, "CompanyDetails", "CDCLNO").empty());
    EXPECT_FALSE(w.Animation1.Visible());
}

} // namespace
} // namespace standalone_test
