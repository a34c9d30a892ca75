#include "support/ScriptedDesktop.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace support {

namespace {

// Shows CR LF as written in the code so that a failure message stays on one line.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

} // namespace

ScriptedDesktop::ScriptedDesktop() : previous_(forms::setDesktop(this)) {}

ScriptedDesktop::~ScriptedDesktop() {
    verify();
    forms::setDesktop(previous_);
}

void ScriptedDesktop::expectMessage(std::string text, int answer) {
    expected_.push_back({Expectation::What::Message, std::move(text), {}, {}, answer, {}});
}

void ScriptedDesktop::expectMessage(std::string text, int style, std::string title, int answer) {
    expected_.push_back(
        {Expectation::What::Message, std::move(text), style, std::move(title), answer, {}});
}

void ScriptedDesktop::expectOpenDialog(std::string path) {
    expected_.push_back({Expectation::What::OpenDialog, {}, {}, {}, 0, std::move(path)});
}

void ScriptedDesktop::expectSaveDialog(std::string path) {
    expected_.push_back({Expectation::What::SaveDialog, {}, {}, {}, 0, std::move(path)});
}

void ScriptedDesktop::expectDialogCancel() {
    expected_.push_back({Expectation::What::AnyDialogCancel, {}, {}, {}, 0, {}});
}

bool ScriptedDesktop::verify() {
    bool ok = !failedUnexpected_;
    if (!expected_.empty()) {
        std::ostringstream os;
        os << "ScriptedDesktop: " << expected_.size() << " expected box(es) never shown:\n";
        for (const auto& e : expected_)
            os << "  " << describe(e) << "\n";
        os << transcript();
        ADD_FAILURE() << os.str();
        expected_.clear();
        ok = false;
    }
    failedUnexpected_ = false;
    return ok;
}

std::vector<std::string> ScriptedDesktop::messages() const {
    std::vector<std::string> texts;
    for (const auto& s : shown_)
        if (s.kind == Kind::Message) texts.push_back(s.text);
    return texts;
}

std::string ScriptedDesktop::describe(const Expectation& e) {
    std::ostringstream os;
    switch (e.what) {
    case Expectation::What::Message:
        os << "message " << quoted(e.text);
        if (e.style) os << " style " << *e.style;
        if (e.title) os << " title " << quoted(*e.title);
        os << " -> answer " << e.answer;
        break;
    case Expectation::What::OpenDialog:
        os << "open dialog -> " << quoted(e.path);
        break;
    case Expectation::What::SaveDialog:
        os << "save dialog -> " << quoted(e.path);
        break;
    case Expectation::What::AnyDialogCancel:
        os << "file dialog -> cancel";
        break;
    }
    return os.str();
}

std::string ScriptedDesktop::describe(const Shown& s) {
    std::ostringstream os;
    if (s.kind == Kind::Message) {
        os << "message " << quoted(s.text) << " style " << s.style << " title " << quoted(s.title)
           << " -> answered " << s.answer;
    } else {
        os << (s.kind == Kind::OpenDialog ? "open" : "save") << " dialog title "
           << quoted(s.request.DialogTitle) << " file " << quoted(s.request.FileName) << " -> "
           << (s.result.cancelled ? std::string("cancelled") : quoted(s.result.path));
    }
    if (!s.expected) os << "  [UNEXPECTED]";
    return os.str();
}

std::string ScriptedDesktop::transcript() const {
    std::ostringstream os;
    os << "Shown so far (" << shown_.size() << "):\n";
    for (const auto& s : shown_)
        os << "  " << describe(s) << "\n";
    return os.str();
}

void ScriptedDesktop::unexpected(const Shown& s) {
    failedUnexpected_ = true;
    std::ostringstream os;
    os << "ScriptedDesktop: unexpected " << describe(s) << "\n";
    if (expected_.empty())
        os << "  nothing more was expected\n";
    else
        os << "  next expected: " << describe(expected_.front()) << "\n";
    os << transcript();
    ADD_FAILURE() << os.str();
}

int ScriptedDesktop::MsgBox(const std::string& text, int style, const std::string& title) {
    Shown s;
    s.kind = Kind::Message;
    s.text = text;
    s.style = style;
    s.title = title;
    if (!expected_.empty()) {
        const Expectation& e = expected_.front();
        if (e.what == Expectation::What::Message && e.text == text &&
            (!e.style || *e.style == style) && (!e.title || *e.title == title)) {
            s.answer = e.answer;
            expected_.pop_front();
            shown_.push_back(s);
            const auto buttons = forms::msgBoxButtons(style);
            if (std::find(buttons.begin(), buttons.end(), s.answer) == buttons.end())
                ADD_FAILURE() << "ScriptedDesktop: answer " << s.answer
                              << " is not a button of the box " << describe(s);
            return s.answer;
        }
    }
    s.answer = forms::msgBoxDefaultAnswer(style);
    if (anyMessageAnswer_) {
        const auto buttons = forms::msgBoxButtons(style);
        if (std::find(buttons.begin(), buttons.end(), *anyMessageAnswer_) != buttons.end())
            s.answer = *anyMessageAnswer_;
        shown_.push_back(s);
        return s.answer;
    }
    s.expected = false;
    shown_.push_back(s);
    unexpected(s);
    return s.answer;
}

forms::FileDialogResult ScriptedDesktop::dialog(Kind kind,
                                                const forms::FileDialogRequest& request) {
    Shown s;
    s.kind = kind;
    s.request = request;
    if (!expected_.empty()) {
        const Expectation& e = expected_.front();
        const bool matches =
            e.what == Expectation::What::AnyDialogCancel ||
            (e.what == Expectation::What::OpenDialog && kind == Kind::OpenDialog) ||
            (e.what == Expectation::What::SaveDialog && kind == Kind::SaveDialog);
        if (matches) {
            s.result = e.what == Expectation::What::AnyDialogCancel
                           ? forms::FileDialogResult::cancel()
                           : forms::FileDialogResult::chosen(e.path);
            expected_.pop_front();
            shown_.push_back(s);
            return s.result;
        }
    }
    s.result = forms::FileDialogResult::cancel();
    s.expected = false;
    shown_.push_back(s);
    unexpected(s);
    return s.result;
}

forms::FileDialogResult ScriptedDesktop::showOpenDialog(const forms::FileDialogRequest& request) {
    return dialog(Kind::OpenDialog, request);
}

forms::FileDialogResult ScriptedDesktop::showSaveDialog(const forms::FileDialogRequest& request) {
    return dialog(Kind::SaveDialog, request);
}

void ScriptedDesktop::setMousePointer(int pointer) {
    pointer_ = pointer;
    pointers_.push_back(pointer);
}

void ScriptedDesktop::DoEvents() {
    ++doEvents_;
    if (userActions_.empty()) return;
    const std::function<void()> action = std::move(userActions_.front());
    userActions_.pop_front();
    action();
}

} // namespace support
