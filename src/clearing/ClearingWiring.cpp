#include "clearing/ClearingWiring.h"

#include "app/frmSysAdmin.h"
#include "clearing/BackupRestore.h"
#include "clearing/NetworkClearing.h"
#include "clearing/TabPages.h"
#include "clearing/UserList.h"

namespace clearing {

void attach(app::frmSysAdmin& w) {
    w.List1.onClick = [&w] { List1_Click(w); };
    w.cmdAddNew.onClick = [&w] { cmdAddNew_Click(w); };
    w.cmdEdit.onClick = [&w] { cmdEdit_Click(w); };
    w.cmdDelete.onClick = [&w] { cmdDelete_Click(w); };
    w.cmdUpdate.onClick = [&w] { cmdUpdate_Click(w); };

    w.lstUsersLoggedOn.onClick = [&w] { lstUsersLoggedOn_Click(w); };
    w.cmdClearSelectedUser.onClick = [&w] { cmdClearSelectedUser_Click(w); };
    w.cmdClearUsers.onClick = [&w] { cmdClearUsers_Click(w); };

    w.cmdBackUp.onClick = [&w] { cmdBackUp_Click(w); };
    w.cmdRestore.onClick = [&w] { cmdRestore_Click(w); };

    w.SSIndexTab1.onClick = [&w](int /*PreviousTab*/) { SSIndexTab1_Click(w); };
}

} // namespace clearing
