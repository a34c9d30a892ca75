#include "standalone/StandAloneWiring.h"

#include "app/frmSysAdmin.h"
#include "standalone/Page.h"

namespace standalone {

void attach(app::frmSysAdmin& w) {
    w.cmdLocateImportDBs.onClick = [&w] { cmdLocateImportDBs_Click(w); };
    w.cmdImportNow.onClick = [&w] { cmdImportNow_Click(w); };
}

} // namespace standalone
