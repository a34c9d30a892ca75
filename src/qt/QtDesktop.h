#pragma once

#include "forms/Desktop.h"
#include "qt/SingleCopyLock.h"

#include <QPointer>
#include <QWidget>
#include <string>

namespace qtui {

// The Desktop drawn with Qt: message boxes, file dialogs, the hourglass, pumping events,
// the single-copy test, the program folder and version. Installs itself as the current
// Desktop while it lives. Needs a QApplication.
class QtDesktop : public forms::Desktop {
public:
    struct Options {
        // The folder of the program file; empty means the executable's folder.
        std::string programFolder;
        // The lock file that tells whether another copy runs; empty means the one named
        // by QUOLBY_SYSADMIN_LOCK, or else the one every user of the computer shares.
        std::string lockPath;
        // The title of a message box that has none of its own; empty means the
        // application's display name.
        std::string programTitle;
    };

    QtDesktop();
    explicit QtDesktop(Options options);
    ~QtDesktop() override;
    QtDesktop(const QtDesktop&) = delete;
    QtDesktop& operator=(const QtDesktop&) = delete;

    // The window boxes and dialogs belong to when no other window is active.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }
    void setProgramFolder(std::string folder) { options_.programFolder = std::move(folder); }

    // The lock file used when Options::lockPath is empty. The environment variable lets
    // tests that run the program side by side keep their copies apart.
    static std::string defaultLockPath();

    // --- forms::Desktop ---
    int MsgBox(const std::string& text, int style = 0, const std::string& title = "") override;
    forms::FileDialogResult showOpenDialog(const forms::FileDialogRequest& request) override;
    forms::FileDialogResult showSaveDialog(const forms::FileDialogRequest& request) override;
    void setMousePointer(int pointer) override;
    int mousePointer() const override { return pointer_; }
    void DoEvents() override;
    void Beep() override;
    bool anotherCopyRunning() override;
    std::string programFolder() override;
    forms::Version version() override;
    std::string programTitle() override;

private:
    QWidget* dialogParent() const;
    forms::FileDialogResult showFileDialog(const forms::FileDialogRequest& request, bool save);
    // A modal box or dialog shows the normal pointer; the hourglass comes back after it.
    class PointerPause;

    Options options_;
    SingleCopyLock lock_;
    QPointer<QWidget> mainWindow_;
    int pointer_ = forms::vbDefault;
    forms::Desktop* previous_ = nullptr;
};

} // namespace qtui
