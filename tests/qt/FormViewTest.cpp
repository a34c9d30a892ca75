#include "qt/FormView.h"

#include "QtTestSupport.h"
#include "forms/Forms.h"
#include "qt/BusyIndicator.h"
#include "support/ScriptedDesktop.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <array>
#include <gtest/gtest.h>

namespace {

using namespace forms;
using qtsupport::child;

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(o, e);
    }
};

// A window shaped like the administration window: a tab strip with pages, frames with
// fields, a list, buttons, an option array, overlapping frames, a progress bar, an
// animation and a common dialog.
class FormViewTest : public ::testing::Test {
protected:
    FormViewTest() {
        frame2.setCaption("System Admin Database location :");
        lblPers.setCaption("Personal database");
        lblFile.setCaption("(Qolb2018Lan.Mdb)");
        lblTrust.setCaption("Trust database");
        lblTrustFile.setCaption("(QolbTrust2018Lan.Mdb)");
        cmdLocate.setCaption("Locate &Master Client Database");
        frame4.setCaption("User Name List :");
        lblUser.setCaption("&User name");
        cmdAddNew.setCaption("&Add UserName");
        cmdUpdate.setCaption("&Update");
        frame11.setCaption("BackUp && Restore Databases");
        opt[0]->setCaption("Personal");
        opt[1]->setCaption("Trusts");
        opt[2]->setCaption("Company");
        lblPersName.setCaption("Initials && surname    :");
        lblTrustName.setCaption("Trust Name     ");
        notice.setCaption("Importing the complete database from the previous year means that all "
                          "the assessment/data in the previous year database will be ADDED.");
        fraProgressBar.setVisible(false);
        scale.setCaption("0        25        50        75        100");
        cmdOk.setCaption("&OK");
        win.setCaption("Sample window");
        win.Show();
    }

