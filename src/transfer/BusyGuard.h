#pragma once

// A locate or an import lets pending window events through while it runs (the progress bar
// is drawn then), and the window's buttons stay live. Whatever would start a second run
// under the first, change the kind it reads, move the pages away or close the window under
// it is refused while the guard is held: such clicks, and presses in code of a refused
// button, are ignored and show nothing.

#include <utility>
#include <vector>

namespace app {
class frmSysAdmin;
}
namespace forms {
class Control;
}

namespace transfer {

// Taken by a locate or an import handler for its whole run; released on every exit. A
// guard taken while another is held changes nothing and leaves the hold to the outer one.
class BusyGuard {
public:
    explicit BusyGuard(app::frmSysAdmin& w);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    app::frmSysAdmin& w_;
    // Each refused control with the refusal it had before.
    std::vector<std::pair<forms::Control*, bool>> held_;
    bool unloadRefusedBefore_;
};

} // namespace transfer
