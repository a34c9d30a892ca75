#pragma once

// Choosing a file through the window's file dialog.

#include <optional>
#include <string>
#include <string_view>

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

// Where a dialog starts: the user's home folder, or the folder `subfolder` in it when
// there is one (the place the system names on its own platform has no counterpart here).
std::string dialogStartFolder(std::string_view subfolder = {});

} // namespace app
