#include "carryforward/PrevYearWiring.h"

#include "app/frmSysAdmin.h"
#include "carryforward/Dispatch.h"
#include "carryforward/Listing.h"
#include "carryforward/LocateLastYear.h"

namespace carryforward {

void attach(app::frmSysAdmin& w) {
    for (forms::Control* c : w.controlArray("optWhichDBImport"))
        static_cast<forms::OptionButton*>(c)->onClick = [&w](int Index) {
            optWhichDBImport_Click(w, Index);
        };
    w.cmdContinueImport.onClick = [&w] { cmdContinueImport_Click(w); };
    w.cmdLocateDB.onClick = [&w] { cmdLocateDB_Click(w); };
    w.lstPrevYear.onClick = [&w] { lstPrevYear_Click(w); };
    w.lstPrevYear.onDblClick = [&w] { lstPrevYear_DblClick(w); };
    w.cmdImpSelAss.onClick = [&w] { cmdImpSelAss_Click(w); };
    w.cmdImpWholeDB.onClick = [&w] { cmdImpWholeDB_Click(w); };
}

} // namespace carryforward
