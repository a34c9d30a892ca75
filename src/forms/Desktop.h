#pragma once

#include <string>
#include <utility>
#include <vector>

namespace forms {

// Message-box answers, numbered as the platform numbers them.
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

// Message-box style = buttons + icon + default button.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbDefaultButton1 = 0;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbDefaultButton3 = 512;

// Mouse pointers.
inline constexpr int vbDefault = 0;
inline constexpr int vbHourglass = 11;

// File-dialog flags the system sets.
inline constexpr int cdlOFNOverwritePrompt = 0x2;
inline constexpr int cdlOFNHideReadOnly = 0x4;
inline constexpr int cdlOFNPathMustExist = 0x800;
inline constexpr int cdlOFNFileMustExist = 0x1000;

// What the code asks of an open or save dialog (the common dialog's properties).
struct FileDialogRequest {
    std::string Filter; // "Access Database (.mdb)|*.mdb": description|pattern pairs
    int Flags = 0;
    std::string InitDir;
    std::string FileName; // proposed name or path
    std::string DialogTitle;
};

// The dialog's outcome: the chosen full path, or cancelled.
struct FileDialogResult {
    bool cancelled = false;
    std::string path;

    static FileDialogResult chosen(std::string p) { return {false, std::move(p)}; }
    static FileDialogResult cancel() { return {true, {}}; }
};

struct Version {
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
};

// Everything modal or bound to the platform. The Qt front end implements it with real
// widgets; tests use ScriptedDesktop. One Desktop is current at a time (setDesktop).
class Desktop {
public:
    virtual ~Desktop() = default;

    // Shows a message box and returns the answer (vbOK ... vbNo). An empty title means
    // the box shows the program's title.
    virtual int MsgBox(const std::string& text, int style = 0, const std::string& title = "") = 0;

    virtual FileDialogResult showOpenDialog(const FileDialogRequest& request) = 0;
    virtual FileDialogResult showSaveDialog(const FileDialogRequest& request) = 0;

    // The screen's mouse pointer: vbDefault (0) or vbHourglass (11).
    virtual void setMousePointer(int pointer) = 0;
    virtual int mousePointer() const = 0;

    // Lets pending window events through once.
    virtual void DoEvents() = 0;
    virtual void Beep() = 0;

    // Whether another copy of the program is already running on this computer.
    virtual bool anotherCopyRunning() = 0;
    // The folder of the program file, without a trailing separator.
    virtual std::string programFolder() = 0;
    virtual Version version() = 0;
    // The title a message box without a title of its own shows.
    virtual std::string programTitle() = 0;
};

// The current Desktop. Throws std::logic_error when none is installed.
Desktop& desktop();
bool hasDesktop();
// Installs a Desktop (nullptr to remove) and returns the one it replaces.
Desktop* setDesktop(Desktop* d);

// The answers a style offers, in button order (vbYesNo gives {vbYes, vbNo}).
std::vector<int> msgBoxButtons(int style);
// The answer of the style's default button (the first unless 256 or 512 says otherwise).
int msgBoxDefaultAnswer(int style);
// The answer pressing Escape or the close box gives: Cancel where the box has it, the
// only button of an OK box, otherwise none (0).
int msgBoxEscapeAnswer(int style);

} // namespace forms
