#include "qt/QtDesktop.h"

#include "QtTestSupport.h"
#include "forms/Desktop.h"
#include "qt/FileDialogFilter.h"
#include "qt/SingleCopyLock.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <quolby/Version.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace forms;
using qtsupport::ModalScript;

// Each test gets its own lock file, so that no test sees another (or a running program).
class QtDesktopTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string lockPath() const { return (dir.path() + "/sysadmin.lock").toStdString(); }
    qtui::QtDesktop::Options options() const { return {"", lockPath(), ""}; }
};

struct BoxCase {
    int style;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton press;
    int answer;
};

TEST_F(QtDesktopTest, MessageBoxesFollowTheirStyle) {
    using B = QMessageBox;
    const BoxCase cases[] = {
        {vbOKOnly, B::Ok, B::NoIcon, B::Ok, B::Ok, vbOK},
        {vbOKCancel | vbQuestion, B::Ok | B::Cancel, B::Question, B::Ok, B::Cancel, vbCancel},
        {vbAbortRetryIgnore | vbCritical | vbDefaultButton2, B::Abort | B::Retry | B::Ignore,
         B::Critical, B::Retry, B::Ignore, vbIgnore},
        {vbYesNoCancel | vbExclamation | vbDefaultButton3, B::Yes | B::No | B::Cancel, B::Warning,
         B::Cancel, B::No, vbNo},
        {vbYesNo, B::Yes | B::No, B::NoIcon, B::Yes, B::Yes, vbYes},
        {vbRetryCancel | vbInformation, B::Retry | B::Cancel, B::Information, B::Retry, B::Retry,
         vbRetry},
    };
    qtui::QtDesktop desk(options());
    for (const BoxCase& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        ModalScript script;
        script.expect<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.text(), "The System Admin program will now Close!\n<b>Exit?</b>");
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            EXPECT_EQ(box.windowTitle(), "Quolby System Admin");
            EXPECT_EQ(box.standardButtons(), c.buttons);
            EXPECT_EQ(box.icon(), c.icon);
            ASSERT_NE(box.defaultButton(), nullptr);
            EXPECT_EQ(box.standardButton(box.defaultButton()), c.defaultButton);
            box.button(c.press)->click();
        });
        EXPECT_EQ(desk.MsgBox("The System Admin program will now Close!\r\n<b>Exit?</b>", c.style,
                              "Quolby System Admin"),
                  c.answer);
    }
}

TEST_F(QtDesktopTest, ABoxWithoutTitleShowsTheProgramsTitle) {
    ModalScript script;
    qtui::QtDesktop desk(options());
    script.expect<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Test Program");
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(desk.MsgBox("Please ensure that you are importing from the latest version"), vbOK);

    qtui::QtDesktop named({"", lockPath(), "Quolby2018 SysAdmin"});
    script.expect<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Quolby2018 SysAdmin");
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(named.MsgBox("text", vbOKOnly, ""), vbOK);
}

