// Locating the system database and loading the user list.

#include "app/DatabaseErrors.h"
#include "app/DatabaseHandles.h"
#include "app/ExclusiveDatabases.h"
#include "app/FileChoice.h"
#include "app/FileNames.h"
#include "app/PathFileValues.h"
#include "app/StartupFault.h"
#include "app/frmSysAdmin.h"
#include "runtime/PathFile.h"
#include "runtime/Paths.h"
#include "runtime/VariantOps.h"

namespace app {

namespace {

std::string textOf(const runtime::Variant& v) {
    return v.isNull() ? std::string() : runtime::CStr(v);
}

} // namespace

void frmSysAdmin::forgetUserListEntry() {
    UserPicked = 0;
    if (UserEditMode == 0) return;
    UserEditMode = 0;
    List1.setEnabled(true);
    txtUserName.setEnabled(false);
}

void frmSysAdmin::loadUserList(runtime::PendingError& err) {
    List1.Clear();
    forgetUserListEntry();
    err.run([&] {
        SysDB = openSystemDbExclusive();
        MainRS = SysDB->OpenRecordset("UserNames", engine::dbOpenTable);
        if (MainRS->RecordCount() > 0) {
            MainRS->setIndex("UserNameIndex");
            MainRS->MoveFirst();
            txtUserName.setText(textOf(MainRS->Fields("UserName").Value()));
            MainRS->MoveLast();
            UserCount = static_cast<std::int16_t>(MainRS->RecordCount());
            MainRS->MoveFirst();
            const engine::FieldRef name = MainRS->Fields("UserName");
            const engine::FieldRef loggedOn = MainRS->Fields("LoggedOn");
            for (long i = 0; i < UserCount && !MainRS->Eof(); ++i) {
                const runtime::Variant on = loggedOn.Value();
                if (!on.isNull() && runtime::CBool(on)) UsersLoggedOn = true;
                List1.AddItem(textOf(name.Value()));
                MainRS->MoveNext();
            }
            cmdOk.setEnabled(true);
        }
    });
    closeQuietly(MainRS);
}

void frmSysAdmin::setUserListButtons() {
    const bool editable = !UsersLoggedOn;
    cmdAddNew.setEnabled(editable);
    cmdEdit.setEnabled(editable);
    cmdDelete.setEnabled(editable);
    cmdUpdate.setEnabled(false);
    Frame1.setVisible(UsersLoggedOn);
    cmdBackUp.setEnabled(editable);
    cmdRestore.setEnabled(editable);
}

bool frmSysAdmin::locateSystemDatabase() {
    const runtime::PathFileContent file = readProgramPathFile(programFolder(), kSysPathFileName);
    if (!file.hasContent || file.values.empty()) {
        SysAdminDbPath.clear();
        bool chosen = chooseSystemDbFile();
        while (!chosen) {
            if (Ask(std::string("No path has been set.") + std::string(kCrLf) +
                        "Do you want to continue setting the path?",
                    forms::vbYesNo, "Main SysAdmin2018.Mdb Database not found!") != forms::vbYes) {
                Unload();
                return false;
            }
            chosen = chooseSystemDbFile();
        }
        writeSystemPathFile();
    } else {
        SysAdminDbPath = file.values[0];
    }

    runtime::PendingError err;
    err.run([&] { SysDB = openSystemDbExclusive(); });
    while (isLocationError(err.number())) {
        if (Ask(std::string("Database can not be found in the default folder!") +
                    std::string(kCrLf) + "Do you want to set the search path?",
                forms::vbYesNo, "The System Admin Database not found!") != forms::vbYes) {
            closeQuietly(SysDB);
            closeWorkspaceQuietly();
            Unload();
            return false;
        }
        LocateSystemDbFile(err);
        if (err.number() == runtime::err::CancelError) {
            closeQuietly(SysDB);
            closeWorkspaceQuietly();
            Unload();
            return false;
        }
        err.clear();
        // A file without table UserNames is not a system database: the question comes back.
        if (err.run([&] { SysDB = openSystemDbExclusive(); }))
            err.run([&] { MainRS = SysDB->OpenRecordset("UserNames", engine::dbOpenTable); });
    }

    txtUserMainDB.setText(SysAdminDbPath);

    runtime::PendingError listErr;
    loadUserList(listErr);
    // A file that is there but cannot be read (a wrong password, a damaged file) leaves the
    // list empty; the administrator is told why, unless another workstation merely holds it.
    if (listErr.pending() && !isLocationError(listErr.number()) && !isBusyError(listErr.number())) {
        StartupFault(*this).report(runtime::Error(listErr.number(), listErr.text()));
    }

    runtime::PendingError versionErr;
    versionErr.run([&] {
        MainRS = held(SysDB).OpenRecordset("DefInvOpt", engine::dbOpenTable);
        const runtime::Variant version = MainRS->Fields("UpDateDB").Value();
        if (!version.isNull()) txtQolbSysAdminDBVersion.setText(runtime::CStr(version));
    });
    closeQuietly(MainRS);
    closeQuietly(SysDB);
    closeWorkspaceQuietly();

    writeSystemPathFile();
    return true;
}

void frmSysAdmin::cmdLocateSystemDB_Click() {
    chooseSystemDbFile();
}

bool frmSysAdmin::chooseSystemDbFile() {
    // The dialog proposes what it last held.
    const std::optional<std::string> choice =
        chooseFile(*this, {false, kLocateDialogFlags, programFolder(), CommonDialog1.FileName(),
                           "Locate File Name : SysAdmin2018.Mdb"});
    if (!choice) return false;
    const std::string& chosen = *choice;
    if (refuseQuotedPath(chosen)) return false;
    SysAdminDbPath = chosen;
    txtUserMainDB.setText(SysAdminDbPath);
    writeSystemPathFile();

    UsersLoggedOn = false;
    runtime::PendingError err;
    loadUserList(err);
    closeQuietly(SysDB);
    setUserListButtons();
    return !SysAdminDbPath.empty();
}

void frmSysAdmin::LocateSystemDbFile(runtime::PendingError& err) {
    const std::optional<std::string> chosen =
        chooseFile(*this, {false, kLocateDialogFlags, programFolder(), CommonDialog1.FileName(),
                           "Locate File Name : SysAdmin2018"});
    if (!chosen) {
        err.set(runtime::Error(runtime::err::CancelError));
        return;
    }
    if (refuseQuotedPath(*chosen)) return;
    SysAdminDbPath = *chosen;
}

} // namespace app
