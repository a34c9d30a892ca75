#include "transfer/BusyGuard.h"

#include "app/frmSysAdmin.h"

namespace transfer {

namespace {

// The controls a running locate or import refuses to the user. The list of last year's
// clients is one: its double-click presses the import button.
std::vector<forms::Control*> guardedControls(app::frmSysAdmin& w) {
    std::vector<forms::Control*> controls{&w.cmdImpSelAss,       &w.cmdImpWholeDB, &w.cmdLocateDB,
                                          &w.SSIndexTab1,        &w.SSIndexTab2,   &w.lstPrevYear,
                                          &w.cmdLocateImportDBs, &w.cmdImportNow};
    for (forms::Control* option : w.controlArray("optWhichDBImport"))
        controls.push_back(option);
    return controls;
}

} // namespace

BusyGuard::BusyGuard(app::frmSysAdmin& w) : w_(w), unloadRefusedBefore_(w.unloadRefused()) {
    for (forms::Control* c : guardedControls(w)) {
        held_.emplace_back(c, c->userRefused());
        c->setUserRefused(true);
    }
    w_.setUnloadRefused(true);
}

BusyGuard::~BusyGuard() {
    for (auto& [control, before] : held_)
        control->setUserRefused(before);
    w_.setUnloadRefused(unloadRefusedBefore_);
}

} // namespace transfer
