#pragma once

#include "forms/Control.h"
#include "forms/Desktop.h"

namespace forms {

// The open and save file dialogs, shown through the current Desktop. Invisible on the
// window; it is a control so that the window owns it and code finds it by name.
class CommonDialog : public Control {
public:
    using Control::Control;
    ControlKind kind() const override { return ControlKind::CommonDialog; }
    static constexpr std::string_view kTypeName = "CommonDialog";
    std::string_view typeName() const override { return kTypeName; }

    int Flags() const { return request_.Flags; }
    void setFlags(int flags) { request_.Flags = flags; }
    const std::string& InitDir() const { return request_.InitDir; }
    void setInitDir(std::string dir) { request_.InitDir = std::move(dir); }
    // The proposed name before the dialog, the chosen full path after it.
    const std::string& FileName() const { return request_.FileName; }
    void setFileName(std::string name) { request_.FileName = std::move(name); }
    // The chosen file's name without its folder.
    const std::string& FileTitle() const { return fileTitle_; }
    const std::string& DialogTitle() const { return request_.DialogTitle; }
    void setDialogTitle(std::string title) { request_.DialogTitle = std::move(title); }
    const std::string& Filter() const { return request_.Filter; }
    void setFilter(std::string filter) { request_.Filter = std::move(filter); }
    bool CancelError() const { return cancelError_; }
    void setCancelError(bool on) { cancelError_ = on; }

    // Show the dialog and wait for it. On a choice FileName and FileTitle hold it. On a
    // cancel FileName and FileTitle become "", and with CancelError on runtime::Error
    // 32755 is raised.
    void ShowOpen();
    void ShowSave();

private:
    void show(bool save);

    FileDialogRequest request_;
    std::string fileTitle_;
    bool cancelError_ = false;
};

} // namespace forms
