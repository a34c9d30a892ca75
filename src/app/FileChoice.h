#pragma once

// Choosing a file through the window's file dialog.

#include <optional>
#include <string>

namespace app {

class frmSysAdmin;

struct FileRequest {
    bool save = false; // the save dialog, else the open dialog
    int flags = 0;
    std::string folder;   // where the dialog starts
    std::string proposed; // the name it proposes
    std::string title;
};

// Shows the dialog with the database filter; gives the chosen path, or nothing when the
// user cancels. Nothing of the cancel stays on the window.
std::optional<std::string> chooseFile(frmSysAdmin& w, const FileRequest& request);

} // namespace app
