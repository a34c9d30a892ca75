// While a locate or an import runs, the user can neither start another nor close the
// window under it; afterwards everything answers again.

#include "transfer/BusyGuard.h"

#include "app/frmSysAdmin.h"
#include "runtime/Error.h"
#include "support/ProgramFolder.h"

#include <gtest/gtest.h>

namespace {

class BusyGuardTest : public ::testing::Test {
protected:
    BusyGuardTest() {
        w.onLoad = [] {}; // the start-up is not under test
        w.Show();
        w.cmdImpSelAss.setEnabled(true);
        w.cmdImpWholeDB.setEnabled(true);
        for (forms::CommandButton* b : {&w.cmdImpSelAss, &w.cmdImpWholeDB, &w.cmdLocateDB})
            b->onClick = [this] { ++events; };
        for (int i = 0; i < 3; ++i)
            w.optWhichDBImport(i).onClick = [this](int) { ++events; };
        w.SSIndexTab1.onClick = [this](int) { ++events; };
        w.SSIndexTab2.onClick = [this](int) { ++events; };
        w.lstPrevYear.AddItem("Smith");
        w.lstPrevYear.onClick = [this] { ++events; };
        // As the list's own handler does: the double-click presses the import in code.
        w.lstPrevYear.onDblClick = [this] { w.cmdImpSelAss.setValue(true); };
    }

    // Each guarded user action once: whether it was taken.
    std::vector<bool> userActions() {
        return {w.click("cmdImpSelAss"),
                w.click("cmdImpWholeDB"),
                w.click("cmdLocateDB"),
                w.optWhichDBImport(1).userClick(),
                w.optWhichDBImport(0).userClick(),
                w.SSIndexTab1.userSelectTab(w.SSIndexTab1.Tab() == 2 ? 0 : 2),
                w.SSIndexTab2.userSelectTab(1 - w.SSIndexTab2.Tab()),
                w.lstPrevYear.userDoubleClick(0)}; // its click and the import's
    }
    static std::vector<bool> all(bool taken) { return std::vector<bool>(8, taken); }
    static constexpr int kEventsOfAll = 9;

    // The close asks its question; "No" keeps the window.
    void expectTheCloseToAsk() {
        desk.expectMessage("The System Admin program will now Close!\r\nDo you want to Exit the "
                           "program?",
                           forms::vbNo);
        EXPECT_FALSE(w.userClose());
        EXPECT_TRUE(desk.verify()) << desk.transcript();
    }

    support::ProgramFolder folder;
    support::ScriptedDesktop& desk = folder.desktop();
    app::frmSysAdmin w;
    int events = 0;
};

TEST_F(BusyGuardTest, WhileHeldEveryGuardedActionAndTheCloseAreIgnoredWithoutABox) {
    {
        transfer::BusyGuard guard(w);
        EXPECT_EQ(userActions(), all(false));
        EXPECT_FALSE(w.userClose());
        EXPECT_EQ(events, 0);
        EXPECT_TRUE(desk.shown().empty()) << desk.transcript();
        EXPECT_TRUE(w.isLoaded());
        EXPECT_TRUE(w.optWhichDBImport(0).Value()); // the kind stays as the run read it
        EXPECT_TRUE(w.cmdLocateDB.Enabled());       // refused, not disabled
        w.cmdImpWholeDB.setValue(true);             // a press in code, as from a handler
        EXPECT_EQ(events, 0);
        {
            transfer::BusyGuard inner(w); // a nested hold leaves the outer one in place
        }
        EXPECT_EQ(userActions(), all(false));
        EXPECT_FALSE(w.userClose());
    }
    EXPECT_EQ(userActions(), all(true));
    EXPECT_EQ(events, kEventsOfAll);
    expectTheCloseToAsk();
}

TEST_F(BusyGuardTest, ARunThatFailsReleasesTheWindow) {
    std::vector<bool> duringRun;
    w.cmdLocateDB.onClick = [&] {
        transfer::BusyGuard guard(w);
        duringRun = userActions(); // clicks let through while the run works
        duringRun.push_back(w.userClose());
        throw runtime::Error(3024, "Could not find file.");
    };
    desk.expectMessage("Error 3024: Could not find file.", forms::vbOK);
    EXPECT_TRUE(w.click("cmdLocateDB"));
    EXPECT_EQ(duringRun, std::vector<bool>(9, false));
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(desk.verify()) << desk.transcript();

    w.cmdLocateDB.onClick = [this] { ++events; };
    EXPECT_EQ(userActions(), all(true));
    EXPECT_EQ(events, kEventsOfAll);
    expectTheCloseToAsk();
}

} // namespace
