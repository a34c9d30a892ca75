#include "forms/Forms.h"
#include "runtime/Error.h"
#include "support/ScriptedDesktop.h"

#include <gtest/gtest.h>

namespace {

using namespace forms;

// A slice of the administration window: a tab strip, frames, arrays, a list.
class FormTest : public ::testing::Test {
protected:
    support::ScriptedDesktop desk;
    Form win{"frmSysAdmin"};
    SSIndexTab& tabs = win.add<SSIndexTab>("SSIndexTab1");
    TabPage& page0 = tabs.addTab("Database Location && User Setup");
    Frame& frame3 = page0.add<Frame>("Frame3");
    Label& lbl11 = frame3.add<Label>("lblLabels", 11);
    TextBox& txtQolbDB = frame3.add<TextBox>("txtQolbDB");
    Label& lbl3 = frame3.add<Label>("lblLabels", 3);
    Frame& frame4 = page0.add<Frame>("Frame4");
    ListBox& list1 = frame4.add<ListBox>("List1");
    CommandButton& cmdUpdate = frame4.add<CommandButton>("cmdUpdate");
    CommandButton& cmdOk = win.add<CommandButton>("cmdOk");
};

TEST_F(FormTest, EveryControlIsFoundByItsNameWhereverItLies) {
    EXPECT_EQ(&win.find<ListBox>("List1"), &list1);
    EXPECT_EQ(&win.find<Label>("lblLabels(11)"), &lbl11);
    EXPECT_EQ(&win.find<Label>("lblLabels", 3), &lbl3);
    EXPECT_EQ(&win.find("Frame3"), &frame3);
    EXPECT_EQ(&win.list("List1"), &list1);
    EXPECT_EQ(win.tryFind("lblLabels"), nullptr); // an array has no member without Index
    EXPECT_EQ(lbl11.fullName(), "lblLabels(11)");
    EXPECT_EQ(lbl11.Name(), "lblLabels");
    EXPECT_EQ(lbl11.Index(), 11);
    EXPECT_EQ(list1.Index(), -1);

    auto members = win.controlArray("lblLabels");
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0], &lbl3);
    EXPECT_EQ(members[1], &lbl11);
}

TEST_F(FormTest, LookupErrorsNameTheFormAndTheControl) {
    try {
        (void)win.find<ListBox>("List2");
        FAIL() << "no error";
    } catch (const ControlLookupError& e) {
        EXPECT_STREQ(e.what(), "form frmSysAdmin has no control named List2");
    }
    try {
        (void)win.find<ListBox>("txtQolbDB");
        FAIL() << "no error";
    } catch (const ControlLookupError& e) {
        EXPECT_STREQ(e.what(), "control txtQolbDB of form frmSysAdmin is a TextBox, not a ListBox");
    }
    EXPECT_THROW(frame4.add<Label>("lblLabels", 11), std::logic_error);
    EXPECT_NO_THROW(frame4.add<Label>("lblLabels", 12));
}

TEST_F(FormTest, ControlsKeepTheirOrderAndContainers) {
    std::vector<std::string> names;
    for (Control* c : win.allControls())
        names.push_back(c->fullName());
    EXPECT_EQ(names,
              (std::vector<std::string>{"SSIndexTab1", "Frame3", "lblLabels(11)", "txtQolbDB",
                                        "lblLabels(3)", "Frame4", "List1", "cmdUpdate", "cmdOk"}));
    EXPECT_EQ(&lbl3.parent(), static_cast<Container*>(&frame3));
    EXPECT_EQ(lbl3.parentControl(), &frame3);
    EXPECT_EQ(frame3.parentControl(), &tabs);
    EXPECT_EQ(cmdOk.parentControl(), nullptr);
    EXPECT_EQ(&cmdOk.form(), &win);
}

TEST_F(FormTest, ObserversSeeEveryRealChange) {
    std::vector<std::string> formSeen, listSeen;
    win.subscribe([&](Control* c, std::string_view p) {
        formSeen.push_back((c ? c->fullName() : "form") + "." + std::string(p));
    });
    const int id = list1.subscribe([&](Control&, std::string_view p) { listSeen.emplace_back(p); });

    win.setCaption("Database Administration for Quolby 2018 Network");
    lbl11.setCaption("(Qolb2018Lan.Mdb)");
    lbl11.setCaption("(Qolb2018Lan.Mdb)"); // unchanged: no notification
    list1.AddItem("anna");
    list1.setListIndex(0);
    cmdUpdate.setEnabled(false);
    frame4.ZOrder();
    list1.unsubscribe(id);
    list1.Clear();

    EXPECT_EQ(formSeen,
              (std::vector<std::string>{"form.Caption", "lblLabels(11).Caption", "List1.List",
                                        "List1.ListIndex", "cmdUpdate.Enabled", "Frame4.ZOrder",
                                        "List1.List", "List1.ListIndex"}));
    EXPECT_EQ(listSeen, (std::vector<std::string>{"List", "ListIndex"}));
    EXPECT_GT(frame4.zOrderStamp(), frame3.zOrderStamp());
}

