#pragma once

// Backing up the four database files to a chosen folder and restoring them from there.

#include <optional>
#include <string>

namespace app {
class frmSysAdmin;
}

namespace clearing {

void cmdBackUp_Click(app::frmSysAdmin& w);
void cmdRestore_Click(app::frmSysAdmin& w);

// The save dialog for the backup's first file: the chosen path, or nothing when the user
// cancels.
std::optional<std::string> ChooseBackupTarget(app::frmSysAdmin& w);
// The open dialog for the restore's first file: the chosen path, or nothing.
std::optional<std::string> ChooseRestoreSource(app::frmSysAdmin& w);

} // namespace clearing
