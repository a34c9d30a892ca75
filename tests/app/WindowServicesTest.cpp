// The services every operation uses from the window: choosing a file, the progress bar
// and holding files.

#include "app/BusyDisplay.h"
#include "app/ExclusiveDatabases.h"
#include "app/FileChoice.h"
#include "app/frmSysAdmin.h"
#include "support/DatabaseFile.h"
#include "support/OtherProcess.h"
#include "support/ProgramFolder.h"

#include <gtest/gtest.h>

namespace {

class WindowServicesTest : public ::testing::Test {
protected:
    ~WindowServicesTest() override { engine::DBEngine::instance().Workspaces(0).Close(); }

    support::ProgramFolder folder;
    support::ScriptedDesktop& desk = folder.desktop();
    app::frmSysAdmin w;
};

TEST_F(WindowServicesTest, AChosenFileIsGivenAndACancelLeavesNothingBehind) {
    const app::FileRequest request{true, forms::cdlOFNPathMustExist, "/start", "Proposed.mdb",
                                   "Where to?"};
    desk.expectSaveDialog(folder.file("Chosen.mdb"));
    EXPECT_EQ(app::chooseFile(w, request), folder.file("Chosen.mdb"));
    const forms::FileDialogRequest& shown = desk.shown().back().request;
    EXPECT_EQ(shown.InitDir, "/start");
    EXPECT_EQ(shown.FileName, "Proposed.mdb");
    EXPECT_EQ(shown.DialogTitle, "Where to?");
    EXPECT_EQ(shown.Filter, "Access Database (.mdb)|*.mdb");

    desk.expectDialogCancel();
    EXPECT_EQ(app::chooseFile(w, {}), std::nullopt);
    EXPECT_FALSE(w.CommonDialog1.CancelError());
    // The next choice is not taken for a cancel.
    desk.expectOpenDialog(folder.file("Next.mdb"));
    EXPECT_EQ(app::chooseFile(w, {}), folder.file("Next.mdb"));
    EXPECT_TRUE(desk.verify()) << desk.transcript();
}

TEST_F(WindowServicesTest, TheProgressBarShowsARunToScaleAndGoesWithIt) {
    {
        app::ProgressDisplay progress(w, 200000); // more steps than the bar has values
        EXPECT_TRUE(w.fraProgressBar.Visible());
        EXPECT_EQ(w.HScroll2.Value(), 0);
        progress.show(100000);
        EXPECT_EQ(w.HScroll2.Value(), w.HScroll2.Max() / 2);
        progress.show(300000);
        EXPECT_EQ(w.HScroll2.Value(), w.HScroll2.Max());
    }
    EXPECT_FALSE(w.fraProgressBar.Visible());
    EXPECT_EQ(w.HScroll2.Value(), 0);
    {
        app::ProgressDisplay progress(w, 0); // an empty run
        progress.show(0);
        EXPECT_EQ(w.HScroll2.Value(), 0);
    }
}

TEST_F(WindowServicesTest, FilesHeldElsewhereAreNamedAndNothingIsHeld) {
    const std::string a = folder.file("a.mdb"), b = folder.file("b.mdb");
    support::DatabaseFile(a, support::FileKind::Trust).only({"TRUSTDetails"}).make();
    support::DatabaseFile(b, support::FileKind::Trust).only({"TRUSTDetails"}).make();
    {
        app::FileHolds holds;
        EXPECT_EQ(app::holdExclusively({a, folder.file("missing.mdb"), b}, holds), "");
        EXPECT_EQ(holds.size(), 2u);
    }
    support::OtherProcess other(b, false);
    ASSERT_TRUE(other.acquired());
    app::FileHolds holds;
    EXPECT_EQ(app::holdExclusively({a, b}, holds), b);
    try {
        app::openExclusive(b);
        ADD_FAILURE() << "opened a file held elsewhere";
    } catch (const app::DatabaseOpenError& e) {
        EXPECT_TRUE(e.inUse());
        EXPECT_EQ(app::openFailureMessage(e, "Nothing."),
                  "The database " + b +
                      " is open on another workstation.\r\nClose Quolby on every workstation "
                      "and try again.\r\nNothing.");
    }
}

} // namespace
