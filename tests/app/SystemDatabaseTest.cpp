#include "StartupFixture.h"
#include "engine/EngineErrors.h"
#include "runtime/VariantOps.h"

#include <filesystem>

namespace apptest {
namespace {

namespace fs = std::filesystem;
using runtime::Variant;

std::string notFoundText() {
    return std::string("Database can not be found in the default folder!") + kCrLf +
           "Do you want to set the search path?";
}
std::string noPathText() {
    return std::string("No path has been set.") + kCrLf +
           "Do you want to continue setting the path?";
}

TEST_F(StartupTest, AnOldSystemDatabaseIsUpgradedAndKeepsItsRows) {
    prepareCompleteFiles();
    setFirstValue(sysDb(), "DefInvOpt", "UpDateDB", std::int16_t(0), kSysPwd);
    setFirstValue(sysDb(), "DefInvOpt", "VerNum", 99.0, kSysPwd);
    addRow(sysDb(), "UserNames", {{"UserName", "ANNE"}, {"LoggedOn", false}}, kSysPwd);
    closeAll();

    app::frmSysAdmin& win = start();
    closeAll();

    EXPECT_EQ(rowCount(sysDb(), "DefInvOpt", kSysPwd), 1);
    EXPECT_EQ(runtime::CInt(firstValue(sysDb(), "DefInvOpt", "UpDateDB", kSysPwd)), 1);
    EXPECT_EQ(firstValue(sysDb(), "DefInvOpt", "VerNum", kSysPwd), Variant(99.0));
    EXPECT_EQ(column(sysDb(), "UserNames", "UserName", kSysPwd), std::vector<Variant>{"ANNE"});
    EXPECT_EQ(win.txtQolbSysAdminDBVersion.Text(), "1");
}

TEST_F(StartupTest, AMissingSystemDatabaseIsCreatedOnceAndAHigherVersionIsLeftAlone) {
    prepareCompleteFiles();
    fs::remove(sysDb());
    start();
    closeAll();
    EXPECT_EQ(rowCount(sysDb(), "DefInvOpt", kSysPwd), 1);

    setFirstValue(sysDb(), "DefInvOpt", "UpDateDB", std::int16_t(5), kSysPwd);
    closeAll();
    app::frmSysAdmin& win = start();
    closeAll();
    EXPECT_EQ(rowCount(sysDb(), "DefInvOpt", kSysPwd), 1);
    EXPECT_EQ(runtime::CInt(firstValue(sysDb(), "DefInvOpt", "UpDateDB", kSysPwd)), 5);
    EXPECT_EQ(win.txtQolbSysAdminDBVersion.Text(), "5");
}

TEST_F(StartupTest, TheUserListIsLoadedInNameOrderAndLoggedOnUsersLockIt) {
    prepareCompleteFiles();
    for (const auto& [name, on] : {std::pair{"C", true}, {"A", false}, {"B", false}})
        addRow(sysDb(), "UserNames", {{"UserName", name}, {"LoggedOn", on}}, kSysPwd);
    closeAll();

    app::frmSysAdmin& win = start();

    EXPECT_EQ(win.List1.items(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(win.txtUserName.Text(), "A");
    EXPECT_EQ(win.UserCount, 3);
    EXPECT_TRUE(win.UsersLoggedOn);
    EXPECT_TRUE(win.cmdOk.Enabled());
    for (auto* b : {&win.cmdAddNew, &win.cmdEdit, &win.cmdDelete, &win.cmdUpdate})
        EXPECT_FALSE(b->Enabled()) << b->Name();
    EXPECT_TRUE(win.Frame1.Visible());
}

TEST_F(StartupTest, ASystemDatabaseWithAnotherPasswordIsNamedAndTheStartGoesOn) {
    prepareCompleteFiles();
    fs::remove(sysDb());
    engine::DBEngine::instance()
        .Workspaces(0)
        .CreateDatabase(sysDb(), ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=other")
        ->Close();
    folder.write("\\DBSysPath.txt", pathLine({sysDb()}));

    desk.expectMessage("Error 3031: Not a valid password.", forms::vbCritical, "", forms::vbOK);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(win.List1.ListCount(), 0);
    EXPECT_EQ(win.txtUserMainDB.Text(), sysDb());
    EXPECT_EQ(win.txtQolbDB.Text(), persDb()); // the client phase ran
    EXPECT_EQ(sysPathFile(), pathLine({sysDb()}));
    EXPECT_EQ(win.ImportKind, "PI");
}

TEST_F(StartupTest, AFailureAfterTheSystemDatabaseOpenedIsNamedAndTheStartGoesOn) {
    prepareCompleteFiles();
    addRow(sysDb(), "UserNames", {{"UserName", "ANNE"}, {"LoggedOn", false}}, kSysPwd);
    {
        auto db = openDb(sysDb(), kSysPwd);
        db->TableDefs().Item("DefInvOpt")->Fields().Delete("UpDateDB");
        db->Close();
    }
    closeAll();

    desk.expectMessage("Error 3265: " + engine::engineErrorMessage(3265, "UpDateDB"),
                       forms::vbCritical, "", forms::vbOK);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(win.List1.items(), std::vector<std::string>{"ANNE"});
    EXPECT_EQ(win.txtQolbSysAdminDBVersion.Text(), "");
    EXPECT_EQ(win.txtQolbDB.Text(), persDb());
    EXPECT_EQ(win.ImportKind, "PI");
}

class SystemLocationTest : public StartupTest {
protected:
    void SetUp() override {
        prepareCompleteFiles();
        gone = folder.path() + "/gone/SysAdmin2018.mdb";
        folder.write("\\DBSysPath.txt", pathLine({gone}));
    }
    void expectNotFound(int answer) {
        desk.expectMessage(notFoundText(), forms::vbYesNo, "The System Admin Database not found!",
                           answer);
    }
    std::string gone;
};

TEST_F(SystemLocationTest, YesAndAChosenFileEndTheQuestions) {
    expectNotFound(forms::vbYes);
    desk.expectOpenDialog(trustDb()); // no table UserNames: the question comes back
    expectNotFound(forms::vbYes);
    desk.expectOpenDialog(sysDb());
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    const auto& dialog = desk.shown()[1].request;
    EXPECT_EQ(dialog.DialogTitle, "Locate File Name : SysAdmin2018");
    EXPECT_EQ(dialog.Flags, 6144);
    EXPECT_EQ(dialog.InitDir, folder.path());
    EXPECT_EQ(dialog.Filter, "Access Database (.mdb)|*.mdb");
    EXPECT_EQ(win.txtUserMainDB.Text(), sysDb());
    EXPECT_EQ(sysPathFile(), pathLine({sysDb()}));
    EXPECT_EQ(win.txtQolbDB.Text(), persDb());
}

TEST_F(SystemLocationTest, NoUnloadsTheWindowAndTheLaterPhasesDoNotRun) {
    expectNotFound(forms::vbNo);
    expectClosingQuestion(forms::vbNo);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_TRUE(win.isLoaded());
    EXPECT_EQ(win.txtQolbDB.Text(), "");
    EXPECT_EQ(win.txtQolbDBImport.Text(), "");
    EXPECT_EQ(win.ImportKind, "PI");
    EXPECT_EQ(sysPathFile(), pathLine({gone}));
    EXPECT_EQ(desk.mousePointer(), forms::vbDefault);
}

TEST_F(SystemLocationTest, ACancelledDialogUnloadsTheWindow) {
    expectNotFound(forms::vbYes);
    desk.expectDialogCancel();
    expectClosingQuestion(forms::vbYes);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_FALSE(win.isLoaded());
    EXPECT_TRUE(frame->isLoaded()); // the empty frame stays
}

TEST_F(StartupTest, AnEmptySystemPathFileAsksAtOnceUntilAFileIsChosen) {
    prepareCompleteFiles();
    folder.write("\\DBSysPath.txt", "");

    desk.expectDialogCancel();
    desk.expectMessage(noPathText(), forms::vbYesNo, "Main SysAdmin2018.Mdb Database not found!",
                       forms::vbYes);
    desk.expectOpenDialog(sysDb());
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(desk.shown()[0].request.DialogTitle, "Locate File Name : SysAdmin2018.Mdb");
    EXPECT_EQ(sysPathFile(), pathLine({sysDb()}));
    EXPECT_EQ(win.txtUserMainDB.Text(), sysDb());
    EXPECT_EQ(win.txtQolbDB.Text(), persDb());
}

TEST_F(StartupTest, AnEmptySystemPathFileStaysEmptyWhenTheAdministratorGivesUp) {
    prepareCompleteFiles();
    folder.write("\\DBSysPath.txt", "");

    desk.expectDialogCancel();
    desk.expectMessage(noPathText(), forms::vbYesNo, "Main SysAdmin2018.Mdb Database not found!",
                       forms::vbNo);
    expectClosingQuestion(forms::vbNo);
    app::frmSysAdmin& win = start();
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    EXPECT_EQ(sysPathFile(), "");
    EXPECT_TRUE(win.isLoaded());
    EXPECT_EQ(win.List1.ListCount(), 0);
    EXPECT_EQ(win.txtQolbDB.Text(), "");
}

} // namespace
} // namespace apptest
