#include "forms/Forms.h"
#include "runtime/Error.h"
#include "support/ErrorOf.h"
#include "support/ScriptedDesktop.h"

#include <gtest/gtest.h>

namespace {

using namespace forms;

using support::errorOf;

class ControlsTest : public ::testing::Test {
protected:
    support::ScriptedDesktop desk;
    Form win{"frmTest"};
};

TEST_F(ControlsTest, TextChangeFiresWhenTheTextReallyChanges) {
    auto& box = win.add<TextBox>("txtUserName");
    std::vector<std::string> seen;
    box.onChange = [&] { seen.push_back(box.Text()); };

    box.setText("anna"); // by code: fires
    box.setText("anna"); // same text: silent
    box.setText("");     // emptied: fires
    EXPECT_TRUE(box.userSetText("ben"));
    EXPECT_EQ(seen, (std::vector<std::string>{"anna", "", "ben"}));
}

TEST_F(ControlsTest, UserTypingIsRefusedByALockedOrDisabledBox) {
    auto& frame = win.add<Frame>("Frame4");
    auto& box = frame.add<TextBox>("txtUserName");
    box.setLocked(true);
    EXPECT_FALSE(box.userSetText("x"));
    box.setLocked(false);
    frame.setEnabled(false); // a disabled frame holds back its controls too
    EXPECT_FALSE(box.userSetText("x"));
    frame.setEnabled(true);
    EXPECT_TRUE(box.userSetText("x"));
    box.setLocked(true);
    box.setText("code may still set it");
    EXPECT_EQ(box.Text(), "code may still set it");
}

TEST_F(ControlsTest, ButtonClicksByCodeAlwaysRunAndByUserOnlyWhenReachable) {
    auto& strip = win.add<PictureBox>("Picture1");
    auto& ok = strip.add<CommandButton>("cmdOk");
    int clicks = 0;
    ok.onClick = [&] { ++clicks; };

    EXPECT_TRUE(ok.userClick());
    ok.setEnabled(false);
    EXPECT_FALSE(ok.userClick());
    ok.setValue(true); // pressed in code: runs although disabled
    ok.setValue(false);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(ok.Value());
    ok.setUserRefused(true); // a running operation refuses it: a press in code too
    ok.setValue(true);
    EXPECT_EQ(clicks, 2);
    ok.setUserRefused(false);

    ok.setEnabled(true);
    strip.setVisible(false);
    EXPECT_FALSE(win.click("cmdOk"));
    strip.setVisible(true);
    EXPECT_TRUE(win.click("cmdOk"));
    EXPECT_EQ(clicks, 3);
}

TEST_F(ControlsTest, OptionArrayPassesIndexAndKeepsOneOn) {
    auto& frame = win.add<Frame>("fraKind");
    const char* captions[] = {"Personal", "Trusts", "Company"};
    for (int i = 0; i < 3; ++i)
        frame.add<OptionButton>("optWhichDBImport", i).setCaption(captions[i]);
    auto& other = win.add<OptionButton>("optElsewhere"); // another container: another group
    other.setValue(true);

    std::vector<int> clicked;
    for (Control* c : win.controlArray("optWhichDBImport"))
        static_cast<OptionButton*>(c)->onClick = [&](int index) { clicked.push_back(index); };
    auto opt = [&](int i) -> OptionButton& {
        return win.find<OptionButton>("optWhichDBImport", i);
    };

    opt(2).setValue(true); // by code: fires when it comes on
    opt(2).setValue(true); // already on: silent
    EXPECT_TRUE(opt(1).userClick());
    EXPECT_TRUE(opt(1).userClick()); // a user click on the one that is on still clicks
    opt(0).setValue(false);          // switching off fires nothing
    EXPECT_EQ(clicked, (std::vector<int>{2, 1, 1}));
    EXPECT_FALSE(opt(0).Value());
    EXPECT_TRUE(opt(1).Value());
    EXPECT_FALSE(opt(2).Value());
    EXPECT_TRUE(other.Value());
}

TEST_F(ControlsTest, ScrollBarValueOutsideItsRangeIsError380) {
    auto& bar = win.add<HScrollBar>("HScroll2");
    int changes = 0;
    bar.onChange = [&] { ++changes; };
    const struct {
        int value;
        int error;
    } cases[] = {{0, 0}, {32767, 0}, {16384, 0}, {-1, 380}, {32768, 380}};
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { bar.setValue(c.value); }), c.error) << c.value;
    EXPECT_EQ(bar.Value(), 16384);
    EXPECT_EQ(changes, 2); // 0 was already the value

    EXPECT_EQ(errorOf([&] { bar.setMax(40000); }), 380);
    bar.setMax(100); // the value moves inside the new range
    EXPECT_EQ(bar.Value(), 100);
    bar.setMin(200); // a reversed bar: range 100..200
    bar.setValue(150);
    EXPECT_EQ(errorOf([&] { bar.setValue(99); }), 380);
    EXPECT_TRUE(bar.userSetValue(5000)); // a user drag stops at the end
    EXPECT_EQ(bar.Value(), 200);
}

TEST_F(ControlsTest, AnimationPlaysWhenOpenedWithAutoPlay) {
    auto& anim = win.add<Animation>("Animation2");
    anim.setVisible(false);
    anim.Open("/opt/sysadmin/working.avi");
    EXPECT_FALSE(anim.isPlaying()); // AutoPlay off: opened, not playing
    anim.Play();
    EXPECT_TRUE(anim.isPlaying());
    anim.Stop();
    anim.setAutoPlay(true);
    anim.Open("/opt/sysadmin/working.avi");
    EXPECT_TRUE(anim.isPlaying());
    EXPECT_EQ(anim.FileName(), "/opt/sysadmin/working.avi");
    anim.Close();
    EXPECT_FALSE(anim.isPlaying());
    anim.Play(); // nothing to play
    EXPECT_FALSE(anim.isPlaying());
}

