#include "QtTestSupport.h"
#include "engine/Dao.h"
#include "program/Program.h"
#include "qt/ChildWindow.h"
#include "qt/ElidingLineEdit.h"
#include "qt/FormView.h"
#include "qt/FrameWindow.h"
#include "qt/ProgramWindows.h"
#include "qt/QtDesktop.h"
#include "support/DatabaseFile.h"
#include "support/StandAloneFile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <map>

namespace {

using qtsupport::child;
using qtsupport::ModalScript;

const char* const kClosingQuestion =
    "The System Admin program will now Close!\nDo you want to Exit the program?";

// The program as a person starts it, on a fresh program folder of its own.
class ProgramSmokeTest : public ::testing::Test {
protected:
    ProgramSmokeTest() { desk.setMainWindow(&windows.frame()); } // as the program does
    ~ProgramSmokeTest() override { engine::DBEngine::instance().Workspaces(0).Close(); }

    std::string folderPath() const { return folder.path().toStdString(); }
    std::string lockPath() const { return folderPath() + "/running.lock"; }

    // Starts the program at 1024 x 768, the size every page must be readable at.
    void start() {
        ASSERT_TRUE(program.start());
        windows.frame().resize(1024, 768);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&windows.frame()));
    }

    QWidget& frame() const { return windows.frame(); }
    template <class T = QWidget> T* widget(const char* name) const {
        return child<T>(frame(), name);
    }

    // The frame and the administration window are shown and drawn: a box shown now
    // stands in front of them, not on an empty screen.
    void expectWindowsBehind(QWidget& box) {
        EXPECT_TRUE(frame().isVisible()) << qtsupport::describeModal(box);
        EXPECT_TRUE(windows.admin().isVisible()) << qtsupport::describeModal(box);
        ASSERT_NE(frame().windowHandle(), nullptr);
        EXPECT_TRUE(frame().windowHandle()->isExposed()) << qtsupport::describeModal(box);
        EXPECT_EQ(box.parentWidget() ? box.parentWidget()->window() : nullptr, &frame())
            << qtsupport::describeModal(box);
    }

    // Where each named widget of the administration window is, in frame coordinates.
    std::map<std::string, QRect> placesOnPage() const {
        std::map<std::string, QRect> places;
        for (QWidget* w : windows.admin().view()->findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && w->isVisible())
                places[w->objectName().toStdString()] =
                    QRect(w->mapTo(&frame(), QPoint(0, 0)), w->size());
        return places;
    }

    // Switches a tab strip as a person does, by clicking the page's tab.
    void clickTab(const char* strip, int index) {
        QTabBar* bar = widget<QTabWidget>(strip)->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        QApplication::processEvents();
    }

    // The administration window fits its place at 1024 x 768: no scrolling, and every
    // widget shown at least at the size it needs.
    void expectReadable(const std::string& where) {
        QApplication::processEvents();
        auto* scroll = qobject_cast<QScrollArea*>(windows.admin().widget());
        ASSERT_NE(scroll, nullptr);
        EXPECT_FALSE(scroll->verticalScrollBar()->isVisible()) << where;
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << where;
        for (QWidget* w : windows.admin().view()->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || !w->isVisible()) continue;
            const QSize need = w->minimumSizeHint();
            EXPECT_GE(w->width(), need.width()) << where << ": " << w->objectName().toStdString();
            EXPECT_GE(w->height(), need.height()) << where << ": " << w->objectName().toStdString();
        }
        saveShot(frame(), where);
    }

    // A picture of `w` in the folder QUOLBY_SCREENSHOTS names, when it names one.
    static void saveShot(QWidget& w, const std::string& name) {
        if (const QByteArray dir = qgetenv("QUOLBY_SCREENSHOTS"); !dir.isEmpty())
            w.grab().save(QDir(QString::fromLocal8Bit(dir))
                              .filePath(QString::fromStdString(name) + QStringLiteral(".png")));
    }

    void listLastYear();

    QTemporaryDir folder;
    qtui::QtDesktop desk{{folderPath(), lockPath(), "Quolby2018 SysAdmin"}};
    ModalScript script;
    program::Program program;
    qtui::ProgramWindows windows{program};
};

