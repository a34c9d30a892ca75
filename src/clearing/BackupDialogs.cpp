// The file dialogs of backup and restore.

#include "app/frmSysAdmin.h"
#include "clearing/BackupRestore.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace clearing {

namespace {

using app::frmSysAdmin;

constexpr std::string_view kProposedName = "Qolb2018LAN.Mdb";
constexpr std::string_view kFilter = "Access Database (.mdb)|*.mdb";
constexpr std::string_view kBackupTitle =
    "Backup File Qolb2018LAN.Mdb to 'Save In:' destination drive/path?";
constexpr std::string_view kRestoreTitle =
    "Restore File Qolb2018LAN.Mdb FROM Backup Drive/Path Source?";

// Shows the dialog; a cancel sets DialogCancelled and switches CancelError off again.
template <class Show> bool runDialog(frmSysAdmin& w, Show showDialog) {
    try {
        showDialog();
        return true;
    } catch (const runtime::Error& e) {
        if (e.number() != runtime::err::CancelError) throw;
        w.CommonDialog1.setCancelError(false);
        w.DialogCancelled = 1;
        return false;
    }
}

void prepareDialog(frmSysAdmin& w, int flags, std::string_view title) {
    forms::CommonDialog& dlg = w.CommonDialog1;
    dlg.setFlags(flags);
    dlg.setInitDir(dialogStartFolder());
    dlg.setFileName(std::string(kProposedName));
    dlg.setDialogTitle(std::string(title));
    dlg.setFilter(std::string(kFilter));
}

} // namespace

std::string dialogStartFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

void ChooseBackupTarget(frmSysAdmin& w) {
    w.CommonDialog1.setCancelError(true);
    // Only the folder must exist: a first backup names a file that is not there yet.
    prepareDialog(w, forms::cdlOFNPathMustExist, kBackupTitle);
    if (runDialog(w, [&] { w.CommonDialog1.ShowSave(); }))
        w.BackupTargetFile = w.CommonDialog1.FileName();
}

void ChooseRestoreSource(frmSysAdmin& w) {
    w.CommonDialog1.setCancelError(true);
    prepareDialog(w, forms::cdlOFNFileMustExist, kRestoreTitle);
    if (runDialog(w, [&] { w.CommonDialog1.ShowOpen(); }))
        w.RestoreSourceFile = w.CommonDialog1.FileName();
}

} // namespace clearing
