#include "transfer/ImportEnd.h"

#include "app/DatabaseHandles.h"
#include "app/WindowHandles.h"
#include "app/frmSysAdmin.h"
#include "transfer/LockFields.h"
#include "transfer/Messages.h"

namespace transfer {

namespace {

// Without a title of its own, and leaving the window's message fields as they are.
void show(std::string_view text, int style) {
    forms::desktop().MsgBox(std::string(text), style);
}

} // namespace

void finishImport(app::frmSysAdmin& w, const std::string& path, std::string_view table,
                  std::string_view clients) {
    // Nothing of this program may be reading or writing the file while it is held.
    app::closeWindowHandles(w);
    LockFieldsResult result;
    try {
        result = tidyLockFields(path, table);
    } catch (const runtime::Error& e) {
        app::closeWorkspaceQuietly();
        show(msg::lockFieldsNotTidied(e.number(), e.text(), clients), forms::vbCritical);
        return;
    }
    app::closeWorkspaceQuietly();
    if (result.outcome == LockFieldsOutcome::InUse) {
        show(msg::lockFieldsInUse(clients), forms::vbExclamation);
        return;
    }
    if (result.rows > 0) w.cmdOk.setEnabled(true);
    show(msg::TransferCompleted, forms::vbOKOnly);
}

} // namespace transfer
