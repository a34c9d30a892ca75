#pragma once

// Switching between the pages of the administration window refreshes the page shown.

namespace app {
class frmSysAdmin;
}

namespace clearing {

void SSIndexTab1_Click(app::frmSysAdmin& w);

} // namespace clearing
