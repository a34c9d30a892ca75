#include "app/StartupFault.h"

#include "app/frmSysAdmin.h"

namespace app {

void StartupFault::report(const runtime::Error& e) {
    if (reported_) return;
    reported_ = true;
    window_.Ask(forms::errorMessage(e), forms::vbCritical, "");
}

} // namespace app