TEST_F(FormTest, AnErrorLeavingAHandlerIsShownAndTheWindowGoesOn) {
    cmdUpdate.onClick = [] { throw runtime::Error(3024, "Could not find file 'x.mdb'."); };
    cmdOk.onClick = [] { throw std::runtime_error("disk gone"); };
    desk.setMousePointer(vbHourglass);

    desk.expectMessage("Error 3024: Could not find file 'x.mdb'.", vbCritical, "", vbOK);
    EXPECT_TRUE(win.click("cmdUpdate"));
    EXPECT_EQ(desk.mousePointer(), vbDefault); // an operation that failed leaves no hourglass

    desk.expectMessage("Unexpected error: disk gone", vbCritical, "", vbOK);
    EXPECT_TRUE(win.click("cmdOk"));

    // Errors of events raised by code (a Change, a Click by ListIndex) reach the caller.
    list1.AddItem("anna");
    list1.onClick = [] { throw runtime::Error(runtime::err::FileNotFound); };
    desk.expectMessage("Error 53: File not found", vbOK);
    win.dispatch([&] { list1.setListIndex(0); });

    cmdUpdate.onClick = [] {};
    EXPECT_TRUE(win.click("cmdUpdate"));
}

TEST_F(FormTest, AHandlerCatchesTheErrorOfAnEventItRaised) {
    txtQolbDB.onChange = [] { throw runtime::Error(runtime::err::PathNotFound); };
    int caught = 0;
    cmdUpdate.onClick = [&] {
        try {
            txtQolbDB.setText("/nowhere");
        } catch (const runtime::Error& e) {
            caught = e.number();
        }
    };
    EXPECT_TRUE(win.click("cmdUpdate"));
    EXPECT_EQ(caught, 76);
    EXPECT_TRUE(desk.shown().empty());
}

TEST_F(FormTest, AUserActionDuringAnotherHandlerIsItsOwnBoundary) {
    // While a long operation lets events through, the user clicks a button that fails:
    // its error is shown there and the operation goes on.
    cmdOk.onClick = [] { throw runtime::Error(runtime::err::PermissionDenied); };
    bool finished = false;
    cmdUpdate.onClick = [&] {
        EXPECT_TRUE(cmdOk.userClick()); // what pending events would deliver
        finished = true;
    };
    desk.expectMessage("Error 70: Permission denied", vbCritical, "", vbOK);
    EXPECT_TRUE(win.click("cmdUpdate"));
    EXPECT_TRUE(finished);
}

TEST_F(FormTest, SetFocusMovesOnlyToAReachableControl) {
    txtQolbDB.SetFocus();
    EXPECT_TRUE(txtQolbDB.hasFocus());
    frame4.setEnabled(false);
    list1.SetFocus(); // inside a disabled frame: the focus stays where it is
    EXPECT_EQ(win.ActiveControl(), &txtQolbDB);
}

TEST(FormLifecycle, LoadShowAndUnloadWithCancel) {
    support::ScriptedDesktop desk;
    Form win("frmSysAdmin");
    std::vector<std::string> events;
    win.onLoad = [&] {
        events.push_back("Load");
        win.Show(); // the window shows itself during its Load, as the start-up does
    };
    int answer = vbNo;
    win.onUnload = [&](int& Cancel) {
        events.push_back("Unload");
        if (answer == vbNo) Cancel = 1;
    };

    win.Load();
    win.Load(); // once only
    EXPECT_TRUE(win.isLoaded());
    EXPECT_TRUE(win.Visible());

    EXPECT_FALSE(win.Unload());
    EXPECT_TRUE(win.isLoaded());
    answer = vbYes;
    EXPECT_TRUE(win.userClose());
    EXPECT_FALSE(win.isLoaded());
    EXPECT_FALSE(win.Visible());
    EXPECT_TRUE(win.Unload()); // not loaded: nothing to ask
    EXPECT_EQ(events, (std::vector<std::string>{"Load", "Unload", "Unload"}));
}

