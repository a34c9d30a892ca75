#pragma once

// The two import buttons start the import of the chosen kind.

namespace app {
class frmSysAdmin;
}

namespace carryforward {

void cmdImpSelAss_Click(app::frmSysAdmin& w);
void cmdImpWholeDB_Click(app::frmSysAdmin& w);

} // namespace carryforward
