#pragma once

// The assembled program: the frame window, the administration window inside it, and
// every subsystem's event handlers attached to the administration window. Free of any
// front end: the Qt front end draws these windows, tests drive them headless.

#include "app/MDIForm1.h"
#include "app/frmSysAdmin.h"

namespace program {

class Program {
public:
    Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads the frame window, which refuses a second copy or loads the administration
    // window. Gives true while the frame window stays loaded (the program runs on).
    bool start();

    // Whether the program still runs: it ends when the frame window unloads.
    bool running() const { return frame_.isLoaded(); }

    app::MDIForm1& MDIForm1() { return frame_; }
    app::frmSysAdmin& frmSysAdmin() { return admin_; }

private:
    // Members in this order: the administration window exists before the frame that
    // holds it.
    app::frmSysAdmin admin_;
    app::MDIForm1 frame_{admin_};
};

} // namespace program
