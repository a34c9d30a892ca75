#include "app/FileChoice.h"

#include "app/FileNames.h"
#include "app/frmSysAdmin.h"
#include "runtime/Error.h"
#include "runtime/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace app {

namespace {

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

} // namespace

std::string dialogStartFolder(std::string_view subfolder) {
    const std::string home = homeFolder();
    if (subfolder.empty()) return home;
    const std::string preferred = runtime::joinPath(home, subfolder);
    std::error_code ec;
    return std::filesystem::is_directory(preferred, ec) ? preferred : home;
}

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
