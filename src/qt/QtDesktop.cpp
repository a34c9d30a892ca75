#include "qt/QtDesktop.h"

#include "qt/FileDialogFilter.h"
#include "qt/MessageBoxStyle.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <quolby/Version.h>

namespace qtui {

namespace {

constexpr char kExposedOnce[] = "quolbyExposedOnce";
constexpr int kExposureWaitMs = 1000;

// Whether `w` was shown but the window system has not yet let it be drawn. A window is
// waited for only until its first exposure: one hidden later (another desktop) never
// slows down the loops that let events through.
bool awaitsFirstExposure(QWidget* w) {
    QWindow* handle = w->windowHandle();
    if (!handle || !w->isVisible() || w->isMinimized() || handle->property(kExposedOnce).toBool())
        return false;
    if (!handle->isExposed()) return true;
    handle->setProperty(kExposedOnce, true);
    return false;
}

// A window just shown is drawn only once the window system exposes it, some round trips
// later; a message box shown before that would stand on an empty screen. Waits for that,
// letting no input through, and then for the paint the exposure asks for.
void paintNewlyShownWindows() {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto waiting = std::count_if(windows.begin(), windows.end(), awaitsFirstExposure);
        if (waiting == 0 || clock.hasExpired(kExposureWaitMs)) break;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

class QtDesktop::PointerPause {
public:
    explicit PointerPause(const QtDesktop& desk) : paused_(desk.pointer_ != forms::vbDefault) {
        if (paused_) QGuiApplication::restoreOverrideCursor();
    }
    ~PointerPause() {
        if (paused_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    PointerPause(const PointerPause&) = delete;
    PointerPause& operator=(const PointerPause&) = delete;

private:
    bool paused_;
};

QtDesktop::QtDesktop() : QtDesktop(Options{}) {}

QtDesktop::QtDesktop(Options options)
    : options_(std::move(options)),
      lock_(options_.lockPath.empty() ? defaultLockPath() : options_.lockPath),
      previous_(forms::setDesktop(this)) {}

QtDesktop::~QtDesktop() {
    setMousePointer(forms::vbDefault);
    forms::setDesktop(previous_);
}

std::string QtDesktop::defaultLockPath() {
    const QByteArray chosen = qgetenv("QUOLBY_SYSADMIN_LOCK");
    if (!chosen.isEmpty()) return chosen.toStdString();
    return SingleCopyLock::computerWidePath();
}

QWidget* QtDesktop::dialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return mainWindow_.data();
}

int QtDesktop::MsgBox(const std::string& text, int style, const std::string& title) {
    auto box = makeMessageBox(text, style, title.empty() ? programTitle() : title, dialogParent());
    PointerPause pause(*this);
    box->exec();
    return answerOf(*box, style);
}

forms::FileDialogResult QtDesktop::showOpenDialog(const forms::FileDialogRequest& request) {
    return showFileDialog(request, false);
}

forms::FileDialogResult QtDesktop::showSaveDialog(const forms::FileDialogRequest& request) {
    return showFileDialog(request, true);
}

forms::FileDialogResult QtDesktop::showFileDialog(const forms::FileDialogRequest& request,
                                                  bool save) {
    QFileDialog dialog(dialogParent());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!request.DialogTitle.empty())
        dialog.setWindowTitle(QString::fromStdString(request.DialogTitle));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!(request.Flags & forms::cdlOFNOverwritePrompt))
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((request.Flags & forms::cdlOFNFileMustExist) ? QFileDialog::ExistingFile
                                                                        : QFileDialog::AnyFile);
    }
    const QStringList filters = qtNameFilters(request.Filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);

    // The proposed name may carry a folder of its own; it wins over InitDir when it exists.
    QString proposed = QString::fromStdString(request.FileName);
    proposed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo proposedInfo(proposed);
    const QString initDir = QString::fromStdString(request.InitDir);
    if (proposed.contains(QLatin1Char('/')) && proposedInfo.dir().exists())
        dialog.setDirectory(proposedInfo.dir());
    else if (!initDir.isEmpty() && QDir(initDir).exists())
        dialog.setDirectory(initDir);
    if (!proposedInfo.fileName().isEmpty()) dialog.selectFile(proposedInfo.fileName());

    // Wide enough for its whole title, which names the file it asks for.
    int width = titleBarWidth(dialog.windowTitle());
    if (const QScreen* screen = dialog.screen())
        width = std::min(width, screen->availableGeometry().width());
    if (width > dialog.sizeHint().width()) dialog.resize(width, dialog.sizeHint().height());

    PointerPause pause(*this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return forms::FileDialogResult::cancel();
    return forms::FileDialogResult::chosen(
        QDir::cleanPath(dialog.selectedFiles().constFirst()).toStdString());
}

void QtDesktop::setMousePointer(int pointer) {
    const int wanted = pointer == forms::vbHourglass ? forms::vbHourglass : forms::vbDefault;
    if (wanted == pointer_) return;
    if (wanted == forms::vbHourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    pointer_ = wanted;
}

void QtDesktop::DoEvents() {
    QCoreApplication::processEvents();
    paintNewlyShownWindows();
}

void QtDesktop::Beep() {
    QApplication::beep();
}

bool QtDesktop::anotherCopyRunning() {
    return lock_.heldElsewhere();
}

std::string QtDesktop::programFolder() {
    std::string folder = options_.programFolder.empty()
                             ? QCoreApplication::applicationDirPath().toStdString()
                             : options_.programFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

forms::Version QtDesktop::version() {
    return {quolby::kVersionMajor, quolby::kVersionMinor, quolby::kVersionPatch};
}

std::string QtDesktop::programTitle() {
    if (!options_.programTitle.empty()) return options_.programTitle;
    return QGuiApplication::applicationDisplayName().toStdString();
}

} // namespace qtui
