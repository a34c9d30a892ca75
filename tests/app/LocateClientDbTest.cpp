#include "StartupFixture.h"
#include "runtime/VariantOps.h"
#include "support/OtherProcess.h"

#include <filesystem>
#include <fstream>

namespace apptest {
namespace {

namespace fs = std::filesystem;

std::string notFoundText() {
    return std::string("Database can not be found in the default folder!") + kCrLf +
           "Do you want to set the search path?";
}
std::string noPathText() {
    return std::string("No path has been set.") + kCrLf +
           "Do you want to continue setting the path?";
}
std::string incorrectFileText() {
    return std::string("Incorrect File Selected!") + kCrLf + "Do you want to locate correct file?";
}

// Complete files in the program folder, and a copy of the network files elsewhere.
class ClientLocationTest : public StartupTest {
protected:
    void SetUp() override {
        prepareCompleteFiles();
        for (const auto& [from, name] : {std::pair{persDb(), "/Qolb2018LAN.mdb"},
                                         {trustDb(), "/QolbTrust2018Lan.Mdb"},
                                         {compDb(), "/QolbCompany2018Lan.Mdb"}})
            fs::copy_file(from, elsewhere.path() + name);
        setFirstValue(otherPers(), "DefInvOpt", "UpDateDB", std::int16_t(2));
        closeAll();
    }
    std::string otherPers() const { return elsewhere.path() + "/Qolb2018LAN.mdb"; }
    std::string otherTrust() const { return elsewhere.path() + "/QolbTrust2018Lan.Mdb"; }
    std::string otherComp() const { return elsewhere.path() + "/QolbCompany2018Lan.Mdb"; }
    std::string notADatabase() const {
        const std::string path = elsewhere.path() + "/Notes.mdb";
        std::ofstream(path) << "plain text";
        return path;
    }

