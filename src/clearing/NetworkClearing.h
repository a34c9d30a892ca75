#pragma once

// The page "Restoring after Network Failure": who is still marked as logged on, which
// client records are held open, and clearing them for one user or for everybody.

namespace app {
class frmSysAdmin;
}

namespace clearing {

void lstUsersLoggedOn_Click(app::frmSysAdmin& w);
void cmdClearSelectedUser_Click(app::frmSysAdmin& w);
void cmdClearUsers_Click(app::frmSysAdmin& w);

// Refills the page's four lists from the four databases (each list is emptied first). A
// database that cannot be opened is named in a message and its list stays empty.
void fillNetworkLists(app::frmSysAdmin& w);

// cmdClearUsers can be used while any of the four lists shows an entry.
void enableClearUsersByLists(app::frmSysAdmin& w);

} // namespace clearing
