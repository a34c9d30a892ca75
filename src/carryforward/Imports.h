#pragma once

// The imports that the page's two buttons start, one of a selected client and one of the
// whole database for each kind. They read the window's choice (paths, listing, selection).

namespace app {
class frmSysAdmin;
}

namespace carryforward {

void ImportSelAss_Personal(app::frmSysAdmin& w);
void ImportWholeDB_Personal(app::frmSysAdmin& w);
void ImportSelAss_Trust(app::frmSysAdmin& w);
void ImportWholeDB_Trust(app::frmSysAdmin& w);
void ImportSelAss_Company(app::frmSysAdmin& w);
void ImportWholeDB_Company(app::frmSysAdmin& w);

} // namespace carryforward
