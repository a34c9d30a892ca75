#pragma once

// Backing up the four database files to a chosen folder and restoring them from there.

#include <string>

namespace app {
class frmSysAdmin;
}

namespace clearing {

void cmdBackUp_Click(app::frmSysAdmin& w);
void cmdRestore_Click(app::frmSysAdmin& w);

// The save dialog for the backup's first file: sets BackupTargetFile, or DialogCancelled
// to 1 when the user cancels.
void ChooseBackupTarget(app::frmSysAdmin& w);
// The open dialog for the restore's first file: sets RestoreSourceFile, or
// DialogCancelled to 1.
void ChooseRestoreSource(app::frmSysAdmin& w);

// Where both dialogs start: the user's home folder.
std::string dialogStartFolder();

} // namespace clearing
