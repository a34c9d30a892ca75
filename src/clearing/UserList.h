#pragma once

// The user-name list on the first page: picking, adding, editing and deleting names in
// List1, and writing the list back over UserNames.

namespace app {
class frmSysAdmin;
}

namespace clearing {

void List1_Click(app::frmSysAdmin& w);
void cmdAddNew_Click(app::frmSysAdmin& w);
void cmdEdit_Click(app::frmSysAdmin& w);
void cmdDelete_Click(app::frmSysAdmin& w);
void cmdUpdate_Click(app::frmSysAdmin& w);

// Fills List1, txtUserName, UserCount and UsersLoggedOn from UserNames and sets the
// user-list controls. Nothing stays picked afterwards. When the system database cannot
// be opened it says so and leaves the list as it was; gives false then.
bool fillUserList(app::frmSysAdmin& w);

} // namespace clearing
