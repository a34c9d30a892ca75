#include "clearing/WindowHandles.h"

#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"

namespace clearing {

void closeWindowHandles(app::frmSysAdmin& w) {
    app::closeQuietly(w.MainRS);
    app::closeQuietly(w.SysDB);
    app::closeQuietly(w.ClientDB);
}

} // namespace clearing