    support::TempFolder elsewhere;
};

// --- at start ---

TEST_F(ClientLocationTest, AnEmptyPathFileAsksAtOnceAndTheOtherFilesFollowTheChosenFolder) {
    folder.write("\\DBMPath.Txt", "");
    const std::string renamed = elsewhere.path() + "/Clients.mdb";
    fs::rename(otherPers(), renamed);

    desk.expectOpenDialog(renamed);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    const auto& dialog = desk.shown()[0].request;
    EXPECT_EQ(dialog.DialogTitle, "Locate File Name : Qolb2018LAN.mdb");
    EXPECT_EQ(dialog.FileName, "");
    EXPECT_EQ(dialog.Flags, 6144);
    EXPECT_EQ(win.PersDbPath, renamed);
    EXPECT_EQ(win.TrustDbPath, otherTrust());
    EXPECT_EQ(win.CompDbPath, otherComp());
    EXPECT_EQ(win.txtQolbTrustDB.Text(), otherTrust());
    EXPECT_EQ(win.txtQolbCompDBImport.Text(), otherComp());
    EXPECT_EQ(win.txtQolbDBVersion.Text(), "2");
    EXPECT_EQ(clientPathFile(), pathLine({renamed, otherTrust(), otherComp()}));
}

TEST_F(ClientLocationTest, AnEmptyPathFileAndNoAnswerLeaveTheWindowWithoutItsLastSetUp) {
    folder.write("\\DBMPath.Txt", "");
    desk.expectDialogCancel();
    desk.expectMessage(noPathText(), forms::vbYesNo, "Main Quolby2018 Database not found!",
                       forms::vbNo);
    expectClosingQuestion(forms::vbNo);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_TRUE(win.isLoaded());
    EXPECT_EQ(win.txtQolbDBImport.Text(), "");
    EXPECT_EQ(win.ImportKind, "PI");
    EXPECT_EQ(clientPathFile(), "");
}

TEST_F(ClientLocationTest, AChosenFileThatCannotBeOpenedOrIsNoDatabaseIsAskedAbout) {
    folder.write("\\DBMPath.Txt", "");
    const std::string foreign = notADatabase();
    engine::ScopedOpenFault unreachable(otherPers(), 3043);

    desk.expectOpenDialog(foreign);
    desk.expectMessage(notFoundText(), forms::vbYesNo, "Main Quolby2018 Database not found!",
                       forms::vbYes);
    desk.expectOpenDialog(otherPers());
    desk.expectMessage(notFoundText(), forms::vbYesNo, "Main Quolby2018 Database not found!",
                       forms::vbYes);
    desk.expectOpenDialog(persDb());
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(win.PersDbPath, persDb());
    EXPECT_EQ(clientPathFile(), pathLine({persDb(), trustDb(), compDb()}));
}

TEST_F(ClientLocationTest, ACancelAfterTheNotFoundQuestionUnloadsTheWindow) {
    folder.write("\\DBMPath.Txt", "");
    engine::ScopedOpenFault unreachable(otherPers(), 3043);
    desk.expectOpenDialog(otherPers());
    desk.expectMessage(notFoundText(), forms::vbYesNo, "Main Quolby2018 Database not found!",
                       forms::vbYes);
    desk.expectDialogCancel();
    expectClosingQuestion(forms::vbYes);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_FALSE(win.isLoaded());
}

TEST_F(StartupTest, AnIndividualsFileHeldByAnotherWorkstationIsNeitherAskedForNorRead) {
    prepareCompleteFiles();
    support::OtherProcess workstation(persDb(), false);
    ASSERT_TRUE(workstation.acquired());

    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    for (auto* box : {&win.txtQolbDBVersion, &win.txtQolbTrustDBVersion, &win.txtQolbCompDBVersion,
                      &win.txtQolbDBVersionImport, &win.txtQolbTrustDBVersionImport,
                      &win.txtQolbCompDBVersionImport})
        EXPECT_EQ(box->Text(), "") << box->Name();
    EXPECT_EQ(win.txtQolbDB.Text(), persDb());
    EXPECT_EQ(win.txtQolbCompDBImport.Text(), compDb());
    EXPECT_EQ(clientPathFile(), pathLine({persDb(), trustDb(), compDb()}));
    EXPECT_EQ(win.ImportKind, "PI");
}

// --- the locate button ---

class LocateButtonTest : public ClientLocationTest {
protected:
    void SetUp() override {
        ClientLocationTest::SetUp();
        start();
        ASSERT_TRUE(desk.verify());
        // As the network probe leaves the window.
        window->NetworkProblem = true;
        for (auto* b : buttons())
            b->setEnabled(false);
    }
    std::vector<forms::CommandButton*> buttons() {
        return {&window->cmdBackUp, &window->cmdRestore, &window->cmdClearUsers,
                &window->cmdLocateImportDBs, &window->cmdImportNow};
    }
    void expectNothingChanged() {
        EXPECT_EQ(window->PersDbPath, persDb());
        EXPECT_EQ(window->TrustDbPath, trustDb());
        EXPECT_EQ(window->CompDbPath, compDb());
        EXPECT_EQ(window->txtQolbDB.Text(), persDb());
        EXPECT_EQ(window->txtQolbCompDB.Text(), compDb());
        EXPECT_EQ(window->txtQolbDBVersion.Text(), "3");
        EXPECT_EQ(clientPathFile(), pathLine({persDb(), trustDb(), compDb()}));
        EXPECT_TRUE(window->NetworkProblem);
        for (auto* b : buttons())
            EXPECT_FALSE(b->Enabled()) << b->Name();
    }
    void expectIncorrectFile(int answer) {
        desk.expectMessage(incorrectFileText(), forms::vbYesNo,
                           " Quolby 2017 NetWork Database not found!", answer);
    }
};

TEST_F(LocateButtonTest, ASoundFileBecomesTheNewLocation) {
    desk.expectOpenDialog(otherPers());
    window->click("cmdLocateClientDB");
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(desk.shown()[0].request.FileName, persDb());
    EXPECT_EQ(window->txtQolbDB.Text(), otherPers());
    EXPECT_EQ(window->txtQolbTrustDB.Text(), otherTrust());
    EXPECT_EQ(window->txtQolbCompDB.Text(), otherComp());
    for (auto* box :
         {&window->txtQolbDBVersion, &window->txtQolbTrustDBVersion, &window->txtQolbCompDBVersion})
        EXPECT_EQ(box->Text(), "2");
    EXPECT_EQ(clientPathFile(), pathLine({otherPers(), otherTrust(), otherComp()}));
    EXPECT_FALSE(window->NetworkProblem);
    for (auto* b : buttons())
        EXPECT_TRUE(b->Enabled()) << b->Name();
}

TEST_F(LocateButtonTest, ACancelledDialogChangesNothing) {
    desk.expectDialogCancel();
    window->click("cmdLocateClientDB");
    expectNothingChanged();
}

TEST_F(LocateButtonTest, RefusingAWrongFileAndStayingOpenKeepsEverythingAsItWas) {
    desk.expectOpenDialog(otherTrust()); // no table Qolb2018
    expectIncorrectFile(forms::vbNo);
    expectClosingQuestion(forms::vbNo);
    window->click("cmdLocateClientDB");
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    EXPECT_TRUE(window->isLoaded());
    expectNothingChanged();
}

TEST_F(LocateButtonTest, ACancelInsideTheQuestionLoopEndsIt) {
    desk.expectOpenDialog(otherTrust());
    expectIncorrectFile(forms::vbYes);
    desk.expectDialogCancel();
    window->click("cmdLocateClientDB");
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    expectNothingChanged();
}

TEST_F(LocateButtonTest, AFileThatIsNoDatabaseIsAnIncorrectFile) {
    const std::string foreign = notADatabase();
    desk.expectOpenDialog(foreign);
    expectIncorrectFile(forms::vbYes);
    desk.expectOpenDialog(otherPers());
    window->click("cmdLocateClientDB");
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(desk.shown()[2].request.FileName, foreign);
    EXPECT_EQ(clientPathFile(), pathLine({otherPers(), otherTrust(), otherComp()}));
}

TEST_F(LocateButtonTest, APathWithADoubleQuoteIsRefused) {
    desk.expectOpenDialog(elsewhere.path() + "/say \"hi\"/Qolb2018LAN.mdb");
    expectQuotedPathRefused();
    window->click("cmdLocateClientDB");
    EXPECT_TRUE(desk.verify()) << desk.transcript();
    expectNothingChanged();
}

} // namespace
} // namespace apptest
