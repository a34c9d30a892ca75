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

// The progress bar of the previous-year imports (fraProgressBar, HScroll2). A run reads
// each of its `records` records once and writes each once; every one of those 2 x records
// steps moves the bar by 32767 / (2 x records), shown rounded with halves to the even
// neighbour, so the bar is full when the last record is written and never goes past its
// maximum. The frame is shown when the run starts and stays shown after it; the bar keeps
// what the last run left until this run's first step.
class ProgressDisplay {
public:
    ProgressDisplay(frmSysAdmin& w, long records);

    // One record read or written.
    void step();

private:
    frmSysAdmin& w_;
    double step_;
    double position_ = 0;
};

} // namespace app
