#pragma once

// The start-up stretches that have no error handling of their own (creating and repairing
// the client databases, the structure upgrade and roll-forward, the system database after
// its first open) report a failure in one message and go on where they safely can.

#include "runtime/Error.h"

namespace app {

class frmSysAdmin;

// Shows "Error <number>: <text>" once per stretch: the first failure is the one the
// administrator needs; later ones usually follow from it.
class StartupFault {
public:
    explicit StartupFault(frmSysAdmin& window) : window_(window) {}
    void report(const runtime::Error& e);
    bool reported() const { return reported_; }

private:
    frmSysAdmin& window_;
    bool reported_ = false;
};

} // namespace app
