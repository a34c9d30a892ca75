#pragma once

namespace app {
class frmSysAdmin;
}

namespace carryforward {

// Wires the previous-year page of the administration window to its handlers.
void attach(app::frmSysAdmin& w);

} // namespace carryforward
