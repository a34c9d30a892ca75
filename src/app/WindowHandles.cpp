#include "app/WindowHandles.h"

#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"

namespace app {

void closeWindowHandles(frmSysAdmin& w) {
    for (engine::RecordsetPtr* rs : {&w.MainRS, &w.SecondRS, &w.ThirdRS, &w.DetailRS})
        closeQuietly(*rs);
    for (engine::DatabasePtr* db : {&w.SysDB, &w.ClientDB, &w.ImportDB})
        closeQuietly(*db);
}

void releaseWindowHandles(frmSysAdmin& w) {
    // Nothing of the files about to be replaced may stay open in this program.
    closeWorkspaceQuietly();
    w.MainRS.reset();
    w.SecondRS.reset();
    w.ThirdRS.reset();
    w.DetailRS.reset();
    w.SysDB.reset();
    w.ClientDB.reset();
    w.ImportDB.reset();
}

} // namespace app
