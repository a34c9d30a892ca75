// Locating the network client databases: the start-up phase, the locate button and the
// dialog they share.

#include "app/ClientPathRule.h"
#include "app/DatabaseErrors.h"
#include "app/DatabaseHandles.h"
#include "app/FileChoice.h"
#include "app/FileNames.h"
#include "app/PathFileValues.h"
#include "app/frmSysAdmin.h"
#include "runtime/PathFile.h"
#include "runtime/Paths.h"
#include "runtime/VariantOps.h"

#include <optional>

namespace app {

namespace {

bool isTableMissing(int number) {
    return number == engine::err::ObjectNotFound || number == engine::err::InputTableNotFound;
}

} // namespace

// The dialog for the individuals network database. Gives the chosen path, or nullopt
// when it was cancelled (the cancel stays pending in err) or refused.
std::optional<std::string> frmSysAdmin::choosePersDbFile(const std::string& proposed,
                                                         runtime::PendingError& err) {
    std::optional<std::string> chosen =
        chooseFile(*this, {false, kLocateDialogFlags, programFolder(), proposed,
                           "Locate File Name : Qolb2018LAN.mdb"});
    if (!chosen) {
        err.set(runtime::Error(runtime::err::CancelError));
        return std::nullopt;
    }
    if (refuseQuotedPath(*chosen)) return std::nullopt;
    return chosen;
}

void frmSysAdmin::setPersDbPath(const std::string& path) {
    PersDbPath = path;
    const ClientPaths derived = deriveClientPaths(PersDbPath, {TrustDbPath, CompDbPath});
    TrustDbPath = derived.trust;
    CompDbPath = derived.company;
}

bool frmSysAdmin::LocatePersDbFile(runtime::PendingError& err) {
    const std::optional<std::string> chosen = choosePersDbFile(PersDbPath, err);
    if (!chosen) return false;
    setPersDbPath(*chosen);
    if (PersDbPath.empty()) return false;
    NetworkProblem = false;
    return true;
}

void frmSysAdmin::showClientPaths() {
    txtQolbDB.setText(PersDbPath);
    txtQolbTrustDB.setText(TrustDbPath);
    txtQolbCompDB.setText(CompDbPath);
}

void frmSysAdmin::showClientVersion() {
    runtime::PendingError err;
    err.run([&] {
        MainRS = held(ClientDB).OpenRecordset("DefInvOpt", engine::dbOpenTable);
        const runtime::Variant version = MainRS->Fields("UpDateDB").Value();
        if (!version.isNull()) txtQolbDBVersion.setText(runtime::CStr(version));
    });
    txtQolbTrustDBVersion.setText(txtQolbDBVersion.Text());
    txtQolbCompDBVersion.setText(txtQolbDBVersion.Text());
    closeQuietly(MainRS);
    closeQuietly(ClientDB);
    closeWorkspaceQuietly();
}

bool frmSysAdmin::locateClientDatabases() {
    runtime::PendingError err;
    const runtime::PathFileContent file = readProgramPathFile(programFolder(), kClientPathFileName);
    // A file the administrator chose here and that turns out to be no database at all is
    // asked about again, so that the path file never names a foreign file.
    bool chosenHere = false;
    if (file.hasContent) {
        std::string* targets[] = {&PersDbPath, &TrustDbPath, &CompDbPath};
        for (std::size_t i = 0; i < 3 && i < file.values.size(); ++i)
            *targets[i] = file.values[i];
    } else {
        PersDbPath.clear();
        CompDbPath.clear();
        bool chosen = LocatePersDbFile(err);
        while (!chosen) {
            if (Ask(std::string("No path has been set.") + std::string(kCrLf) +
                        "Do you want to continue setting the path?",
                    forms::vbYesNo, "Main Quolby2018 Database not found!") != forms::vbYes) {
                Unload();
                return false;
            }
            chosen = LocatePersDbFile(err);
        }
        chosenHere = true;
        if (!file.opened) writeClientPathFile();
    }
    showClientPaths();

    err.clear();
    err.run([&] { ClientDB = defaultWorkspace().OpenDatabase(PersDbPath, true); });
    auto mustAsk = [&] {
        return isLocationError(err.number()) ||
               (chosenHere && err.number() == engine::err::UnrecognizedFormat);
    };
    // Giving up leaves no file open: a chosen file that opened without its main table is
    // held for exclusive use until closed.
    auto giveUp = [&] {
        closeQuietly(MainRS);
        closeQuietly(ClientDB);
        closeWorkspaceQuietly();
        Unload();
        return false;
    };
    while (mustAsk()) {
        if (Ask(std::string("Database can not be found in the default folder!") +
                    std::string(kCrLf) + "Do you want to set the search path?",
                forms::vbYesNo, "Main Quolby2018 Database not found!") != forms::vbYes)
            return giveUp();
        LocatePersDbFile(err);
        if (err.number() == runtime::err::CancelError) {
            err.clear();
            return giveUp();
        }
        chosenHere = true;
        err.clear();
        if (err.run([&] { ClientDB = defaultWorkspace().OpenDatabase(PersDbPath, true); }))
            err.run([&] { MainRS = ClientDB->OpenRecordset("Qolb2018", engine::dbOpenTable); });
        if (isTableMissing(err.number()))
            err.set(runtime::Error(engine::err::ObjectNotFound, err.text()));
    }
    closeQuietly(MainRS);
    closeQuietly(ClientDB);
    closeWorkspaceQuietly();

    err.run([&] { ClientDB = defaultWorkspace().OpenDatabase(PersDbPath, true); });
    showClientVersion();

    showClientPaths();
    writeClientPathFile();
    err.clear();
    return true;
}

void frmSysAdmin::cmdLocateClientDB_Click() {
    runtime::PendingError err;
    std::optional<std::string> candidate = choosePersDbFile(PersDbPath, err);
    if (!candidate) return;

    // Nothing changes until the chosen file is accepted: a refused file, or a question
    // given up, leaves the paths, their boxes, the path file and the buttons as they were.
    for (;;) {
        err.clear();
        if (err.run([&] { ClientDB = defaultWorkspace().OpenDatabase(*candidate); }))
            err.run([&] { MainRS = ClientDB->OpenRecordset("Qolb2018", engine::dbOpenTable); });
        closeQuietly(MainRS);
        const int failed = err.number();
        if (!isTableMissing(failed) && failed != engine::err::UnrecognizedFormat) break;
        if (Ask(std::string("Incorrect File Selected!") + std::string(kCrLf) +
                    "Do you want to locate correct file?",
                forms::vbYesNo, " Quolby 2017 NetWork Database not found!") != forms::vbYes) {
            closeQuietly(ClientDB);
            Unload();
            return;
        }
        err.clear();
        candidate = choosePersDbFile(*candidate, err);
        if (!candidate) {
            closeQuietly(ClientDB);
            return;
        }
    }

    setPersDbPath(*candidate);
    NetworkProblem = false;
    cmdBackUp.setEnabled(true);
    cmdRestore.setEnabled(true);
    cmdClearUsers.setEnabled(true);
    cmdLocateImportDBs.setEnabled(true);
    cmdImportNow.setEnabled(true);

    showClientPaths();
    writeClientPathFile();
    // The version is read through an exclusive open; when another workstation refuses it,
    // the handle of the check serves.
    err.run([&] { ClientDB = defaultWorkspace().OpenDatabase(PersDbPath, true); });
    showClientVersion();
    showClientPaths();
}

} // namespace app
