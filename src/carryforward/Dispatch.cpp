#include "carryforward/Dispatch.h"

#include "app/frmSysAdmin.h"
#include "carryforward/SourceKinds.h"

namespace carryforward {

void cmdImpSelAss_Click(app::frmSysAdmin& w) {
    if (const SourceKind* kind = kindNamed(w.ImportKind)) kind->importSelected(w);
}

void cmdImpWholeDB_Click(app::frmSysAdmin& w) {
    if (const SourceKind* kind = kindNamed(w.ImportKind)) kind->importWhole(w);
}

} // namespace carryforward
