// The import button: the individuals, the trusts and the companies of the stand-alone
// edition, each from a working copy this click made, each kind whole or not at all.

#include "app/BusyDisplay.h"
#include "app/DatabaseHandles.h"
#include "app/FileNames.h"
#include "app/WindowHandles.h"
#include "app/frmSysAdmin.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"
#include "standalone/KindImport.h"
#include "standalone/Messages.h"
#include "standalone/Page.h"
#include "standalone/SourceFile.h"
#include "transfer/BusyGuard.h"
#include "transfer/LockFields.h"
#include "transfer/Messages.h"

#include <algorithm>
#include <array>
#include <optional>

namespace standalone {

namespace {

using app::frmSysAdmin;

constexpr std::array kMediaErrors{71, 70, 68, 57, 61, 76};

enum class CopyOutcome { Made, Cancelled, Failed };

// Copies the source over a fresh working copy, asking again while the medium fails.
CopyOutcome makeWorkingCopy(frmSysAdmin& w, const std::string& source, const std::string& copy,
                            std::optional<runtime::Error>& failure) {
    try {
        runtime::Kill(copy);
    } catch (const runtime::Error&) {
        // None there, or held: the copy below replaces it or fails.
    }
    for (;;) {
        try {
            runtime::FileCopy(source, copy);
            return CopyOutcome::Made;
        } catch (const runtime::Error& e) {
            if (std::ranges::find(kMediaErrors, e.number()) == kMediaErrors.end()) {
                failure = e;
                return CopyOutcome::Failed;
            }
        }
        app::setPointer(forms::vbDefault);
        w.Animation1.setVisible(false);
        w.MsgText = std::string(msg::MediaProblem);
        w.MsgStyle = std::int16_t{forms::vbOKCancel};
        w.MsgTitle = std::string(msg::MediaProblemTitle);
        if (w.ShowMsg() != forms::vbOK) return CopyOutcome::Cancelled;
        app::setPointer(forms::vbHourglass);
        w.Animation1.setVisible(true);
    }
}

void removeQuietly(const std::string& path) {
    try {
        runtime::Kill(path);
    } catch (const runtime::Error&) {
        // A copy that stays behind is replaced by the next import before it is read.
    }
}

// What one click has done so far.
struct ImportRun {
    std::vector<std::string_view> imported;
    bool failed = false;
    bool individualsCopyMade = false;
};

// The free value of the lock fields of the kind's network table. False, after saying so,
// when they could not be tidied; the kind's clients stay imported.
bool tidyLocks(frmSysAdmin& w, const Kind& kind) {
    app::closeWindowHandles(w);
    app::closeWorkspaceQuietly();
    bool tidied = false;
    try {
        const transfer::LockFieldsResult r =
            transfer::tidyLockFields(w.*kind.networkPath, kind.mainTable);
        if (r.outcome == transfer::LockFieldsOutcome::InUse) {
            forms::desktop().MsgBox(std::string(transfer::msg::LockFieldsInUse),
                                    forms::vbExclamation);
        } else {
            tidied = true;
            if (r.rows > 0) w.cmdOk.setEnabled(true);
        }
    } catch (const runtime::Error& e) {
        forms::desktop().MsgBox(transfer::msg::lockFieldsNotTidied(e.number(), e.text()),
                                forms::vbCritical);
    }
    app::closeWorkspaceQuietly();
    return tidied;
}

void runKind(frmSysAdmin& w, ImportRun& run, const Kind& kind, const std::string& copy) {
    try {
        importKind(kind, copy, w.*kind.networkPath);
    } catch (const runtime::Error& e) {
        app::closeWorkspaceQuietly();
        run.failed = true;
        forms::desktop().MsgBox(msg::kindNotImported(kind.name, e, run.imported),
                                forms::vbCritical);
        return;
    }
    run.imported.push_back(kind.name);
    if (!tidyLocks(w, kind)) run.failed = true;
}

void failKind(frmSysAdmin& w, ImportRun& run, const Kind& kind, const runtime::Error& e) {
    run.failed = true;
    w.Ask(msg::kindNotImported(kind.name, e, run.imported), forms::vbCritical, "");
}

void ImportStandAlone_Personal(frmSysAdmin& w, ImportRun& run) {
    const std::string copy = individualsCopyPath(w.programFolder());
    std::optional<runtime::Error> failure;
    switch (makeWorkingCopy(w, w.StandAlonePersDbPath, copy, failure)) {
    case CopyOutcome::Cancelled:
        run.failed = true;
        return;
    case CopyOutcome::Failed:
        failKind(w, run, individualsKind(), *failure);
        return;
    case CopyOutcome::Made:
        break;
    }
    run.individualsCopyMade = true;
    forms::desktop().DoEvents();
    runKind(w, run, individualsKind(), copy);
    forms::desktop().DoEvents();
}

void ImportStandAlone_Trust(frmSysAdmin& w, ImportRun& run) {
    const std::string copy = individualsCopyPath(w.programFolder());
    // Only a copy this click made: an earlier click's may be of another file.
    if (run.individualsCopyMade) runKind(w, run, trustsKind(), copy);
    removeQuietly(copy);
}

void ImportStandAlone_Company(frmSysAdmin& w, ImportRun& run) {
    const std::string copy = companiesCopyPath(w.programFolder());
    std::optional<runtime::Error> failure;
    switch (makeWorkingCopy(w, w.StandAloneCompDbPath, copy, failure)) {
    case CopyOutcome::Cancelled:
        run.failed = true;
        break;
    case CopyOutcome::Failed:
        failKind(w, run, companiesKind(), *failure);
        break;
    case CopyOutcome::Made:
        runKind(w, run, companiesKind(), copy);
        break;
    }
    removeQuietly(copy);
}

// The chosen files may have changed since they were located; the import reads them again.
bool sourceStillFit(frmSysAdmin& w) {
    const std::string& source = w.StandAlonePersDbPath;
    const std::string folder = w.programFolder();
    if (sameFile(source, individualsCopyPath(folder)) ||
        sameFile(w.StandAloneCompDbPath, companiesCopyPath(folder))) {
        w.Ask(msg::sourceIsWorkingCopy(source), forms::vbCritical, "");
        return false;
    }
    if (const std::optional<runtime::Error> e = individualsTableMissing(source)) {
        w.Ask(msg::sourceNotReadable(source, *e), forms::vbCritical, "");
        return false;
    }
    const auto version = structureVersionText(source, false);
    if (const auto* text = std::get_if<std::string>(&version); text && versionAccepted(*text))
        return true;
    w.Ask(msg::oldVersion(), forms::vbOKOnly, "");
    w.cmdImportNow.setEnabled(false);
    return false;
}

void showBusy(frmSysAdmin& w) {
    app::setPointer(forms::vbHourglass);
    w.Animation1.setVisible(true);
    w.Frame12.setVisible(true);
    w.Animation1.setAutoPlay(true);
    w.Animation1.Open(runtime::joinPath(w.programFolder(), app::kWorkingClipName));
    forms::desktop().DoEvents();
}

void endBusy(frmSysAdmin& w) {
    app::setPointer(forms::vbDefault);
    w.Animation1.Close();
    w.Animation1.setVisible(false);
}

} // namespace

void cmdImportNow_Click(frmSysAdmin& w) {
    if (w.txtQolbDBImportSource.Text().empty()) return;
    transfer::BusyGuard guard(w);
    if (!sourceStillFit(w)) return;
    showBusy(w);
    ImportRun run;
    ImportStandAlone_Personal(w, run);
    ImportStandAlone_Trust(w, run);
    ImportStandAlone_Company(w, run);
    endBusy(w);
    if (!run.failed) w.Ask(std::string(msg::TransferSuccessful), forms::vbOKOnly, "");
}

} // namespace standalone
