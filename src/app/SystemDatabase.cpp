// Opening, creating and upgrading the system database at start.

#include "app/DatabaseHandles.h"
#include "app/ExclusiveDatabases.h"
#include "app/OptionRows.h"
#include "app/StartupFault.h"
#include "app/frmSysAdmin.h"
#include "engine/EngineErrors.h"
#include "runtime/Constants.h"
#include "schema/StructureDefinitions.h"

namespace app {

void frmSysAdmin::openSystemDatabase() {
    StartupFault fault(*this);
    bool build = false;
    try {
        SysDB = openSystemDbExclusive();
        // A start killed after the engine made the file but before its structure run
        // committed leaves a file without tables: built like a missing one.
        build = SysDB->TableDefs().Count() == 0;
    } catch (const runtime::Error& e) {
        // Any failure but a missing file (an unreachable folder, a wrong password, a file
        // another workstation holds, a damaged file) is left to the locating phase, which
        // asks for the file or goes on without it.
        if (e.number() != engine::err::FileNotFound) return;
        build = true;
    }
    if (build) {
        try {
            closeQuietly(SysDB);
            closeWorkspaceQuietly();
            schema::MakeNewSysDb(SysAdminDbPath);
            SysDB = openSystemDbExclusive();
            MainRS = SysDB->OpenRecordset("DefInvOpt", engine::dbOpenTable);
            addSystemOptionRow(*MainRS, 1);
            MainRS->Close();
        } catch (const runtime::Error& inner) {
            fault.report(inner);
            closeWorkspaceQuietly();
            return;
        }
    }

    try {
        closeQuietly(SysDB);
        closeWorkspaceQuietly();
        SysDB = openSystemDbExclusive();
        MainRS = SysDB->OpenRecordset("DefInvOpt", engine::dbOpenTable);
        const std::optional<std::int16_t> stored = readStructureVersion(*MainRS);
        MainRS->Close();
        SysDB->Close();
        closeWorkspaceQuietly();

        if (stored.value_or(0) < runtime::CurSysDbVersion) {
            schema::MakeNewSysDb(SysAdminDbPath);
            SysDB = openSystemDbExclusive();
            MainRS = SysDB->OpenRecordset("DefInvOpt", engine::dbOpenTable);
            recordStructureVersion(*MainRS, stored.has_value(), runtime::CurSysDbVersion,
                                   addSystemOptionRow);
            MainRS->Close();
            SysDB->Close();
            closeWorkspaceQuietly();
        }
    } catch (const runtime::Error& e) {
        fault.report(e);
        closeWorkspaceQuietly();
    }
}

} // namespace app
