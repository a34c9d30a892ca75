#include "clearing/BackupRestore.h"

#include "app/BusyDisplay.h"
#include "app/ExclusiveDatabases.h"
#include "app/FileNames.h"
#include "app/WindowHandles.h"
#include "app/frmSysAdmin.h"
#include "clearing/BackupSet.h"
#include "clearing/ClearingMessages.h"
#include "clearing/FileCopies.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"

namespace clearing {

namespace {

using app::frmSysAdmin;
using app::setPointer;
using app::startBusy;
using app::stopBusy;

void show(std::string_view text) {
    forms::desktop().MsgBox(std::string(text), forms::vbOKOnly, "");
}

std::string failureLines(const std::vector<CopyFailure>& failures) {
    std::string out;
    for (const CopyFailure& f : failures) {
        out += app::kCrLf;
        out += msg::failedCopyLine(f.step.source, f.step.target, f.number, f.text);
    }
    return out;
}

// A media failure's message: the fixed text, a blank line, then every copy that failed.
std::string withFailures(const std::string& text, const std::vector<CopyFailure>& failures) {
    return text + std::string(app::kCrLf) + failureLines(failures);
}

const CopyFailure* lastMediaFailure(const std::vector<CopyFailure>& failures) {
    for (auto it = failures.rbegin(); it != failures.rend(); ++it)
        if (runtime::isMediaError(it->number)) return &*it;
    return nullptr;
}

std::string placingFailure(const RestoreOutcome& outcome) {
    if (outcome.notPutBack.empty()) return msg::restoreNotPlaced();
    std::vector<std::pair<std::string, std::string>> kept;
    for (const NotPutBack& n : outcome.notPutBack)
        kept.emplace_back(n.target, n.keptAs);
    return msg::restoreNotPutBack(kept);
}

std::vector<std::string> targetsOf(const std::vector<CopyStep>& steps) {
    std::vector<std::string> targets;
    for (const CopyStep& step : steps)
        targets.push_back(step.target);
    return targets;
}

} // namespace

void cmdBackUp_Click(frmSysAdmin& w) {
    const std::optional<std::string> target = ChooseBackupTarget(w);
    startBusy(w);
    if (!target) {
        show(msg::BackupCancelled);
        setPointer(forms::vbDefault);
        stopBusy(w);
        return;
    }

    const std::vector<CopyStep> steps = backupSteps(w.PersDbPath, *target);
    if (const auto source = targetThatIsASource(steps)) {
        setPointer(forms::vbDefault);
        stopBusy(w);
        forms::desktop().MsgBox(msg::backupOntoSource(*source), forms::vbCritical,
                                std::string(msg::TitleBackupFailed));
        return;
    }
    std::vector<CopyFailure> failures = backupCopies(steps);
    while (!failures.empty()) {
        setPointer(forms::vbDefault);
        if (!lastMediaFailure(failures)) {
            stopBusy(w);
            forms::desktop().MsgBox(msg::backupFailed() + failureLines(failures), forms::vbCritical,
                                    std::string(msg::TitleBackupFailed));
            return;
        }
        if (w.Ask(withFailures(msg::backupMediaError(), failures), forms::vbOKCancel,
                  std::string(msg::TitleMediaFaulty)) != forms::vbOK) {
            setPointer(forms::vbDefault);
            stopBusy(w);
            return;
        }
        setPointer(forms::vbHourglass);
        forms::desktop().DoEvents();
        failures = backupCopies(steps);
    }
    setPointer(forms::vbDefault);
    stopBusy(w);
    show(msg::BackupDone);
}

void cmdRestore_Click(frmSysAdmin& w) {
    setPointer(forms::vbHourglass);
    const int answer = w.Ask(msg::restoreConfirmation(),
                             forms::vbYesNo + forms::vbQuestion + forms::vbDefaultButton2,
                             std::string(msg::TitleRestore));
    if (answer != forms::vbYes) {
        setPointer(forms::vbDefault);
        return;
    }
    const std::optional<std::string> source = ChooseRestoreSource(w);
    startBusy(w);
    if (!source) {
        show(msg::RestoreCancelled);
        setPointer(forms::vbDefault);
        stopBusy(w);
        return;
    }

    const std::vector<CopyStep> steps = restoreSteps(*source, w.PersDbPath);
    auto refuse = [&](const std::string& text) {
        setPointer(forms::vbDefault);
        stopBusy(w);
        forms::desktop().MsgBox(text, forms::vbCritical, std::string(msg::TitleRestore));
    };
    // Restoring from the network folder itself would put one database over another.
    if (const auto target = targetThatIsASource(steps)) {
        refuse(msg::restoreOntoSource(runtime::folderOf(*target)));
        return;
    }
    if (auto bad = checkRestoreSources(steps)) {
        refuse(bad->missing ? msg::restoreSourceMissing(bad->path)
                            : msg::restoreSourceNotDatabase(bad->path));
        return;
    }

    app::releaseWindowHandles(w);
    app::FileHolds holds;
    if (const std::string busy = app::holdExclusively(targetsOf(steps), holds); !busy.empty()) {
        refuse(app::databaseInUse(busy, msg::NothingRestored));
        return;
    }
    const RestoreOutcome outcome = restoreCopies(steps);
    holds.clear();
    const std::vector<CopyFailure>& failures = outcome.failures;

    if (outcome.whilePlacing) {
        refuse(placingFailure(outcome) + failureLines(failures));
        return;
    }
    if (const CopyFailure* media = lastMediaFailure(failures)) {
        setPointer(forms::vbDefault);
        const bool pathError = media->number == runtime::err::PermissionDenied;
        w.Ask(
            withFailures(pathError ? msg::restorePathError() : msg::restoreMediaError(), failures),
            forms::vbCritical,
            std::string(pathError ? msg::TitlePathError : msg::TitleMediaFaulty));
        forms::desktop().DoEvents();
        setPointer(forms::vbDefault);
        stopBusy(w);
        return;
    }
    if (!failures.empty()) {
        refuse(msg::restoreFailed() + failureLines(failures));
        return;
    }
    setPointer(forms::vbDefault);
    stopBusy(w);
    show(msg::restoreDone());
}

} // namespace clearing
