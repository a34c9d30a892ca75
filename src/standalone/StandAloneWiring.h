#pragma once

namespace app {
class frmSysAdmin;
}

namespace standalone {

// Wires the stand-alone page of the administration window to its handlers.
void attach(app::frmSysAdmin& w);

} // namespace standalone
