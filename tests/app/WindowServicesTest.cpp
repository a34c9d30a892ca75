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

TEST_F(WindowServicesTest, TheProgressBarClimbsHalfWayPerPassAndStopsAtItsEnd) {
    struct Case {
        long records;
        int afterRead; // 0: either neighbour of the half, as the sum of the steps falls
    };
    const Case cases[] = {{1, 16384},    {2, 16384}, {7, 16384}, {100, 16383},
                          {1000, 16383}, {30001, 0}, {250000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.records);
        w.HScroll2.setValue(12345); // what the run before left
        app::ProgressDisplay progress(w, c.records);
        EXPECT_TRUE(w.fraProgressBar.Visible());
        EXPECT_GT(w.fraProgressBar.zOrderStamp(), 0); // in front of what it overlaps
        EXPECT_EQ(w.HScroll2.Value(), 12345);         // until the first record is read
        int last = 0;
        bool climbs = true;
        for (long i = 0; i < 2 * c.records; ++i) {
            if (i == c.records) {
                if (c.afterRead)
                    EXPECT_EQ(last, c.afterRead);
                else
                    EXPECT_TRUE(last == 16383 || last == 16384) << last;
            }
            progress.step();
            climbs = climbs && w.HScroll2.Value() >= last;
            last = w.HScroll2.Value();
        }
        EXPECT_TRUE(climbs);
        EXPECT_EQ(last, 32767);
        progress.step(); // a step too many stays at the end of the bar
        EXPECT_EQ(w.HScroll2.Value(), 32767);
    }
    EXPECT_TRUE(w.fraProgressBar.Visible()); // a run never hides the frame

    app::ProgressDisplay empty(w, 0);
    empty.step();
    EXPECT_EQ(w.HScroll2.Value(), 32767);
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
