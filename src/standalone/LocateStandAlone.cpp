// Locating the stand-alone individuals database, its company file beside it, and the
// version gate of the import button.

#include "app/FileChoice.h"
#include "app/FileNames.h"
#include "app/frmSysAdmin.h"
#include "engine/EngineErrors.h"
#include "standalone/Page.h"
#include "standalone/SourceFile.h"
#include "standalone/StandAloneMessages.h"
#include "transfer/ImportEndMessages.h"

#include <optional>

namespace standalone {

namespace {

using app::frmSysAdmin;

void setPaths(frmSysAdmin& w, const std::string& chosen) {
    w.StandAlonePersDbPath = chosen;
    w.StandAloneCompDbPath = companyFileBeside(chosen);
}

// The dialog of the page; true when a file was chosen, whose paths are then taken.
bool chooseSource(frmSysAdmin& w) {
    const std::optional<std::string> chosen =
        app::chooseFile(w, {false, app::kLocateDialogFlags, w.programFolder(),
                            w.StandAlonePersDbPath, std::string(msg::DialogTitle)});
    if (!chosen) return false;
    setPaths(w, *chosen);
    return true;
}

void versionGate(frmSysAdmin& w) {
    if (versionAccepted(w.txtQolbDBVersionImportSource.Text())) return;
    w.Ask(msg::oldVersion(), forms::vbOKOnly, "");
    w.cmdImportNow.setEnabled(false);
}

} // namespace

void cmdLocateImportDBs_Click(frmSysAdmin& w) {
    if (!chooseSource(w)) return;
    std::optional<runtime::Error> missing = individualsTableMissing(w.StandAlonePersDbPath);
    // A file that cannot be opened at all says so through its version below.
    while (missing && missing->number() == engine::err::ObjectNotFound) {
        if (w.Ask(msg::incorrectFile(), forms::vbYesNo, std::string(msg::IncorrectFileTitle)) !=
            forms::vbYes) {
            w.Unload();
            return;
        }
        LocateStandAloneDbFile(w);
        missing = individualsTableMissing(w.StandAlonePersDbPath);
        if (missing) missing = runtime::Error(engine::err::ObjectNotFound);
    }
    w.txtQolbDBImportSource.setText(w.StandAlonePersDbPath);
    w.txtQolbCompDBImportSource.setText(w.StandAloneCompDbPath);
    // Not a stand-alone file of an older version but the network's own: say that, not the gate.
    if (const std::optional<std::string> network = networkFileChosen(w)) {
        w.Ask(transfer::msg::sourceIsThisYear(*network), forms::vbCritical, "");
        w.cmdImportNow.setEnabled(false);
        return;
    }
    const auto version = structureVersionText(w.StandAlonePersDbPath, true);
    if (const auto* text = std::get_if<std::string>(&version)) {
        w.txtQolbDBVersionImportSource.setText(*text);
        w.txtQolbCompDBVersionImportSoure.setText(*text);
    }
    w.cmdImportNow.setEnabled(true);
    versionGate(w);
}

void LocateStandAloneDbFile(frmSysAdmin& w) {
    chooseSource(w);
}

} // namespace standalone
