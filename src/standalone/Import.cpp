// The import button: the individuals, the trusts and the companies of the stand-alone
// edition, from working copies this click made, all three kinds whole or none at all.

#include "app/BusyDisplay.h"
#include "app/DatabaseHandles.h"
#include "app/FileNames.h"
#include "app/frmSysAdmin.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"
#include "standalone/KindImport.h"
#include "standalone/Page.h"
#include "standalone/SourceFile.h"
#include "standalone/StandAloneMessages.h"
#include "transfer/BusyGuard.h"
#include "transfer/ImportEnd.h"
#include "transfer/ImportEndMessages.h"

#include <optional>

namespace standalone {

namespace {

using app::frmSysAdmin;

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
            if (!runtime::isMediaError(e.number())) {
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

// The working copies this click made, gone again however the click ends.
struct WorkingCopies {
    std::vector<std::string> made;
    ~WorkingCopies() {
        for (const std::string& copy : made)
            removeQuietly(copy);
    }
};

// Makes the working copy of `kind`'s source; false, after saying why unless the
// administrator gave up, when there is none.
bool copyFor(frmSysAdmin& w, WorkingCopies& copies, const Kind& kind, const std::string& source,
             const std::string& copy) {
    std::optional<runtime::Error> failure;
    const CopyOutcome outcome = makeWorkingCopy(w, source, copy, failure);
    if (outcome != CopyOutcome::Cancelled) copies.made.push_back(copy);
    if (outcome == CopyOutcome::Failed)
        w.Ask(msg::notImported(KindImportError(kind.name, {}, *failure)), forms::vbCritical, "");
    return outcome == CopyOutcome::Made;
}

// The free value of the lock fields of the three network tables, all at once. False, after
// saying so, when they could not be tidied; the clients stay imported.
bool tidyLocks(frmSysAdmin& w) {
    std::vector<transfer::LockFieldsTable> tables;
    for (const Kind* kind : {&individualsKind(), &trustsKind(), &companiesKind()})
        tables.push_back({w.*kind->networkPath, kind->client.mainTable});
    return transfer::tidyAfterImport(w, tables);
}

// The individuals, the trusts and the companies as one change of the three network files:
// the working copies first, then every kind in one transaction, then their record locks.
// True when all of it was done.
bool importAll(frmSysAdmin& w) {
    const std::string folder = w.programFolder();
    const std::string individuals = individualsCopyPath(folder);
    const std::string companies = companiesCopyPath(folder);
    WorkingCopies copies;
    if (!copyFor(w, copies, individualsKind(), w.StandAlonePersDbPath, individuals)) return false;
    forms::desktop().DoEvents();
    if (!copyFor(w, copies, companiesKind(), w.StandAloneCompDbPath, companies)) return false;
    try {
        importKinds({{individualsKind(), individuals, w.PersDbPath},
                     {trustsKind(), individuals, w.TrustDbPath},
                     {companiesKind(), companies, w.CompDbPath}});
    } catch (const KindImportError& e) {
        app::closeWorkspaceQuietly();
        w.Ask(msg::notImported(e), forms::vbCritical, "");
        return false;
    }
    forms::desktop().DoEvents();
    return tidyLocks(w);
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
    if (const std::optional<std::string> network = networkFileChosen(w)) {
        w.Ask(transfer::msg::sourceIsThisYear(*network), forms::vbCritical, "");
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
    const bool imported = importAll(w);
    endBusy(w);
    if (imported) w.Ask(std::string(msg::TransferSuccessful), forms::vbOKOnly, "");
}

} // namespace standalone
