#include "ClearingFixture.h"
#include "app/MDIForm1.h"
#include "clearing/ClearingWiring.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"

#include <filesystem>
#include <functional>

namespace clearing_test {
namespace {

using forms::vbOK;
using forms::vbYes;

// The program as it starts in an empty folder, with this area attached: after every
// operation, however it ends, this program holds no file of the backup set (nor of its
// copy), so that no workstation is kept out and the next operation can open them.
class NothingHeldTest : public ::testing::Test {
protected:
    NothingHeldTest() {
        clearing::attach(w);
        frame.Show(); // builds the four files without a word
        EXPECT_TRUE(desk.verify());
        addRow(sysPath(), "UserNames", {{"UserName", "ann"}, {"LoggedOn", true}}, ";pwd=tevo");
        addRow(sysPath(), "UserNames", {{"UserName", "bob"}}, ";pwd=tevo");
        addRow(program.file("\\Qolb2018LAN.mdb"), "Qolb2018", {{"UserName", "ann"}});
        addRow(program.file("\\QolbTrust2018Lan.Mdb"), "TRUSTDetails", {{"UserName", "bob"}});
        closeAll();
    }
    ~NothingHeldTest() override { closeAll(); }

    std::string sysPath() const { return program.file("\\SysAdmin2018.mdb"); }
    std::vector<std::string> heldFiles() const {
        std::vector<std::string> held;
        for (const char* name : {"\\Qolb2018LAN.mdb", "\\QolbTrust2018Lan.Mdb",
                                 "\\QolbCompany2018Lan.Mdb", "\\SysAdmin2018.mdb"})
            for (const std::string& path : {program.file(name), bak.file(name)})
                if (engine::DBEngine::instance().isHeld(path)) held.push_back(path);
        return held;
    }