TEST(FormLifecycle, ALoadThatUnloadsItsWindowEndsUnloaded) {
    support::ScriptedDesktop desk;
    Form win("frmSysAdmin");
    win.onLoad = [&] { win.Unload(); };
    win.Show();
    EXPECT_FALSE(win.isLoaded());
    EXPECT_FALSE(win.Visible());
}

TEST(FormLifecycle, ClosingTheFrameAsksItsChildFirst) {
    support::ScriptedDesktop desk;
    Form frame("MDIForm1");
    Form child("frmSysAdmin");
    child.setMdiParent(frame);
    std::vector<std::string> events;
    frame.onQueryUnload = [&](int&, int mode) {
        events.push_back("frame Query " + std::to_string(mode));
    };
    child.onQueryUnload = [&](int&, int mode) {
        events.push_back("child Query " + std::to_string(mode));
    };
    frame.onUnload = [&](int&) { events.push_back("frame Unload"); };
    child.onUnload = [&](int& Cancel) {
        events.push_back("child Unload");
        if (desk.MsgBox("Do you want to Exit the program?", vbYesNo, "Quolby System Admin") == vbNo)
            Cancel = 1;
    };
    frame.onLoad = [&] { child.Show(); };
    frame.Show();
    ASSERT_TRUE(child.isLoaded());

    desk.expectMessage("Do you want to Exit the program?", vbNo);
    EXPECT_FALSE(frame.userClose());
    EXPECT_TRUE(frame.isLoaded());
    EXPECT_TRUE(child.isLoaded());

    desk.expectMessage("Do you want to Exit the program?", vbYes);
    EXPECT_TRUE(frame.Unload());
    EXPECT_FALSE(child.isLoaded());
    EXPECT_EQ(events, (std::vector<std::string>{"frame Query 0", "child Query 4", "child Unload",
                                                "frame Query 1", "child Query 4", "child Unload",
                                                "frame Unload"}));
}

TEST(FormLifecycle, ARefusedUnloadAsksNothingAndKeepsFrameAndChild) {
    support::ScriptedDesktop desk;
    Form frame("MDIForm1");
    Form child("frmSysAdmin");
    child.setMdiParent(frame);
    int asked = 0;
    child.onQueryUnload = [&](int&, int) { ++asked; };
    child.onUnload = [&](int&) { ++asked; };
    frame.onQueryUnload = [&](int&, int) { ++asked; };
    frame.onLoad = [&] { child.Show(); };
    frame.Show();

    child.setUnloadRefused(true);
    EXPECT_FALSE(child.userClose());
    EXPECT_FALSE(child.Unload());
    EXPECT_FALSE(frame.userClose());
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(child.isLoaded());
    EXPECT_TRUE(frame.isLoaded());

    child.setUnloadRefused(false);
    EXPECT_TRUE(frame.userClose());
    EXPECT_FALSE(child.isLoaded());
    EXPECT_EQ(asked, 3);
}

TEST(FormLifecycle, AChildUnloadedOnItsOwnLeavesTheFrameOpen) {
    support::ScriptedDesktop desk;
    Form frame("MDIForm1");
    Form child("frmSysAdmin");
    child.setMdiParent(frame);
    int childUnloads = 0;
    child.onUnload = [&](int&) { ++childUnloads; };
    frame.onLoad = [&] { child.Show(); };
    frame.Show();

    EXPECT_TRUE(child.Unload());
    EXPECT_TRUE(frame.isLoaded());
    EXPECT_TRUE(frame.Unload()); // the child is gone already and is not asked again
    EXPECT_EQ(childUnloads, 1);
}

TEST(FormLifecycle, AChildShownWhileTheFrameLoadsShowsTheFrameFirst) {
    support::ScriptedDesktop desk;
    Form frame("MDIForm1");
    Form child("frmSysAdmin");
    child.setMdiParent(frame);
    std::vector<std::string> shown; // in the order the windows appear
    frame.subscribe([&](Control* c, std::string_view property) {
        if (!c && property == prop::Visible && frame.Visible()) shown.push_back("frame");
    });
    child.subscribe([&](Control* c, std::string_view property) {
        if (!c && property == prop::Visible && child.Visible()) shown.push_back("child");
    });
    bool frameShownDuringChildLoad = false;
    child.onLoad = [&] {
        child.Show();
        frameShownDuringChildLoad = frame.Visible(); // a start-up message would show now
    };
    frame.onLoad = [&] { child.Show(); };
    frame.Show();
    EXPECT_TRUE(frameShownDuringChildLoad);
    EXPECT_EQ(shown, (std::vector<std::string>{"frame", "child"}));

    // Hiding the child leaves the frame shown.
    child.Hide();
    EXPECT_TRUE(frame.Visible());
}

} // namespace
