#pragma once

// The stand-alone page: locating the stand-alone edition's individuals database (which
// also holds its trusts; its company database lies beside it) and importing all three
// kinds of client into the network databases.

namespace app {
class frmSysAdmin;
}

namespace standalone {

void cmdLocateImportDBs_Click(app::frmSysAdmin& w);
// The dialog again after a wrong file; a cancel keeps both paths.
void LocateStandAloneDbFile(app::frmSysAdmin& w);
void cmdImportNow_Click(app::frmSysAdmin& w);

} // namespace standalone
