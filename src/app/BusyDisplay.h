#pragma once

// What the window shows while an operation works: the pointer, the working clip and the
// progress bar.

namespace app {

class frmSysAdmin;

// The mouse pointer over the whole program (forms::vbHourglass, forms::vbDefault).
void setPointer(int pointer);

// The working clip (Animation2) plays over the page until stopBusy.
void startBusy(frmSysAdmin& w);
void stopBusy(frmSysAdmin& w);

// The progress bar (fraProgressBar, HScroll2): shown from 0 of `steps` while the object
// lives, hidden again however the run ends.
class ProgressDisplay {
public:
    ProgressDisplay(frmSysAdmin& w, int steps);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // `done` of the steps are done; lets the window paint the bar.
    void show(int done);

private:
    frmSysAdmin& w_;
    int steps_;
};

} // namespace app
