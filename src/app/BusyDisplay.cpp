#include "app/BusyDisplay.h"

#include "app/FileNames.h"
#include "app/frmSysAdmin.h"
#include "runtime/Paths.h"
#include "runtime/VariantOps.h"

#include <algorithm>

namespace app {

void setPointer(int pointer) {
    forms::desktop().setMousePointer(pointer);
}

void startBusy(frmSysAdmin& w) {
    w.Animation2.setVisible(true);
    w.Animation2.ZOrder();
    w.Animation2.setAutoPlay(true);
    w.Animation2.Open(runtime::joinPath(w.programFolder(), kWorkingClipName));
}

void stopBusy(frmSysAdmin& w) {
    w.Animation2.Close();
    w.Animation2.setVisible(false);
}

namespace {
// The bar's full scale: each run is shown over the whole of it.
constexpr double kBarFull = 32767;
} // namespace

ProgressDisplay::ProgressDisplay(frmSysAdmin& w, long records)
    : w_(w), step_(records > 0 ? kBarFull / (2.0 * static_cast<double>(records)) : 0) {
    w_.fraProgressBar.setVisible(true);
    w_.fraProgressBar.ZOrder();
    forms::desktop().DoEvents();
}

void ProgressDisplay::step() {
    if (step_ == 0) return; // a run of no records leaves the bar as it stands
    position_ += step_;
    // A run that steps more often than it said it would stays at the end of the bar.
    const double shown = std::min(position_, static_cast<double>(w_.HScroll2.Max()));
    w_.HScroll2.setValue(runtime::CInt(runtime::Variant(shown)));
}

} // namespace app
