// The Load event of the administration window: its first steps and the order of its
// phases. Each phase lives in the file named after it.

#include "app/frmSysAdmin.h"

namespace app {

void frmSysAdmin::Form_Load() {
    Show();
    forms::desktop().DoEvents(); // paint both windows before the long work below
    setCaptionsAndLabels();

    setDefaultLocations();
    const bool clientPathsDefaulted = readPathFiles();
    forms::desktop().setMousePointer(forms::vbDefault);

    if (!probeNetwork(clientPathsDefaulted)) return;
    openClientDatabases();
    upgradeAndRollForward();
    openSystemDatabase();

    UsersLoggedOn = false;
    if (!locateSystemDatabase()) return;
    if (!locateClientDatabases()) return;
    finalSetUp();
    forms::desktop().setMousePointer(forms::vbDefault);
}

void frmSysAdmin::setCaptionsAndLabels() {
    setCaption("Database Administration for Quolby 2018 Network");
    lblLabels(0).setCaption("(SysAdmin2018.Mdb)");
    lblLabels(11).setCaption("(Qolb2018Lan.Mdb)");
    lblLabels(3).setCaption("(QolbTrust2018Lan.Mdb)");
    lblLabels(12).setCaption("(QolbCompany2018Lan.Mdb)");
    SSIndexTab2.setTabCaption(0, "Import Individual 2018 Databases to Network");
    SSIndexTab2.setTabCaption(1, "Import 2017 NetWork Databases");
    Label5(3).setCaption("QUOLBY2017.");
    lblLabels(13).setCaption("(Qolb2018Lan.Mdb)");
    lblLabels(6).setCaption("(QolbTrust2018Lan.Mdb)");
    lblLabels(7).setCaption("(QolbCompany2018Lan.Mdb)");
    lblLabels(20).setCaption("(Qolb2018.Mdb)");
    lblLabels(19).setCaption("(QolbCompany2018.Mdb)");
}

void frmSysAdmin::finalSetUp() {
    if (UsersLoggedOn) {
        cmdAddNew.setEnabled(false);
        cmdEdit.setEnabled(false);
        cmdDelete.setEnabled(false);
        cmdUpdate.setEnabled(false);
        Frame1.setVisible(true);
    } else {
        // cmdUpdate stays as it is: only adding or editing a name enables it.
        cmdAddNew.setEnabled(true);
        cmdEdit.setEnabled(true);
        cmdDelete.setEnabled(true);
        Frame1.setVisible(false);
    }
    txtQolbDBImport.setText(PersDbPath);
    txtQolbTrustDBImport.setText(TrustDbPath);
    txtQolbCompDBImport.setText(CompDbPath);
    txtQolbDBVersionImport.setText(txtQolbDBVersion.Text());
    txtQolbTrustDBVersionImport.setText(txtQolbDBVersion.Text());
    txtQolbCompDBVersionImport.setText(txtQolbDBVersion.Text());
    ImportKind = "PI";
}

} // namespace app