TEST_F(ProgramSmokeTest, StartsWithItsWindowsAndCaptions) {
    start();
    EXPECT_EQ(frame().windowTitle(), "Quolby2018 SysAdmin Ver: 1.04.000");
    EXPECT_TRUE(windows.admin().isVisible());
    EXPECT_EQ(windows.admin().windowTitle(), "Database Administration for Quolby 2018 Network");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the hourglass went with the load

    // The pages, their captions drawn as the platform drew them.
    auto* tabs = widget<QTabWidget>("SSIndexTab1");
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    const QFontMetrics fm(tabs->tabBar()->font());
    const char* shown[] = {"Database Location & User Setup", "Restoring after Network Failure",
                           "Importing Databases"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fm.size(Qt::TextShowMnemonic, tabs->tabText(i)),
                  fm.size(Qt::TextSingleLine, QString::fromLatin1(shown[i])))
            << shown[i];
    EXPECT_EQ(widget<QTabWidget>("SSIndexTab2")->tabText(0),
              "Import Individual 2018 Databases to Network");
    EXPECT_EQ(widget<QLabel>("lblLabels(11)")->text(), "(Qolb2018Lan.Mdb)");
    EXPECT_EQ(widget<QGroupBox>("Frame11")->title(), "BackUp && Restore Databases");
    EXPECT_EQ(widget<QPushButton>("cmdOk")->text(), "&OK");
    // The start filled the boxes from the program folder.
    EXPECT_EQ(widget<QLineEdit>("txtQolbDB")->text().toStdString(),
              program.frmSysAdmin().PersDbPath);
    EXPECT_EQ(widget<QLineEdit>("txtQolbDBVersion")->text(), "3");
    EXPECT_TRUE(widget<QLineEdit>("txtQolbDB")->isReadOnly());
    EXPECT_FALSE(widget("Frame1")->isVisible()); // no user is logged on

    expectReadable("page0");
    clickTab("SSIndexTab1", 1);
    EXPECT_EQ(program.frmSysAdmin().SSIndexTab1.Tab(), 1);
    expectReadable("page1");
    clickTab("SSIndexTab1", 2);
    expectReadable("page2-standalone");
    clickTab("SSIndexTab2", 1);
    // The notice covers the previous-year page until Continue.
    EXPECT_TRUE(widget("Frame13")->isVisible());
    EXPECT_FALSE(widget("lstPrevYear")->isVisible());
    expectReadable("page2-notice");
    app::frmSysAdmin& admin = program.frmSysAdmin();
    admin.Frame13.setVisible(false); // what Continue does
    EXPECT_TRUE(widget("lstPrevYear")->isVisible());
    EXPECT_TRUE(widget("frmPersImport")->isVisible());
    EXPECT_FALSE(widget("fraTrustImport")->isVisible());
    QTest::mouseClick(widget("optWhichDBImport(1)"), Qt::LeftButton);
    EXPECT_TRUE(admin.optWhichDBImport(1).Value());
    EXPECT_FALSE(admin.optWhichDBImport(0).Value());
    admin.fraTrustImport.ZOrder(); // what choosing trusts does
    EXPECT_TRUE(widget("fraTrustImport")->isVisible());
    EXPECT_FALSE(widget("frmPersImport")->isVisible());
    admin.fraProgressBar.setVisible(true);
    admin.HScroll2.setValue(16384);
    EXPECT_EQ(widget<QProgressBar>("HScroll2")->value(), 16384);
    // The marks 0 to 100 stand under the whole bar, not bunched at its left.
    QApplication::processEvents();
    const QRect bar = widget("HScroll2")->geometry(),
                scale = widget("lblProgressScale")->geometry();
    EXPECT_LE(std::abs(scale.left() - bar.left()), 2);
    EXPECT_LE(std::abs(scale.right() - bar.right()), 2);
    expectReadable("page2-previous-year");
}

