// The file dialogs of backup and restore.

#include "app/FileChoice.h"
#include "app/FileNames.h"
#include "clearing/BackupRestore.h"
#include "forms/Desktop.h"

namespace clearing {

namespace {

// The first file of the set, without its leading backslash.
constexpr std::string_view kProposedName = app::kBackupSetNames[0].substr(1);
constexpr std::string_view kBackupTitle =
    "Backup File Qolb2018LAN.Mdb to 'Save In:' destination drive/path?";
constexpr std::string_view kRestoreTitle =
    "Restore File Qolb2018LAN.Mdb FROM Backup Drive/Path Source?";

} // namespace

std::optional<std::string> ChooseBackupTarget(app::frmSysAdmin& w) {
    // Only the folder must exist: a first backup names a file that is not there yet.
    return app::chooseFile(w, {true, forms::cdlOFNPathMustExist, app::dialogStartFolder(),
                               std::string(kProposedName), std::string(kBackupTitle)});
}

std::optional<std::string> ChooseRestoreSource(app::frmSysAdmin& w) {
    return app::chooseFile(w, {false, forms::cdlOFNFileMustExist, app::dialogStartFolder(),
                               std::string(kProposedName), std::string(kRestoreTitle)});
}

} // namespace clearing