    support::ProgramFolder program;
    support::ScriptedDesktop& desk = program.desktop();
    support::TempFolder bak;
    app::frmSysAdmin w;
    app::MDIForm1 frame{w};
};

TEST_F(NothingHeldTest, NoOperationLeavesADatabaseOpen) {
    EXPECT_EQ(heldFiles(), std::vector<std::string>{}) << "start";

    const std::string restoreQuestion =
        "Performing this operation will copy Quolby database files from the 'Look in' source "
        "drive/path of your choice to the existing Quolby Admin program and will overwrite the "
        "databases that are currently there without warning. Please ensure that this is your "
        "intention. ?\r\nThere cannot be any Quolby assessment/data currently in memory so an "
        "initialisation of data will now be performed and then the database will be "
        "restored!\r\nDO YOU WANT TO CONTINUE WITH THIS OPERATION ?";
    const std::string mediaError = "There is a problem Writing to the Chosen Media?\r\nPlease "
                                   "ensure that the Device is available and has sufficient "
                                   "space for the file.\r\n";
    auto inUse = [&](const char* name, const std::string& consequence) {
        return "The database " + program.file(name) +
               " is open on another workstation.\r\nClose Quolby on every workstation and try "
               "again.\r\n" +
               consequence;
    };
    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const std::vector<Step> steps{
        {"page 1", [&] { w.SSIndexTab1.setTab(1); }},
        {"page 2", [&] { w.SSIndexTab1.setTab(2); }},
        {"page 0", [&] { w.SSIndexTab1.setTab(0); }},
        {"clearing one user",
         [&] {
             w.SSIndexTab1.setTab(1);
             ASSERT_TRUE(w.lstUsersLoggedOn.userSelect(0));
             desk.expectMessage("You are about to Clear the selected User 'ann'\r\nand Close Open "
                                "Assessments associated with this User!!! \r\nDo you want to "
                                "Continue?",
                                vbYes);
             w.click("cmdClearSelectedUser");
         }},
        {"clearing everybody",
         [&] {
             desk.expectMessage("You are about Clear All Logged On users\r\nand Close Open "
                                "Assessments! \r\nDo you want to Continue?",
                                vbYes);
             w.click("cmdClearUsers");
         }},
        {"adding a name",
         [&] {
             w.SSIndexTab1.setTab(0);
             w.click("cmdAddNew");
             ASSERT_TRUE(w.txtUserName.userSetText("cy"));
             w.click("cmdUpdate");
         }},
        {"deleting a name",
         [&] {
             ASSERT_TRUE(w.List1.userSelect(0));
             desk.expectMessage("Please confirm the Deletion of\r\nann", vbYes);
             w.click("cmdDelete");
         }},
        {"backup",
         [&] {
             desk.expectSaveDialog(bak.file("Qolb2018LAN.Mdb"));
             desk.expectMessage("Backing up of Database's completed !", vbOK);
             w.click("cmdBackUp");
         }},
        {"restore",
         [&] {
             desk.expectMessage(restoreQuestion, vbYes);
             desk.expectOpenDialog(bak.file("Qolb2018LAN.Mdb"));
             desk.expectMessage("Restoring of Database completed !\r\nPlease exit SysAdmin program "
                                "and enter it again \r\nto ensure database structures are "
                                "updated !",
                                vbOK);
             w.click("cmdRestore");
         }},
        // Ends on the refusals and failures.
        {"clearing refused",
         [&] {
             logOn(sysPath(), "bob");
             w.SSIndexTab1.setTab(1);
             OtherProcess other(program.file("\\QolbTrust2018Lan.Mdb"), false);
             ASSERT_TRUE(other.acquired());
             desk.expectMessage("You are about Clear All Logged On users\r\nand Close Open "
                                "Assessments! \r\nDo you want to Continue?",
                                vbYes);
             desk.expectMessage(inUse("\\QolbTrust2018Lan.Mdb", "Nothing has been changed."), vbOK);
             w.click("cmdClearUsers");
         }},
        {"page 1 refused",
         [&] {
             OtherProcess other(program.file("\\Qolb2018LAN.mdb"), true);
             ASSERT_TRUE(other.acquired());
             desk.expectMessage(inUse("\\Qolb2018LAN.mdb", "Its list has not been refreshed."),
                                vbOK);
             w.SSIndexTab1.setTab(2);
             w.SSIndexTab1.setTab(1);
         }},
        {"backup given up after a media error",
         [&] {
             runtime::ScopedCopyFault full(
                 [](const std::string&, const std::string&) { return 61; });
             desk.expectSaveDialog(bak.file("Qolb2018LAN.Mdb"));
             std::string failed;
             for (const char* name : {"\\Qolb2018LAN.mdb", "\\QolbTrust2018Lan.Mdb",
                                      "\\QolbCompany2018Lan.Mdb", "\\SysAdmin2018.mdb"})
                 failed += "\r\n" + program.file(name) + " to " +
                           runtime::resolveCase(bak.file(name)) + ": Error 61: Disk full";
             desk.expectMessage(mediaError + failed, forms::vbCancel);
             w.click("cmdBackUp");
         }},
        {"restore refused",
         [&] {
             std::filesystem::remove(bak.file("SysAdmin2018.Mdb"));
             desk.expectMessage(restoreQuestion, vbYes);
             desk.expectOpenDialog(bak.file("Qolb2018LAN.Mdb"));
             desk.expectMessage("The backup file " + bak.file("SysAdmin2018.Mdb") +
                                    " is missing.\r\nNothing has been restored.",
                                vbOK);
             w.click("cmdRestore");
         }},
        // A file that is no system database: the failure ends the switch at the window's
        // event boundary.
        {"page 0 on a file without UserNames",
         [&] {
             app::SysAdminDbPath = program.file("\\QolbTrust2018Lan.Mdb");
             desk.expectMessage(
                 "Error 3011: The database engine could not find the object 'UserNames'.", vbOK);
             w.SSIndexTab1.setTab(0);
             app::SysAdminDbPath = sysPath();
         }},
    };
    for (const Step& step : steps) {
        step.run();
        EXPECT_TRUE(desk.verify()) << step.what << "\n" << desk.transcript();
        EXPECT_EQ(heldFiles(), std::vector<std::string>{}) << step.what;
    }
}

} // namespace
} // namespace clearing_test