// Last year's individuals located through the dialog: the list fills in name order and a
// click shows the client in the boxes.
// Last year's individuals file with Smith and Adams, located on the previous-year page.
void ProgramSmokeTest::listLastYear() {
    using runtime::Variant;
    const std::string last = folderPath() + "/Qolb2017LAN.MDB";
    support::DatabaseFile(last, support::FileKind::LastYearIndividuals)
        .row("Qolb2017", {{"DCLNO", 1.0},
                          {"Surname", "Smith"},
                          {"PERS2", "J."},
                          {"Desc", "2017"},
                          {"MPERSDECEASED", std::int16_t{0}}})
        .row("Qolb2017", {{"DCLNO", 2.0}, {"Surname", "Adams"}, {"PERS2", "K."}, {"Desc", ""}})
        .row("Qolb2017Cont", {{"DCLNO", 1.0},
                              {"TaxRefNo_1", "0123"},
                              {"TaxRefNo_2", "456"},
                              {"TaxRefNo_3", "78"},
                              {"TaxRefNo_4", "9"}})
        .row("DefInvOpt", {{"UpDateDB", Variant(std::int16_t{6})}})
        .make();
    start();
    clickTab("SSIndexTab1", 2);
    clickTab("SSIndexTab2", 1);
    QTest::mouseClick(widget("cmdContinueImport"), Qt::LeftButton);
    script.expect<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Locate File Name : Qolb2017LAN.MDB");
        d.selectFile(QString::fromStdString(last));
        static_cast<QDialog&>(d).accept();
    });
    QTest::mouseClick(widget("cmdLocateDB"), Qt::LeftButton);
    ASSERT_TRUE(script.waitUntilDone());
}

TEST_F(ProgramSmokeTest, LastYearsClientsAreListedAndAClickShowsOne) {
    listLastYear();
    auto* list = widget<QListWidget>("lstPrevYear");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Adams K.  ");
    EXPECT_EQ(list->item(1)->text(), "Smith J. 0123/456/78/9 2017");
    EXPECT_TRUE(widget("cmdImpSelAss")->isEnabled());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(widget<QLineEdit>("Text1")->text(), "J. Smith");
    EXPECT_EQ(widget<QLineEdit>("Text2")->text(), "0123/456/78/9");
    EXPECT_EQ(widget<QLineEdit>("Text3")->text(), "2017");
    expectReadable("page2-listed");
}

TEST_F(ProgramSmokeTest, AClickedClientIsImportedAndTheWindowSaysSo) {
    listLastYear();
    auto* list = widget<QListWidget>("lstPrevYear");
    ASSERT_EQ(list->count(), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    script.expect<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.text().toStdString(), "The Transfer has been completed.");
        saveShot(box, "page2-imported-box");
        box.button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(widget("cmdImpSelAss"), Qt::LeftButton);
    ASSERT_TRUE(script.waitUntilDone());
    expectReadable("page2-imported");
}

TEST_F(ProgramSmokeTest, StandAloneFilesAreImportedAndTheWindowSaysSo) {
    QDir(folder.path()).mkdir("standalone");
    const std::string source = folderPath() + "/standalone/Qolb2018.mdb";
    support::makeStandAlone(source, {{"Qolb2018", {{"DCLNO", 1.0}, {"Surname", "Smith"}}},
                                     {"TRUSTDetails", {{"TDCLNO", 1.0}, {"TrustName", "One"}}}});
    support::DatabaseFile(folderPath() + "/standalone/QolbCompany2018.Mdb",
                          support::FileKind::Company)
        .row("CompanyDetails", {{"CDCLNO", 1.0}, {"CompanyRegName", "Alpha"}})
        .make();
    start();
    clickTab("SSIndexTab1", 2);
    clickTab("SSIndexTab2", 0);
    script.expect<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Locate File Name : Qolb2018.mdb");
        d.selectFile(QString::fromStdString(source));
        static_cast<QDialog&>(d).accept();
    });
    QTest::mouseClick(widget("cmdLocateImportDBs"), Qt::LeftButton);
    ASSERT_TRUE(script.waitUntilDone());
    EXPECT_EQ(widget<QLineEdit>("txtQolbDBImportSource")->text().toStdString(), source);
    EXPECT_TRUE(widget("cmdImportNow")->isEnabled());
    expectReadable("page2-standalone-located");
    script.expect<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.text().toStdString(), "The File Transfer has been successfull !");
        saveShot(box, "page2-standalone-box");
        box.button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(widget("cmdImportNow"), Qt::LeftButton);
    ASSERT_TRUE(script.waitUntilDone());
    expectReadable("page2-standalone-imported");
}