    // The view is built last, over the whole window; the captions above reach it as
    // changes of the model.
    // Shows the view at the size the program must be readable at.
    void showView() {
        view.resize(1024, 700);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    support::ScriptedDesktop desk;
    Form win{"frmSample"};
    SSIndexTab& tabs = win.add<SSIndexTab>("SSIndexTab1");
    TabPage& page0 = tabs.addTab("Database Location && User Setup");
    Frame& frame2 = page0.add<Frame>("Frame2");
    Label& lblPers = frame2.add<Label>("lblLabels", 9);
    TextBox& txtQolbDB = frame2.add<TextBox>("txtQolbDB");
    TextBox& txtVersion = frame2.add<TextBox>("txtQolbDBVersion");
    Label& lblFile = frame2.add<Label>("lblLabels", 11);
    Label& lblTrust = frame2.add<Label>("lblLabels", 4);
    TextBox& txtTrust = frame2.add<TextBox>("txtQolbTrustDB");
    Label& lblTrustFile = frame2.add<Label>("lblLabels", 3);
    CommandButton& cmdLocate = frame2.add<CommandButton>("cmdLocateClientDB");
    Frame& frame4 = page0.add<Frame>("Frame4");
    ListBox& list1 = frame4.add<ListBox>("List1");
    Label& lblUser = frame4.add<Label>("lblUser");
    TextBox& txtUserName = frame4.add<TextBox>("txtUserName");
    CommandButton& cmdAddNew = frame4.add<CommandButton>("cmdAddNew");
    CommandButton& cmdUpdate = frame4.add<CommandButton>("cmdUpdate");
    Frame& frame11 = page0.add<Frame>("Frame11");
    Animation& animation = page0.add<Animation>("Animation2");
    TabPage& page1 = tabs.addTab("Importing Databases");
    Frame& fraKind = page1.add<Frame>("fraKind");
    std::array<OptionButton*, 3> opt = {&fraKind.add<OptionButton>("optWhichDBImport", 0),
                                        &fraKind.add<OptionButton>("optWhichDBImport", 1),
                                        &fraKind.add<OptionButton>("optWhichDBImport", 2)};
    Frame& frmPersImport = page1.add<Frame>("frmPersImport");
    Label& lblPersName = frmPersImport.add<Label>("lblPersName");
    TextBox& text1 = frmPersImport.add<TextBox>("Text1");
    Frame& fraTrustImport = page1.add<Frame>("fraTrustImport");
    Label& lblTrustName = fraTrustImport.add<Label>("lblTrustName");
    TextBox& text8 = fraTrustImport.add<TextBox>("Text8");
    Label& notice = page1.add<Label>("Label4");
    Frame& fraProgressBar = page1.add<Frame>("fraProgressBar");
    HScrollBar& hscroll = fraProgressBar.add<HScrollBar>("HScroll2");
    Label& scale = fraProgressBar.add<Label>("lblScale");
    CommandButton& cmdOk = win.add<CommandButton>("cmdOk");
    CommonDialog& dialog = win.add<CommonDialog>("CommonDialog1");

    static qtui::LayoutHints hints() {
        qtui::LayoutHints h;
        h.overlaps.push_back({"frmPersImport", "fraTrustImport"});
        h.narrow.insert("txtQolbDBVersion");
        return h;
    }
    qtui::FormView view{win, hints()};
};

TEST_F(FormViewTest, MakesOneWidgetPerControlNamedAfterIt) {
    const std::vector<std::pair<std::string, const char*>> expected = {
        {"SSIndexTab1", "QTabWidget"},
        {"Frame2", "QGroupBox"},
        {"lblLabels(9)", "QLabel"},
        {"txtQolbDB", "qtui::ElidingLineEdit"},
        {"List1", "QListWidget"},
        {"cmdAddNew", "QPushButton"},
        {"Animation2", "qtui::BusyIndicator"},
        {"optWhichDBImport(2)", "QRadioButton"},
        {"HScroll2", "QProgressBar"},
        {"cmdOk", "QPushButton"},
    };
    for (const auto& [name, cls] : expected) {
        QWidget* w = child(view, name.c_str());
        ASSERT_NE(w, nullptr) << name;
        EXPECT_STREQ(w->metaObject()->className(), cls) << name;
        EXPECT_EQ(w, view.widgetFor(name)) << name;
    }
    // Every control but the dialog shows; the dialog works through the Desktop.
    for (Control* c : win.allControls())
        EXPECT_EQ(view.widgetFor(*c) == nullptr, c->kind() == ControlKind::CommonDialog)
            << c->fullName();

    // Pages hold their controls, frames theirs.
    auto* tabWidget = child<QTabWidget>(view, "SSIndexTab1");
    ASSERT_EQ(tabWidget->count(), 2);
    EXPECT_TRUE(tabWidget->widget(0)->isAncestorOf(child(view, "List1")));
    EXPECT_TRUE(tabWidget->widget(1)->isAncestorOf(child(view, "HScroll2")));
    EXPECT_TRUE(child(view, "Frame4")->isAncestorOf(child(view, "cmdUpdate")));
    EXPECT_FALSE(tabWidget->isAncestorOf(child(view, "cmdOk")));
}

TEST_F(FormViewTest, CaptionsKeepThePlatformsAmpersands) {
    auto* tabWidget = child<QTabWidget>(view, "SSIndexTab1");
    // Qt draws a tab, a frame and a button caption as the platform does: "&&" is one
    // ampersand and "&M" underlines M as the access key.
    const QFontMetrics fm(tabWidget->tabBar()->font());
    EXPECT_EQ(fm.size(Qt::TextShowMnemonic, tabWidget->tabText(0)).width(),
              fm.horizontalAdvance(QStringLiteral("Database Location & User Setup")));
    EXPECT_EQ(child<QGroupBox>(view, "Frame11")->title(), "BackUp && Restore Databases");
    EXPECT_EQ(QKeySequence::mnemonic(child<QPushButton>(view, "cmdLocateClientDB")->text()),
              QKeySequence(Qt::ALT | Qt::Key_M));
    EXPECT_EQ(QKeySequence::mnemonic(child<QPushButton>(view, "cmdOk")->text()),
              QKeySequence(Qt::ALT | Qt::Key_O));

    // A label draws its text literally unless its access key has somewhere to go.
    EXPECT_EQ(child<QLabel>(view, "lblPersName")->text(), "Initials & surname    :");
    auto* lblUserWidget = child<QLabel>(view, "lblUser");
    EXPECT_EQ(lblUserWidget->buddy(), child(view, "txtUserName"));
    EXPECT_EQ(QKeySequence::mnemonic(lblUserWidget->text()), QKeySequence(Qt::ALT | Qt::Key_U));

    // A caption the code changes shows at once.
    tabs.setTabCaption(1, "Import && Export");
    EXPECT_EQ(tabWidget->tabText(1), "Import && Export");
    lblPers.setCaption("Personal && trust");
    EXPECT_EQ(child<QLabel>(view, "lblLabels(9)")->text(), "Personal & trust");
    cmdOk.setCaption("&Close");
    EXPECT_EQ(child<QPushButton>(view, "cmdOk")->text(), "&Close");
}

TEST_F(FormViewTest, LabelsSitBesideTheirBoxesAndNothingIsCut) {
    showView();
    auto centreY = [&](const char* name) {
        QWidget* w = child(view, name);
        return w->mapTo(&view, w->rect().center()).y();
    };
    auto left = [&](const char* name) {
        QWidget* w = child(view, name);
        return w->mapTo(&view, QPoint(0, 0)).x();
    };
    // "Personal database" [path][version] "(Qolb2018Lan.Mdb)", then the trust row.
    EXPECT_NEAR(centreY("lblLabels(9)"), centreY("txtQolbDB"), 4);
    EXPECT_NEAR(centreY("txtQolbDB"), centreY("txtQolbDBVersion"), 4);
    EXPECT_NEAR(centreY("txtQolbDBVersion"), centreY("lblLabels(11)"), 4);
    EXPECT_LT(left("lblLabels(9)"), left("txtQolbDB"));
    EXPECT_LT(left("txtQolbDB"), left("txtQolbDBVersion"));
    EXPECT_LT(left("txtQolbDBVersion"), left("lblLabels(11)"));
    EXPECT_GT(centreY("lblLabels(4)"), centreY("lblLabels(9)") + 10);
    EXPECT_NEAR(centreY("lblLabels(4)"), centreY("txtQolbTrustDB"), 4);
    // The two buttons of a frame share a row; the path box is the wide one.
    EXPECT_NEAR(centreY("cmdAddNew"), centreY("cmdUpdate"), 4);
    EXPECT_GT(child(view, "txtQolbDB")->width(), 3 * child(view, "txtQolbDBVersion")->width());

    // Every widget shown is at least as large as it needs and lies inside its parent.
    for (int page : {0, 1}) {
        child<QTabWidget>(view, "SSIndexTab1")->setCurrentIndex(page);
        QApplication::processEvents(); // a page is laid out when it first shows
        for (QWidget* w : view.findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || !w->isVisibleTo(&view) || !w->isVisible()) continue;
            const QSize need = w->minimumSizeHint();
            EXPECT_GE(w->width(), need.width()) << w->objectName().toStdString();
            EXPECT_GE(w->height(), need.height()) << w->objectName().toStdString();
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                << w->objectName().toStdString();
        }
    }
}

