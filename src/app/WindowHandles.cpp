#include "app/WindowHandles.h"

#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"

namespace app {

void closeWindowHandles(frmSysAdmin& w) {
    closeQuietly(w.MainRS);
    closeQuietly(w.SysDB);
    closeQuietly(w.ClientDB);
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