TEST_F(ControlsTest, TabStripClickReportsThePreviousPage) {
    auto& tabs = win.add<SSIndexTab>("SSIndexTab1");
    tabs.addTab("Database Location && User Setup");
    tabs.addTab("Restoring after Network Failure");
    tabs.addTab("Importing Databases");
    auto& list = tabs.page(1).add<ListBox>("lstUsersLoggedOn");
    EXPECT_EQ(list.parentControl(), &tabs);

    std::vector<std::pair<int, int>> clicks; // previous, current
    tabs.onClick = [&](int previous) { clicks.emplace_back(previous, tabs.Tab()); };
    EXPECT_TRUE(tabs.userSelectTab(1));
    EXPECT_TRUE(tabs.userSelectTab(1)); // already shown: no Click
    tabs.setTab(2);                     // by code: Click too
    tabs.setTabEnabled(0, false);
    EXPECT_FALSE(tabs.userSelectTab(0));
    EXPECT_FALSE(tabs.userSelectTab(3));
    EXPECT_EQ(errorOf([&] { tabs.setTab(3); }), 380);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}}));

    tabs.setTabCaption(1, "Page &2");
    EXPECT_EQ(tabs.TabCaption(1), "Page &2");
}

TEST_F(ControlsTest, ARefusedControlIgnoresTheUserButNotTheCode) {
    auto& button = win.add<CommandButton>("cmdLocateDB");
    auto& option = win.add<OptionButton>("optWhichDBImport", 1);
    auto& tabs = win.add<SSIndexTab>("SSIndexTab1");
    tabs.addTab("One");
    tabs.addTab("Two");
    auto& list = win.add<ListBox>("lstPrevYear");
    list.AddItem("a");
    auto& box = win.add<TextBox>("Text1");
    auto& bar = win.add<HScrollBar>("HScroll2");
    int events = 0;
    button.onClick = [&] { ++events; };
    option.onClick = [&](int) { ++events; };
    tabs.onClick = [&](int) { ++events; };
    list.onClick = [&] { ++events; };
    box.onChange = [&] { ++events; };
    bar.onChange = [&] { ++events; };
    const std::vector<Control*> all{&button, &option, &tabs, &list, &box, &bar};
    const auto userActs = [&] {
        return std::vector<bool>{button.userClick(), option.userClick(),   tabs.userSelectTab(1),
                                 list.userSelect(0), box.userSetText("x"), bar.userSetValue(5)};
    };

    for (Control* c : all)
        c->setUserRefused(true);
    EXPECT_EQ(userActs(), std::vector<bool>(6, false));
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(option.Value());
    EXPECT_EQ(tabs.Tab(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(box.Text(), "");
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_TRUE(button.isReachable()); // still looks live
    button.click();                    // code is not refused
    EXPECT_EQ(events, 1);

    for (Control* c : all)
        c->setUserRefused(false);
    EXPECT_EQ(userActs(), std::vector<bool>(6, true));
    EXPECT_EQ(events, 7);
    EXPECT_EQ(tabs.Tab(), 1);
}

class CommonDialogTest : public ControlsTest {
protected:
    CommonDialog& dlg = win.add<CommonDialog>("CommonDialog1");

    void SetUp() override {
        dlg.setFlags(cdlOFNPathMustExist | cdlOFNFileMustExist);
        dlg.setInitDir("/srv/data");
        dlg.setFileName("Qolb2018LAN.Mdb");
        dlg.setDialogTitle("Locate");
        dlg.setFilter("Access Database (.mdb)|*.mdb");
    }
};

TEST_F(CommonDialogTest, AChoiceSetsFileNameAndFileTitle) {
    desk.expectOpenDialog("/srv/data/Qolb2018LAN.mdb");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "/srv/data/Qolb2018LAN.mdb");
    EXPECT_EQ(dlg.FileTitle(), "Qolb2018LAN.mdb");

    ASSERT_EQ(desk.shown().size(), 1u);
    const FileDialogRequest& asked = desk.shown()[0].request;
    EXPECT_EQ(asked.Flags, 6144);
    EXPECT_EQ(asked.InitDir, "/srv/data");
    EXPECT_EQ(asked.FileName, "Qolb2018LAN.Mdb");
    EXPECT_EQ(asked.DialogTitle, "Locate");
    EXPECT_EQ(asked.Filter, "Access Database (.mdb)|*.mdb");
}

TEST_F(CommonDialogTest, CancelRaises32755OnlyWithCancelErrorOn) {
    for (bool cancelError : {true, false}) {
        for (bool save : {false, true}) {
            dlg.setFileName("Qolb2018LAN.Mdb");
            dlg.setCancelError(cancelError);
            desk.expectDialogCancel();
            const int error = errorOf([&] { save ? dlg.ShowSave() : dlg.ShowOpen(); });
            EXPECT_EQ(error, cancelError ? runtime::err::CancelError : 0) << cancelError << save;
            EXPECT_EQ(dlg.FileName(), "");
        }
    }
    EXPECT_EQ(desk.shown()[1].kind, support::ScriptedDesktop::Kind::SaveDialog);
}

} // namespace