TEST_F(FormViewTest, ModelChangesShowAtOnce) {
    txtQolbDB.setText("/data/Qolb2018LAN.Mdb");
    EXPECT_EQ(child<QLineEdit>(view, "txtQolbDB")->text(), "/data/Qolb2018LAN.Mdb");
    txtQolbDB.setLocked(true);
    EXPECT_TRUE(child<QLineEdit>(view, "txtQolbDB")->isReadOnly());
    cmdUpdate.setEnabled(false);
    EXPECT_FALSE(child(view, "cmdUpdate")->isEnabled());
    frame4.setEnabled(false);
    EXPECT_FALSE(child(view, "List1")->isEnabled());
    frame4.setEnabled(true);

    auto* list = child<QListWidget>(view, "List1");
    list1.AddItem("bob");
    list1.AddItem("alice", 0);
    list1.AddItem("carol");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "alice");
    list1.setListIndex(2);
    EXPECT_EQ(list->currentRow(), 2);
    list1.RemoveItem(0);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "bob");
    EXPECT_EQ(list->currentRow(), 1); // carol moved up with her selection
    list1.setList(0, "robert");
    EXPECT_EQ(list->item(0)->text(), "robert");
    list1.Clear();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->currentRow(), -1);

    opt[1]->setValue(true);
    EXPECT_TRUE(child<QRadioButton>(view, "optWhichDBImport(1)")->isChecked());
    opt[2]->setValue(true);
    EXPECT_FALSE(child<QRadioButton>(view, "optWhichDBImport(1)")->isChecked());

    tabs.setTab(1);
    EXPECT_EQ(child<QTabWidget>(view, "SSIndexTab1")->currentIndex(), 1);
    tabs.setTabEnabled(0, false);
    EXPECT_FALSE(child<QTabWidget>(view, "SSIndexTab1")->isTabEnabled(0));

    fraProgressBar.setVisible(true);
    EXPECT_TRUE(child(view, "fraProgressBar")->isVisibleTo(&view));
    hscroll.setValue(16384);
    EXPECT_EQ(child<QProgressBar>(view, "HScroll2")->value(), 16384);
    EXPECT_EQ(child<QProgressBar>(view, "HScroll2")->maximum(), 32767);
}

