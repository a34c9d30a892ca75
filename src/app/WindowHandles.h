#pragma once

namespace app {

class frmSysAdmin;

// Closes every database and recordset handle of the window (SysDB, ClientDB, ImportDB,
// MainRS ...) before an operation opens those files itself, so that nothing an earlier
// operation left open keeps holding them.
void closeWindowHandles(frmSysAdmin& w);

// Lets go of every database and recordset of the window and of the default workspace,
// before the files themselves are replaced.
void releaseWindowHandles(frmSysAdmin& w);

} // namespace app