TEST_F(ProgramSmokeTest, AUserNameTypedAndSavedShowsInTheList) {
    start();
    auto* update = widget<QPushButton>("cmdUpdate");
    EXPECT_FALSE(update->isEnabled());
    QTest::mouseClick(widget("cmdAddNew"), Qt::LeftButton);
    EXPECT_TRUE(update->isEnabled()); // the handler's change reached the widget
    auto* name = widget<QLineEdit>("txtUserName");
    EXPECT_TRUE(name->hasFocus());
    QTest::keyClicks(name, "ANN");
    EXPECT_EQ(program.frmSysAdmin().txtUserName.Text(), "ANN");
    QTest::mouseClick(update, Qt::LeftButton);
    auto* list = widget<QListWidget>("List1");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "ANN");
    EXPECT_FALSE(update->isEnabled());
}

TEST_F(ProgramSmokeTest, ClosingAsksAndNoKeepsBothWindows) {
    start();
    QSignalSpy ended(&windows.frame(), &qtui::FrameWindow::unloaded);
    const auto answer = [](QMessageBox::StandardButton button) {
        return [button](QMessageBox& box) {
            EXPECT_EQ(box.text(), kClosingQuestion);
            EXPECT_EQ(box.windowTitle(), "Quolby System Admin");
            box.button(button)->click();
        };
    };
    // The frame's close box asks the administration window's question.
    script.expect<QMessageBox>(answer(QMessageBox::No));
    frame().close();
    EXPECT_TRUE(frame().isVisible());
    EXPECT_TRUE(windows.admin().isVisible());
    EXPECT_TRUE(program.running());

    // So does the administration window's own close box.
    script.expect<QMessageBox>(answer(QMessageBox::No));
    windows.admin().close();
    EXPECT_TRUE(windows.admin().isVisible());

    // The administration window's own OK button: Yes leaves the empty frame.
    script.expect<QMessageBox>(answer(QMessageBox::Yes));
    QTest::mouseClick(widget("cmdOk"), Qt::LeftButton);
    EXPECT_FALSE(windows.admin().isVisible());
    EXPECT_TRUE(frame().isVisible());
    EXPECT_EQ(ended.count(), 0);

    // The frame's OK button ends the program without another question.
    QTest::mouseClick(child(*windows.frame().view(), "cmdOk"), Qt::LeftButton);
    EXPECT_FALSE(program.running());
    EXPECT_FALSE(frame().isVisible());
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(ProgramSmokeTest, AWindowThatRefusesToCloseAsksNothingAndStays) {
    start();
    program.frmSysAdmin().setUnloadRefused(true); // as while an import runs
    frame().close();
    windows.admin().close();
    EXPECT_TRUE(frame().isVisible());
    EXPECT_TRUE(windows.admin().isVisible());
    EXPECT_TRUE(program.running());
    program.frmSysAdmin().setUnloadRefused(false);
}

TEST_F(ProgramSmokeTest, ASecondCopyShowsItsMessageAndNoWindow) {
    qtui::QtDesktop first({folderPath(), lockPath(), ""});
    ASSERT_FALSE(first.anotherCopyRunning());
    forms::setDesktop(&desk); // this test's program asks the second desktop

    script.expect<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Quolby2018 SysAdmin Currently Loaded!!!!!");
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_TRUE(box.text().startsWith(
            "Quolby2018 SysAdmin is already running(open) on this computer!\n"));
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_FALSE(program.start());
    EXPECT_FALSE(frame().isVisible());
    EXPECT_FALSE(windows.admin().isVisible());
}

TEST_F(ProgramSmokeTest, StartUpBoxesStandInFrontOfTheWindows) {
    // An empty system path file: the start asks for the system database.
    QFile empty(QString::fromStdString(folderPath() + "/DBSysPath.txt"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();

    script.expect<QFileDialog>([this](QFileDialog& dialog) {
        expectWindowsBehind(dialog);
        dialog.reject();
    });
    script.expect<QMessageBox>([this](QMessageBox& box) {
        EXPECT_TRUE(box.text().startsWith("No path has been set."));
        expectWindowsBehind(box);
        box.button(QMessageBox::No)->click();
    });
    script.expect<QMessageBox>([this](QMessageBox& box) {
        EXPECT_EQ(box.text(), kClosingQuestion);
        expectWindowsBehind(box);
        box.button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(program.start()); // the frame stays, empty
    EXPECT_EQ(script.pending(), 0);
    EXPECT_FALSE(windows.admin().isVisible());
}

TEST_F(ProgramSmokeTest, TheFrameFitsTheScreenWithItsBorder) {
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame()));
    QApplication::processEvents();
    const QRect available = frame().screen()->availableGeometry();
    EXPECT_TRUE(available.contains(frame().frameGeometry()))
        << "frame " << frame().frameGeometry().width() << "x" << frame().frameGeometry().height()
        << " on " << available.width() << "x" << available.height();
    QWidget* ok = child(*windows.frame().view(), "cmdOk");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(available.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
}

TEST(FrameWithin, MovesAndShrinksAnOuterRectangleIntoTheFreeArea) {
    const QRect screen(0, 0, 1024, 740); // a panel takes the rest of 768
    struct Case {
        QRect frame, fitted;
    } cases[] = {
        {{0, 0, 800, 600}, {0, 0, 800, 600}},         // fits: left alone
        {{0, 0, 1032, 799}, {0, 0, 1024, 740}},       // a 1024 x 768 window with its title bar
        {{300, 200, 800, 600}, {224, 140, 800, 600}}, // moved in, not shrunk
        {{-20, -5, 400, 300}, {0, 0, 400, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qtui::frameWithin(c.frame, screen), c.fitted);
}

TEST_F(ProgramSmokeTest, PathBoxesShowTheWholePathOrItsEndsWithATooltip) {
    start();
    // An ordinary network path, longer than the program folder of this test.
    const auto expectReadablePath = [](qtui::ElidingLineEdit& box) {
        const QString path = QStringLiteral("/mnt/office-server/QUOLBY/Network Data 2018/") +
                             QFileInfo(box.text()).fileName();
        box.setText(path);
        const std::string name = box.objectName().toStdString();
        if (box.elides()) {
            EXPECT_EQ(box.toolTip(), path) << name;
            EXPECT_TRUE(box.shownText().startsWith(QStringLiteral("/mnt/"))) << name;
            EXPECT_TRUE(box.shownText().endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive))
                << name << ": " << box.shownText().toStdString();
        } else {
            EXPECT_EQ(box.shownText(), path) << name;
        }
    };
    for (const char* name : {"txtUserMainDB", "txtQolbDB", "txtQolbTrustDB", "txtQolbCompDB"})
        expectReadablePath(*widget<qtui::ElidingLineEdit>(name));
    clickTab("SSIndexTab1", 2);
    for (const char* name : {"txtQolbDBImport", "txtQolbTrustDBImport", "txtQolbCompDBImport"})
        expectReadablePath(*widget<qtui::ElidingLineEdit>(name));
}

TEST_F(ProgramSmokeTest, TheBusyAnimationMovesNothing) {
    start();
    app::frmSysAdmin& admin = program.frmSysAdmin();
    auto before = placesOnPage();
    admin.Animation2.setVisible(true); // what a backup does while it copies
    QApplication::processEvents();
    auto during = placesOnPage();
    ASSERT_TRUE(during.count("Animation2"));
    during.erase("Animation2");
    EXPECT_EQ(during, before);
    admin.Animation2.setVisible(false);
    QApplication::processEvents();
    EXPECT_EQ(placesOnPage(), before);
}

TEST_F(ProgramSmokeTest, CtrlTabTurnsThePagesOfTheStripThatHoldsTheFocus) {
    start();
    app::frmSysAdmin& admin = program.frmSysAdmin();
    QWidget* list = widget("List1");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(admin.SSIndexTab1.Tab(), 1);
    EXPECT_EQ(widget<QTabWidget>("SSIndexTab1")->currentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(admin.SSIndexTab1.Tab(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(admin.SSIndexTab1.Tab(), 0); // round the end
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(admin.SSIndexTab1.Tab(), 2);

    // Inside the import page the inner strip turns; the outer one stays.
    QWidget* inner = widget("txtQolbDBImport");
    inner->setFocus();
    QTest::keyClick(inner, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(admin.SSIndexTab2.Tab(), 1);
    EXPECT_EQ(admin.SSIndexTab1.Tab(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(admin.SSIndexTab2.Tab(), 0);
    EXPECT_EQ(admin.SSIndexTab1.Tab(), 2);
}

} // namespace
