#pragma once

// Last year's clients in lstPrevYear: the listing, the preview of the chosen client and
// the double-click that imports it.

namespace app {
class frmSysAdmin;
}

namespace carryforward {

struct SourceKind;

// Lists the clients of the kind's main table in w.MainRS (for individuals with their
// continuation table in w.ImportDB), in the order of the kind's index. Fills the window's
// listing arrays, shows the first client and enables the import buttons. Raises the error
// that stopped it; what it had read is then not shown.
void listClients(app::frmSysAdmin& w, const SourceKind& kind);
// Empties the list, the listing arrays and the kind's boxes and disables the import
// buttons, so that nothing of an earlier listing can be imported.
void forgetListing(app::frmSysAdmin& w, const SourceKind& kind);

void lstPrevYear_Click(app::frmSysAdmin& w);
void lstPrevYear_DblClick(app::frmSysAdmin& w);

} // namespace carryforward
