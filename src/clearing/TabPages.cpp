#include "clearing/TabPages.h"

#include "app/frmSysAdmin.h"
#include "clearing/NetworkClearing.h"
#include "clearing/UserList.h"

namespace clearing {

namespace {

using app::frmSysAdmin;

void showImportBoxes(frmSysAdmin& w) {
    // The trust and company files carry no structure version of their own.
    const std::string version = w.txtQolbDBVersion.Text();
    w.txtQolbDBImport.setText(w.PersDbPath);
    w.txtQolbDBVersionImport.setText(version);
    w.txtQolbTrustDBImport.setText(w.TrustDbPath);
    w.txtQolbTrustDBVersionImport.setText(version);
    w.txtQolbCompDBImport.setText(w.CompDbPath);
    w.txtQolbCompDBVersionImport.setText(version);
}

} // namespace

void SSIndexTab1_Click(frmSysAdmin& w) {
    if (w.NetworkProblem) {
        for (forms::CommandButton* b :
             {&w.cmdBackUp, &w.cmdRestore, &w.cmdClearUsers, &w.cmdLocateImportDBs, &w.cmdImportNow,
              &w.cmdContinueImport})
            b->setEnabled(false);
        return;
    }
    switch (w.SSIndexTab1.Tab()) {
    case 0:
        fillUserList(w);
        break;
    case 1:
        fillNetworkLists(w);
        break;
    case 2:
        showImportBoxes(w);
        break;
    default:
        break;
    }
    enableClearUsersByLists(w);
}

} // namespace clearing
