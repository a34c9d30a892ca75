#pragma once

#include "forms/Desktop.h"

#include <deque>
#include <functional>
#include <optional>
#include <quolby/Version.h>
#include <string>
#include <vector>

namespace support {

// A Desktop for tests: told in advance, in order, which message boxes and file dialogs
// must appear and what to answer. Every box and dialog is recorded. A box or dialog
// nobody expected, or an expected one that never came (checked by verify() and by the
// destructor), fails the running test and prints what was shown. An unexpected box is
// answered with its default button and an unexpected dialog is cancelled, so that the
// code under test can go on. Installs itself as the current Desktop while it lives.
class ScriptedDesktop : public forms::Desktop {
public:
    enum class Kind { Message, OpenDialog, SaveDialog };

    // One box or dialog as it appeared.
    struct Shown {
        Kind kind = Kind::Message;
        std::string text; // message text
        int style = 0;
        std::string title;                // as passed; "" means the program's title
        forms::FileDialogRequest request; // dialogs
        int answer = 0;                   // messages
        forms::FileDialogResult result;   // dialogs
        bool expected = true;
    };

    ScriptedDesktop();
    ~ScriptedDesktop() override;
    ScriptedDesktop(const ScriptedDesktop&) = delete;
    ScriptedDesktop& operator=(const ScriptedDesktop&) = delete;

    // --- expectations, in the order they must come ---
    // A box with this exact text, any style and title. An answer that is not a button
    // of the box as shown fails the test.
    void expectMessage(std::string text, int answer);
    // A box with this exact text, style and title ("" for no title of its own).
    void expectMessage(std::string text, int style, std::string title, int answer);
    // An open or save dialog that returns `path`.
    void expectOpenDialog(std::string path);
    void expectSaveDialog(std::string path);
    // A dialog, open or save, that the user cancels.
    void expectDialogCancel();

    // From now on a message box that no expectation matches is recorded and answered with
    // `answer` (its default button when the box has no such button) instead of failing
    // the test: for runs whose boxes depend on where a fault struck, read afterwards
    // through messages().
    void answerAnyMessage(int answer) { anyMessageAnswer_ = answer; }

    // What the user does while the running code lets events through: each one given runs
    // inside one later DoEvents, in order.
    void atDoEvents(std::function<void()> userAction) {
        userActions_.push_back(std::move(userAction));
    }

    // Fails the running test for every expectation still waiting (and forgets them).
    // Returns true when none was waiting and nothing unexpected was shown.
    bool verify();

    // --- what happened ---
    const std::vector<Shown>& shown() const { return shown_; }
    // The texts of the message boxes shown, in order.
    std::vector<std::string> messages() const;
    // A readable list of everything shown, for failure output.
    std::string transcript() const;
    int doEventsCount() const { return doEvents_; }
    int beepCount() const { return beeps_; }
    // Every pointer set, in order.
    const std::vector<int>& pointerHistory() const { return pointers_; }

    // --- settable platform facts ---
    void setAnotherCopyRunning(bool running) { anotherCopy_ = running; }
    void setProgramFolder(std::string folder) { folder_ = std::move(folder); }
    void setVersion(forms::Version v) { version_ = v; }
    void setProgramTitle(std::string title) { title_ = std::move(title); }

    // --- forms::Desktop ---
    int MsgBox(const std::string& text, int style = 0, const std::string& title = "") override;
    forms::FileDialogResult showOpenDialog(const forms::FileDialogRequest& request) override;
    forms::FileDialogResult showSaveDialog(const forms::FileDialogRequest& request) override;
    void setMousePointer(int pointer) override;
    int mousePointer() const override { return pointer_; }
    void DoEvents() override;
    void Beep() override { ++beeps_; }
    bool anotherCopyRunning() override { return anotherCopy_; }
    std::string programFolder() override { return folder_; }
    forms::Version version() override { return version_; }
    std::string programTitle() override { return title_; }

private:
    struct Expectation {
        enum class What { Message, OpenDialog, SaveDialog, AnyDialogCancel } what;
        std::string text;
        std::optional<int> style;
        std::optional<std::string> title;
        int answer = 0;
        std::string path;
    };

    forms::FileDialogResult dialog(Kind kind, const forms::FileDialogRequest& request);
    static std::string describe(const Expectation& e);
    static std::string describe(const Shown& s);
    void unexpected(const Shown& s);

    std::deque<Expectation> expected_;
    std::deque<std::function<void()>> userActions_;
    std::vector<Shown> shown_;
    bool failedUnexpected_ = false;
    std::optional<int> anyMessageAnswer_;
    forms::Desktop* previous_ = nullptr;
    int pointer_ = forms::vbDefault;
    std::vector<int> pointers_;
    int doEvents_ = 0;
    int beeps_ = 0;
    bool anotherCopy_ = false;
    std::string folder_ = "/opt/sysadmin";
    forms::Version version_{quolby::kVersionMajor, quolby::kVersionMinor, quolby::kVersionPatch};
    std::string title_ = "SysAdmin";
};

} // namespace support
