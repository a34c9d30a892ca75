#include "qt/QtDesktop.h"

#include "qt/FileDialogFilter.h"
#include "qt/MessageBoxStyle.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <quolby/Version.h>
#include <unistd.h>

namespace qtui {

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
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    // Named for the program and the user, so that each user of the computer has one.
    return (dir + QStringLiteral("/quolby-sysadmin-%1.lock").arg(::getuid())).toStdString();
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
