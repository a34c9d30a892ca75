#include "qt/QtDesktop.h"

#include "QtTestSupport.h"
#include "forms/Desktop.h"
#include "qt/ElidingLineEdit.h"
#include "qt/FileDialogFilter.h"
#include "qt/MessageBoxStyle.h"
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
#include <sys/stat.h>
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

TEST_F(QtDesktopTest, BoxesShowTheirWholeTitle) {
    qtui::QtDesktop desk(options());
    ModalScript script;
    // The adding and editing titles differ only after their common start.
    for (const char* title : {"Quolby System Admin : Adding User Name",
                              "Quolby System Admin : Editing User Name", "Quolby System Admin"}) {
        script.expect<QMessageBox>([title](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), title);
            EXPECT_GE(box.width(), qtui::titleBarWidth(box.windowTitle())) << title;
            box.button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(desk.MsgBox("Saved.", vbOKOnly, title), vbOK);
    }
    // Room for the bar's icon and buttons, in a font at least as large as the box's own.
    const QString title = QStringLiteral("Quolby System Admin : Adding User Name");
    EXPECT_GT(qtui::titleBarWidth(title),
              QFontMetrics(QApplication::font()).horizontalAdvance(title) + 100);
}

TEST(ElidingLineEdit, ALongPathIsElidedInTheMiddleWithTheWholePathAsTooltip) {
    const QString path = QStringLiteral(
        "/srv/network/shares/accounting/quolby/2018/databases/QolbCompany2018Lan.Mdb");
    qtui::ElidingLineEdit box;
    box.setReadOnly(true);
    box.setFixedWidth(200);
    box.setText(path);
    box.show();                  // a hidden widget is told of its size only when shown
    EXPECT_EQ(box.text(), path); // what the program reads stays whole
    ASSERT_TRUE(box.elides());
    EXPECT_EQ(box.toolTip(), path);
    const QString shown = box.shownText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/srv"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral(".Mdb"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();

    // Wide enough: shown whole, no tooltip. A box the user edits is never elided.
    box.setFixedWidth(box.fontMetrics().horizontalAdvance(path) + 40);
    EXPECT_FALSE(box.elides());
    EXPECT_EQ(box.shownText(), path);
    EXPECT_TRUE(box.toolTip().isEmpty());
    box.setFixedWidth(200);
    box.setReadOnly(false);
    EXPECT_FALSE(box.elides());
    EXPECT_TRUE(box.toolTip().isEmpty());
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
        EXPECT_GE(d.width(), qtui::titleBarWidth(d.windowTitle()));
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

// Runs `job` in a child process as the user nobody; gives the byte the child wrote, or 0.
// Only async-signal-safe calls may run in the child: the parent runs threads.
template <class Job> char asNobody(Job job) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) {
        char result = 'e';
        if (::setgid(65534) == 0 && ::setuid(65534) == 0) result = job();
        (void)!::write(pipeFds[1], &result, 1);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    char result = 0;
    if (::read(pipeFds[0], &result, 1) != 1) result = 0;
    ::close(pipeFds[0]);
    ::waitpid(pid, nullptr, 0);
    return result;
}

TEST_F(QtDesktopTest, OneLockForTheComputerUnlessTheEnvironmentNamesAnother) {
    const QByteArray saved = qgetenv("QUOLBY_SYSADMIN_LOCK");
    qunsetenv("QUOLBY_SYSADMIN_LOCK");
    const std::string shared = qtui::SingleCopyLock::computerWidePath();
    EXPECT_TRUE(shared == "/var/lock/quolby-sysadmin.lock" || shared == "/tmp/quolby-sysadmin.lock")
        << shared;
    EXPECT_EQ(qtui::QtDesktop::defaultLockPath(), shared);

    // Tests that start the program side by side each name a lock of their own.
    qputenv("QUOLBY_SYSADMIN_LOCK", QByteArray::fromStdString(lockPath()));
    EXPECT_EQ(qtui::QtDesktop::defaultLockPath(), lockPath());
    {
        qtui::SingleCopyLock running(lockPath());
        ASSERT_FALSE(running.heldElsewhere());
        qtui::QtDesktop desk;
        EXPECT_TRUE(desk.anotherCopyRunning());
    }
    if (saved.isNull())
        qunsetenv("QUOLBY_SYSADMIN_LOCK");
    else
        qputenv("QUOLBY_SYSADMIN_LOCK", saved);
}

TEST_F(QtDesktopTest, TheLockFileIsOpenToEveryUserAndALinkIsNeverFollowed) {
    const mode_t oldMask = ::umask(077);
    {
        qtui::SingleCopyLock lock(lockPath());
        EXPECT_FALSE(lock.heldElsewhere());
        EXPECT_TRUE(lock.held());
    }
    ::umask(oldMask);
    struct stat st {};
    ASSERT_EQ(::stat(lockPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u);

    // A link planted where the lock file goes: not followed, the file it names untouched.
    const std::string victim = (dir.path() + "/victim").toStdString();
    const std::string planted = (dir.path() + "/planted.lock").toStdString();
    ASSERT_EQ(::close(::open(victim.c_str(), O_CREAT | O_WRONLY, 0600)), 0);
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    qtui::SingleCopyLock lock(planted);
    EXPECT_FALSE(lock.heldElsewhere()); // the program still starts
    EXPECT_FALSE(lock.held());
    ASSERT_EQ(::stat(victim.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(QtDesktopTest, ACopyOfAnotherUserIsSeenInASharedStickyFolder) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
    // A folder like /tmp: everyone may create files, only owners may remove them.
    char shared[] = "/tmp/quolby-lock-test-XXXXXX";
    ASSERT_NE(::mkdtemp(shared), nullptr);
    ASSERT_EQ(::chmod(shared, 01777), 0);
    const std::string ours = std::string(shared) + "/ours.lock";
    const std::string theirs = std::string(shared) + "/theirs.lock";

    {
        // Our copy runs, its file made under a narrow umask: the other user sees it.
        const mode_t oldMask = ::umask(077);
        qtui::SingleCopyLock running(ours);
        ASSERT_FALSE(running.heldElsewhere());
        ::umask(oldMask);
        qtui::SingleCopyLock second(ours); // made before the fork: no allocation in the child
        EXPECT_EQ(asNobody([&] { return second.heldElsewhere() ? '1' : '0'; }), '1');
    }

    // Their file has a narrow mode and they have gone: we can still take the lock.
    EXPECT_EQ(asNobody([&] {
                  const int fd = ::open(theirs.c_str(), O_CREAT | O_RDWR, 0600);
                  return fd >= 0 && ::fchmod(fd, 0600) == 0 ? '1' : '0';
              }),
              '1');
    {
        qtui::SingleCopyLock lock(theirs);
        EXPECT_FALSE(lock.heldElsewhere());
        EXPECT_TRUE(lock.held());
    }
    ::unlink(ours.c_str());
    ::unlink(theirs.c_str());
    ::rmdir(shared);
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