TEST_F(FormViewTest, ProgressRepaintsWithoutLettingEventsThrough) {
    showView();
    tabs.setTab(1);
    fraProgressBar.setVisible(true);
    QApplication::processEvents();
    auto* bar = child<QProgressBar>(view, "HScroll2");
    PaintCounter counter;
    bar->installEventFilter(&counter);
    // A long import sets the value record by record and pumps nothing in between.
    for (int v = 1000; v <= 32000; v += 1000)
        hscroll.setValue(v);
    EXPECT_GE(counter.paints, 10);
    EXPECT_EQ(bar->value(), 32000);
}

TEST_F(FormViewTest, ClicksAndTypingReachTheModel) {
    showView();
    int okClicks = 0, changes = 0;
    cmdOk.onClick = [&] { ++okClicks; };
    QTest::mouseClick(child(view, "cmdOk"), Qt::LeftButton);
    EXPECT_EQ(okClicks, 1);
    cmdOk.setEnabled(false);
    QTest::mouseClick(child(view, "cmdOk"), Qt::LeftButton);
    EXPECT_EQ(okClicks, 1);

    txtUserName.onChange = [&] { ++changes; };
    auto* edit = child<QLineEdit>(view, "txtUserName");
    QTest::keyClicks(edit, "ann");
    EXPECT_EQ(txtUserName.Text(), "ann");
    EXPECT_EQ(changes, 3);
    // A handler that rewrites what was typed is shown at once.
    txtUserName.onChange = [&] { txtUserName.setText("ANN"); };
    QTest::keyClicks(edit, "e");
    EXPECT_EQ(edit->text(), "ANN");
    txtUserName.setLocked(true);
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(txtUserName.Text(), "ANN");
}

