#include "app/BusyDisplay.h"

#include "app/FileNames.h"
#include "app/frmSysAdmin.h"
#include "runtime/Paths.h"

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
// The bar's values are 16-bit: a longer run is shown to scale.
constexpr int kBarMax = 32767;
} // namespace

ProgressDisplay::ProgressDisplay(frmSysAdmin& w, int steps) : w_(w), steps_(std::max(steps, 1)) {
    w_.HScroll2.setMin(0);
    w_.HScroll2.setValue(0);
    w_.HScroll2.setMax(std::min(steps_, kBarMax));
    w_.fraProgressBar.setVisible(true);
    forms::desktop().DoEvents();
}

ProgressDisplay::~ProgressDisplay() {
    w_.HScroll2.setValue(0);
    w_.fraProgressBar.setVisible(false);
}

void ProgressDisplay::show(int done) {
    const long long part = std::clamp(done, 0, steps_);
    w_.HScroll2.setValue(static_cast<int>(part * w_.HScroll2.Max() / steps_));
    forms::desktop().DoEvents();
}

} // namespace app
