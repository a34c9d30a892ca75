#pragma once

namespace app {
class frmSysAdmin;
}

namespace clearing {

// Wires the user list, the clearing page, backup and restore and the page switch of the
// administration window to their handlers.
void attach(app::frmSysAdmin& w);

} // namespace clearing
