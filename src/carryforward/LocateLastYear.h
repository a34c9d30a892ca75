#pragma once

// The previous-year page's choice of kind, its notice, and locating last year's database.

namespace app {
class frmSysAdmin;
}

namespace carryforward {

void optWhichDBImport_Click(app::frmSysAdmin& w, int Index);
void cmdContinueImport_Click(app::frmSysAdmin& w);
// Asks for last year's file of the chosen kind, makes sure it is one, remembers it, lists
// its clients and tests its structure version. Nothing fails out of it.
void cmdLocateDB_Click(app::frmSysAdmin& w);

} // namespace carryforward
