#include "transfer/SourceCheck.h"

#include "app/frmSysAdmin.h"
#include "runtime/FileOps.h"
#include "transfer/ImportEndMessages.h"

namespace transfer {

bool refusedAsThisYear(app::frmSysAdmin& w, const std::string& source,
                       const std::string& thisYear) {
    if (!runtime::sameExistingFile(source, thisYear)) return false;
    w.Ask(msg::sourceIsThisYear(source), forms::vbCritical, "");
    return true;
}

} // namespace transfer
