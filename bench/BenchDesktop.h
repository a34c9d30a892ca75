#pragma once

// The desktop the benchmarks run the program on: no screen, every box answered with its
// first button, the open dialog answered with `file` (cancelled while it is empty), the
// save dialog cancelled. Each box and dialog is counted, so that a run that should show
// none can tell it did.

#include "forms/Desktop.h"

#include <string>

namespace bench {

class BenchDesktop : public forms::Desktop {
public:
    explicit BenchDesktop(std::string folder = "/tmp") : folder_(std::move(folder)) {}

    std::string file;
    int boxes = 0, dialogs = 0;
    std::string lastMessage;

    int MsgBox(const std::string& text, int style, const std::string&) override {
        ++boxes;
        lastMessage = text;
        return forms::msgBoxButtons(style).front();
    }
    forms::FileDialogResult showOpenDialog(const forms::FileDialogRequest&) override {
        ++dialogs;
        return file.empty() ? forms::FileDialogResult::cancel()
                            : forms::FileDialogResult::chosen(file);
    }
    forms::FileDialogResult showSaveDialog(const forms::FileDialogRequest&) override {
        ++dialogs;
        return forms::FileDialogResult::cancel();
    }
    void setMousePointer(int p) override { pointer_ = p; }
    int mousePointer() const override { return pointer_; }
    void DoEvents() override {}
    void Beep() override {}
    bool anotherCopyRunning() override { return false; }
    std::string programFolder() override { return folder_; }
    forms::Version version() override { return {1, 4, 0}; }
    std::string programTitle() override { return "bench"; }

private:
    std::string folder_;
    int pointer_ = 0;
};

} // namespace bench
