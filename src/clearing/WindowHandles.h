#pragma once

namespace app {
class frmSysAdmin;
}

namespace clearing {

// Closes the window's shared handles on the system and client databases (SysDB,
// ClientDB, MainRS) before an operation opens those files itself, so that nothing an
// earlier operation left open keeps holding them.
void closeWindowHandles(app::frmSysAdmin& w);

} // namespace clearing
