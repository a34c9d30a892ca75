#include "transfer/ImportEnd.h"

#include "app/DatabaseHandles.h"
#include "app/WindowHandles.h"
#include "app/frmSysAdmin.h"
#include "transfer/ImportEndMessages.h"

namespace transfer {

namespace {

// Without a title of its own, and leaving the window's message fields as they are.
void show(std::string_view text, int style) {
    forms::desktop().MsgBox(std::string(text), style);
}

} // namespace

bool tidyAfterImport(app::frmSysAdmin& w, const std::vector<LockFieldsTable>& tables,
                     std::string_view clients) {
    // Nothing of this program may be reading or writing the files while they are held.
    app::closeWindowHandles(w);
    app::closeWorkspaceQuietly();
    LockFieldsResult result;
    try {
        result = tidyLockFields(tables);
    } catch (const runtime::Error& e) {
        app::closeWorkspaceQuietly();
        show(msg::lockFieldsNotTidied(e.number(), e.text(), clients), forms::vbCritical);
        return false;
    }
    app::closeWorkspaceQuietly();
    if (result.outcome == LockFieldsOutcome::InUse) {
        show(msg::lockFieldsInUse(clients), forms::vbExclamation);
        return false;
    }
    if (result.rows > 0) w.cmdOk.setEnabled(true);
    return true;
}

void finishImport(app::frmSysAdmin& w, const std::string& path, std::string_view table,
                  std::string_view clients) {
    if (tidyAfterImport(w, {{path, table}}, clients)) show(msg::TransferCompleted, forms::vbOKOnly);
}

} // namespace transfer