TEST_F(QtDesktopTest, EscapeCancelsOnlyWhereTheBoxHasACancel) {
    qtui::QtDesktop desk(options());
    ModalScript script;
    // Yes/No: neither Escape nor the close box answers; a button must be pressed.
    script.expect<QMessageBox>([](QMessageBox& box) {
        QTest::keyClick(&box, Qt::Key_Escape);
        box.close();
        EXPECT_TRUE(box.isVisible());
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(desk.MsgBox("Do you want to Exit the program?", vbYesNo), vbNo);

    script.expect<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(desk.MsgBox("Copy now?", vbOKCancel), vbCancel);
    script.expect<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(desk.MsgBox("Done.", vbOKOnly), vbOK);
}

TEST(FileDialogFilter, BecomesQtNameFiltersThatIgnoreCase) {
    EXPECT_EQ(qtui::qtNameFilters("Access Database (.mdb)|*.mdb"),
              QStringList{"Access Database (.mdb) (*.[mM][dD][bB])"});
    EXPECT_EQ(qtui::qtNameFilters("Databases|*.mdb;*.ldb|All files|*.*"),
              (QStringList{"Databases (*.[mM][dD][bB] *.[lL][dD][bB])", "All files (*.*)"}));
    EXPECT_TRUE(qtui::qtNameFilters("").isEmpty());

    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(
        qtui::caseInsensitivePattern(QStringLiteral("*.mdb"))));
    EXPECT_TRUE(re.match(QStringLiteral("Qolb2017LAN.MDB")).hasMatch());
    EXPECT_TRUE(re.match(QStringLiteral("Qolb2018.mdb")).hasMatch());
    EXPECT_FALSE(re.match(QStringLiteral("DBMPath.Txt")).hasMatch());
}

TEST_F(QtDesktopTest, FileDialogsTakeTheRequestAndReportTheChoiceOrACancel) {
    const QString file = dir.path() + "/QOLB2018.MDB";
    std::ofstream(file.toStdString()) << "x";
    qtui::QtDesktop desk(options());
    FileDialogRequest request;
    request.Filter = "Access Database (.mdb)|*.mdb";
    request.Flags = cdlOFNFileMustExist | cdlOFNPathMustExist;
    request.InitDir = dir.path().toStdString();
    request.FileName = "Qolb2018.mdb";
    request.DialogTitle = "Locate File Name : Qolb2018.mdb";

    ModalScript script;
    script.expect<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Locate File Name : Qolb2018.mdb");
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d.nameFilters(), QStringList{"Access Database (.mdb) (*.[mM][dD][bB])"});
        EXPECT_EQ(QDir(d.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        d.selectFile(file);
        static_cast<QDialog&>(d).accept(); // runs the dialog's own checks
    });
    FileDialogResult chosen = desk.showOpenDialog(request);
    EXPECT_FALSE(chosen.cancelled);
    EXPECT_EQ(QDir(QString::fromStdString(chosen.path)).canonicalPath(),
              QDir(file).canonicalPath());

    script.expect<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_TRUE(desk.showOpenDialog(request).cancelled);

    // A save dialog without the overwrite flag does not ask about an existing file.
    request.Flags = 0;
    script.expect<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
        d.selectFile(file);
        static_cast<QDialog&>(d).accept(); // runs the dialog's own checks
    });
    EXPECT_FALSE(desk.showSaveDialog(request).cancelled);
}

TEST_F(QtDesktopTest, TheHourglassIsAnOverrideCursorThatBoxesSuspend) {
    qtui::QtDesktop desk(options());
    desk.setMousePointer(vbHourglass);
    desk.setMousePointer(vbHourglass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(desk.mousePointer(), vbHourglass);

    ModalScript script;
    script.expect<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the user can aim at a button
        box.button(QMessageBox::Ok)->click();
    });
    desk.MsgBox("Network problem");
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);

    desk.setMousePointer(vbDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // set twice, cleared by one reset
    EXPECT_EQ(desk.mousePointer(), vbDefault);
}

TEST_F(QtDesktopTest, DoEventsLetsPendingEventsThrough) {
    qtui::QtDesktop desk(options());
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    desk.DoEvents();
    EXPECT_TRUE(ran);
}

TEST_F(QtDesktopTest, OnlyOneCopyRunsAndTheLockDiesWithItsHolder) {
    {
        qtui::QtDesktop first(options());
        EXPECT_FALSE(first.anotherCopyRunning());
        EXPECT_FALSE(first.anotherCopyRunning()); // asking again is still "only me"
        qtui::SingleCopyLock second(lockPath());
        EXPECT_TRUE(second.heldElsewhere());
    }
    qtui::SingleCopyLock afterFirstEnded(lockPath());
    EXPECT_FALSE(afterFirstEnded.heldElsewhere());
}

TEST_F(QtDesktopTest, ALockHeldByAnotherProcessIsFreedWhenItIsKilled) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const std::string path = lockPath();
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Only async-signal-safe calls here: the parent runs threads.
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(ok, '1');

    qtui::QtDesktop desk(options());
    EXPECT_TRUE(desk.anotherCopyRunning());
    ::kill(pid, SIGKILL); // no chance to clean up
    ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(desk.anotherCopyRunning());
}

TEST_F(QtDesktopTest, ProgramFolderAndVersion) {
    qtui::QtDesktop desk(options());
    EXPECT_EQ(desk.programFolder(), QCoreApplication::applicationDirPath().toStdString());
    desk.setProgramFolder(dir.path().toStdString() + "/");
    EXPECT_EQ(desk.programFolder(), dir.path().toStdString());

    const Version v = desk.version();
    EXPECT_EQ(std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." +
                  std::to_string(v.Revision),
              quolby::kVersionText);
}

TEST_F(QtDesktopTest, InstallsItselfAsTheDesktopWhileItLives) {
    Desktop* before = hasDesktop() ? &desktop() : nullptr;
    {
        qtui::QtDesktop desk(options());
        EXPECT_EQ(&desktop(), &desk);
    }
    EXPECT_EQ(hasDesktop() ? &desktop() : nullptr, before);
}

} // namespace
