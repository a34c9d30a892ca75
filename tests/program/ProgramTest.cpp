#include "program/Program.h"

#include "app/Version.h"
#include "engine/Dao.h"
#include "support/ProgramFolder.h"

#include <gtest/gtest.h>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    ~ProgramTest() override { engine::DBEngine::instance().Workspaces(0).Close(); }
    support::ProgramFolder folder;
    support::ScriptedDesktop& desk = folder.desktop();
};

TEST_F(ProgramTest, ASecondCopyIsRefusedAndTouchesNothing) {
    desk.setAnotherCopyRunning(true);
    desk.expectMessage(
        "Quolby2018 SysAdmin is already running(open) on this computer!\r\n"
        "The First Instance of the program is probably minimised.  Check your Taskbar.\r\n"
        "Having the program open twice will cause errors in the working of the program.  \r\n"
        "This second instance will now be closed down!",
        forms::vbCritical, "Quolby2018 SysAdmin Currently Loaded!!!!!", forms::vbOK);

    program::Program program;
    EXPECT_FALSE(program.start());
    EXPECT_FALSE(program.running());
    EXPECT_FALSE(program.frmSysAdmin().isLoaded());
    EXPECT_FALSE(folder.exists("\\DBMPath.Txt"));
    EXPECT_TRUE(desk.pointerHistory().empty());
}

TEST_F(ProgramTest, StartShowsTheVersionAndLoadsTheAdministrationWindow) {
    program::Program program;
    EXPECT_TRUE(program.start());

    EXPECT_EQ(program.MDIForm1().Caption(), "Quolby2018 SysAdmin Ver: 1.04.000");
    EXPECT_TRUE(program.frmSysAdmin().isLoaded());
    EXPECT_TRUE(program.frmSysAdmin().Visible());
    EXPECT_EQ(program.frmSysAdmin().mdiParent(), &program.MDIForm1());
    // The hourglass while loading, the normal pointer after the path files and at the end.
    const std::vector<int> pointers{forms::vbHourglass, forms::vbDefault, forms::vbDefault};
    EXPECT_EQ(desk.pointerHistory(), pointers);
    EXPECT_EQ(program.frmSysAdmin().ImportKind, "PI");
}

TEST_F(ProgramTest, TheProgramEndsWhenTheFrameGoes) {
    program::Program program;
    program.start();
    desk.expectMessage(
        "The System Admin program will now Close!\r\nDo you want to Exit the program?",
        forms::vbYesNo, "Quolby System Admin", forms::vbYes);
    program.MDIForm1().Unload_MDIForm();
    EXPECT_FALSE(program.running());
}

} // namespace
