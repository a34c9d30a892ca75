// The network probe and the opening of the three network client databases: a missing
// file is built with its structure, a damaged one repaired.

#include "app/DatabaseErrors.h"
#include "app/DatabaseHandles.h"
#include "app/FileNames.h"
#include "app/OptionRows.h"
#include "app/StartupFault.h"
#include "app/frmSysAdmin.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"
#include "schema/StructureDefinitions.h"

#include <filesystem>

namespace app {

bool frmSysAdmin::probeNetwork(bool clientPathsDefaulted) {
    runtime::PendingError err;
    err.run([&] { SysDB = defaultWorkspace().OpenDatabase(PersDbPath); });
    // Paths that were only defaulted at this start say nothing about the network.
    if (!err.pending() || !isLocationError(err.number()) || clientPathsDefaulted) return true;

    Ask(std::string("It appears that there is a problem with the Network!") + std::string(kCrLf) +
            "Re-establish the network link and try again?",
        forms::vbExclamation, "Network Error!");
    NetworkProblem = true;
    cmdBackUp.setEnabled(false);
    cmdRestore.setEnabled(false);
    return false;
}

void frmSysAdmin::openClientDatabases() {
    // An empty file is a creation that an earlier version left when it was killed: it holds
    // nothing to repair or keep, so it is built again like a missing one.
    for (const std::string* path : {&PersDbPath, &TrustDbPath, &CompDbPath}) {
        const std::string file = runtime::resolveCase(*path);
        std::error_code ec;
        if (std::filesystem::is_regular_file(file, ec) && std::filesystem::file_size(file, ec) == 0)
            std::filesystem::remove(file, ec);
    }
    // Building runs for all three files, so one run of it is enough; running it again after
    // it failed would only repeat its message. A damaged file is repaired on its own: the
    // sound ones have nothing to repair.
    bool created = false;
    bool repaired = false;
    for (const std::string* path : {&PersDbPath, &TrustDbPath, &CompDbPath}) {
        try {
            SysDB = defaultWorkspace().OpenDatabase(*path);
            // A start killed after the engine made the file but before its structure run
            // committed leaves a file without tables: built like a missing one.
            if (SysDB->TableDefs().Count() == 0 && !created) {
                created = true;
                createNetworkDatabases();
            }
        } catch (const runtime::Error& e) {
            if (e.number() == engine::err::FileNotFound && !created) {
                created = true;
                createNetworkDatabases();
            } else if (e.number() == engine::err::UnrecognizedFormat) {
                repaired = repairNetworkDatabase(*path) || repaired;
            }
            // Any other failure is passed over: the later phases meet it again.
        }
    }
    if (repaired) completeRepairedStructures();
}

void frmSysAdmin::createNetworkDatabases() {
    // Each step on its own: a structure run that fails on the trust or company file has
    // still built the individuals file, which must get its header/footer and option rows
    // now, as no later start gives them.
    StartupFault fault(*this);
    auto step = [&](auto&& work) {
        try {
            work();
        } catch (const runtime::Error& e) {
            fault.report(e);
        }
    };
    step([&] { schema::MakeNewDb(PersDbPath, TrustDbPath, CompDbPath); });
    step([&] { MakeHeadFootRow(); });
    step([&] {
        SysDB = defaultWorkspace().OpenDatabase(PersDbPath);
        MainRS = SysDB->OpenRecordset("DefInvOpt", engine::dbOpenTable);
        addClientOptionRow(*MainRS, 1);
        MainRS->Close();
    });
}

bool frmSysAdmin::repairNetworkDatabase(const std::string& path) {
    // The repair needs every handle of this program on the file closed, ours included.
    closeWorkspaceQuietly();
    try {
        engine::DBEngine::instance().RepairDatabase(path);
    } catch (const runtime::Error& e) {
        // The engine leaves a file it cannot repair (held elsewhere, not a database)
        // exactly as it was.
        Ask("The database file" + std::string(kCrLf) + path + std::string(kCrLf) +
                "could not be repaired." + std::string(kCrLf) + std::string(kCrLf) +
                forms::errorMessage(e),
            forms::vbExclamation, "Database Repair Failed!");
        return false;
    }
    return true;
}

void frmSysAdmin::completeRepairedStructures() {
    // A repair keeps what it can read: a torn file can come back without some of its
    // tables while its version row survives, so no upgrade would ever add them. The
    // structure definition adds only what is missing. A missing file is left to the
    // open that follows, whose creation branch runs the same definition.
    if (!runtime::fileExists(PersDbPath) || !runtime::fileExists(TrustDbPath) ||
        !runtime::fileExists(CompDbPath))
        return;
    try {
        schema::MakeNewDb(PersDbPath, TrustDbPath, CompDbPath);
    } catch (const runtime::Error& e) {
        StartupFault(*this).report(e);
    }
}

void frmSysAdmin::MakeHeadFootRow() {
    SysDB = defaultWorkspace().OpenDatabase(PersDbPath);
    MainRS = SysDB->OpenRecordset("HeadFoot", engine::dbOpenTable);
    try {
        (void)MainRS->Fields("HEADERV0").Value();
        return; // a row is there, whatever it holds
    } catch (const runtime::Error& e) {
        if (e.number() != engine::err::NoCurrentRecord) return;
    }
    MainRS->AddNew();
    for (const char* field :
         {"HEADERV0", "HEADERV1", "HEADERV2", "HEADERV3", "footv0", "footv1", "footv2", "footv3"})
        MainRS->Fields(field).setValue(std::string());
    MainRS->Update();
    MainRS->Close();
    SysDB->Close();
}

} // namespace app
