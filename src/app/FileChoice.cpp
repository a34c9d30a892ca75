#include "app/FileChoice.h"

#include "app/FileNames.h"
#include "app/frmSysAdmin.h"
#include "runtime/Error.h"

namespace app {

std::optional<std::string> chooseFile(frmSysAdmin& w, const FileRequest& request) {
    forms::CommonDialog& dlg = w.CommonDialog1;
    dlg.setCancelError(true);
    dlg.setFlags(request.flags);
    dlg.setInitDir(request.folder);
    dlg.setFileName(request.proposed);
    dlg.setDialogTitle(request.title);
    dlg.setFilter(std::string(kDialogFilter));
    try {
        if (request.save)
            dlg.ShowSave();
        else
            dlg.ShowOpen();
    } catch (const runtime::Error& e) {
        if (e.number() != runtime::err::CancelError) throw;
        dlg.setCancelError(false);
        return std::nullopt;
    }
    return dlg.FileName();
}

} // namespace app