TEST_F(FormViewTest, ListClicksSelectAndFireOnceEach) {
    showView();
    for (const char* name : {"alice", "bob", "carol"})
        list1.AddItem(name);
    int clicks = 0, doubleClicks = 0;
    list1.onClick = [&] { ++clicks; };
    list1.onDblClick = [&] { ++doubleClicks; };
    auto* list = child<QListWidget>(view, "List1");
    auto rowCentre = [&](int row) { return list->visualItemRect(list->item(row)).center(); };

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(list1.ListIndex(), 1);
    EXPECT_EQ(clicks, 1);
    // Clicking the row already chosen clicks again, as on the platform.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(clicks, 2);
    // The keyboard moves the choice as a click does.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list1.ListIndex(), 2);
    EXPECT_EQ(clicks, 3);
    // A double-click is a click, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowCentre(0));
    EXPECT_EQ(list1.ListIndex(), 0);
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(FormViewTest, OptionsAndTabsFollowTheModelsRules) {
    showView();
    std::vector<int> optionClicks;
    opt[0]->setValue(true);
    for (auto* o : opt)
        o->onClick = [&](int index) { optionClicks.push_back(index); };
    QTest::mouseClick(child(view, "optWhichDBImport(2)"), Qt::LeftButton);
    EXPECT_TRUE(opt[2]->Value());
    EXPECT_FALSE(opt[0]->Value());
    EXPECT_FALSE(child<QRadioButton>(view, "optWhichDBImport(0)")->isChecked());
    // A click on the option already on keeps it on and still clicks.
    QTest::mouseClick(child(view, "optWhichDBImport(2)"), Qt::LeftButton);
    EXPECT_TRUE(child<QRadioButton>(view, "optWhichDBImport(2)")->isChecked());
    EXPECT_EQ(optionClicks, (std::vector<int>{2, 2}));

    std::vector<int> previous;
    tabs.onClick = [&](int before) { previous.push_back(before); };
    auto* bar = child<QTabWidget>(view, "SSIndexTab1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tabs.Tab(), 1);
    EXPECT_EQ(previous, std::vector<int>{0});
    // A handler that sends the user back is obeyed on screen too.
    tabs.onClick = [&](int before) {
        if (tabs.Tab() == 0) tabs.setTab(before);
    };
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(tabs.Tab(), 1);
    EXPECT_EQ(bar->currentIndex(), 1);
}

TEST_F(FormViewTest, RefusedControlsStayAsTheyWereOnScreen) {
    showView();
    int events = 0;
    cmdOk.onClick = [&] { ++events; };
    opt[0]->setValue(true);
    opt[1]->onClick = [&](int) { ++events; };
    tabs.onClick = [&](int) { ++events; };
    for (Control* c : std::initializer_list<Control*>{&cmdOk, opt[1], &tabs})
        c->setUserRefused(true);

    QTest::mouseClick(child(view, "cmdOk"), Qt::LeftButton);
    QTest::mouseClick(child(view, "optWhichDBImport(1)"), Qt::LeftButton);
    EXPECT_FALSE(child<QRadioButton>(view, "optWhichDBImport(1)")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(view, "optWhichDBImport(0)")->isChecked());
    auto* bar = child<QTabWidget>(view, "SSIndexTab1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(bar->currentIndex(), 0);
    EXPECT_EQ(tabs.Tab(), 0);
    EXPECT_EQ(events, 0);

    for (Control* c : std::initializer_list<Control*>{&cmdOk, opt[1], &tabs})
        c->setUserRefused(false);
    QTest::mouseClick(child(view, "cmdOk"), Qt::LeftButton);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tabs.Tab(), 1);
    EXPECT_EQ(events, 2);
}

TEST_F(FormViewTest, OverlappingFramesShowTheOneInFront) {
    showView();
    tabs.setTab(1);
    QWidget* pers = child(view, "frmPersImport");
    QWidget* trust = child(view, "fraTrustImport");
    EXPECT_TRUE(pers->isVisible());
    EXPECT_FALSE(trust->isVisible());
    fraTrustImport.ZOrder();
    EXPECT_FALSE(pers->isVisible());
    EXPECT_TRUE(trust->isVisible());
    EXPECT_EQ(pers->geometry(), trust->geometry()); // one place, no jump
    fraTrustImport.setVisible(false);
    EXPECT_TRUE(pers->isVisible());
    frmPersImport.ZOrder();
    fraTrustImport.setVisible(true);
    EXPECT_TRUE(pers->isVisible());
    EXPECT_FALSE(trust->isVisible());
}

TEST_F(FormViewTest, TheBusyAnimationTurnsWhileItPlays) {
    showView();
    auto* busy = child<qtui::BusyIndicator>(view, "Animation2");
    EXPECT_FALSE(busy->isAnimating());
    animation.setAutoPlay(true);
    animation.Open("/opt/sysadmin/working.avi"); // no such clip: we draw our own
    EXPECT_TRUE(busy->isAnimating());
    const int before = busy->frame();
    QTest::qWait(300);
    EXPECT_GT(busy->frame(), before);
    animation.Stop();
    EXPECT_FALSE(busy->isAnimating());
    animation.setVisible(false);
    EXPECT_FALSE(busy->isVisible());
}

} // namespace
