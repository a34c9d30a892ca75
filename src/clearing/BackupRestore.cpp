#include "clearing/BackupRestore.h"

#include "app/DatabaseHandles.h"
#include "app/frmSysAdmin.h"
#include "clearing/BackupSet.h"
#include "clearing/FileCopies.h"
#include "clearing/Messages.h"
#include "engine/FileLock.h"
#include "runtime/Paths.h"

#include <filesystem>

namespace clearing {

namespace {

using app::frmSysAdmin;

constexpr std::string_view kClip = "\\working.avi";

void setPointer(int pointer) {
    forms::desktop().setMousePointer(pointer);
}

void show(std::string_view text) {
    forms::desktop().MsgBox(std::string(text), forms::vbOKOnly, "");
}

void startBusy(frmSysAdmin& w) {
    w.Animation2.setVisible(true);
    w.Animation2.ZOrder();
    w.Animation2.setAutoPlay(true);
    w.Animation2.Open(runtime::joinPath(w.programFolder(), kClip));
}

void stopBusy(frmSysAdmin& w) {
    w.Animation2.Close();
    w.Animation2.setVisible(false);
}

std::string failureLines(const std::vector<CopyFailure>& failures) {
    std::string out;
    for (const CopyFailure& f : failures) {
        out += msg::CrLf;
        out += msg::failedCopyLine(f.step.source, f.step.target, f.number, f.text);
    }
    return out;
}

// A media failure's message: the fixed text, a blank line, then every copy that failed.
std::string withFailures(const std::string& text, const std::vector<CopyFailure>& failures) {
    return text + std::string(msg::CrLf) + failureLines(failures);
}

const CopyFailure* lastMediaFailure(const std::vector<CopyFailure>& failures) {
    for (auto it = failures.rbegin(); it != failures.rend(); ++it)
        if (isMediaError(it->number)) return &*it;
    return nullptr;
}

// Holds every existing network file of the set for exclusive use while it is replaced,
// so no workstation reads or writes a file that is being swapped. Gives the path of a
// file another workstation holds, empty when all are held.
std::string holdTargets(const std::vector<CopyStep>& steps,
                        std::vector<std::shared_ptr<engine::FileLock>>& holds) {
    for (const CopyStep& step : steps) {
        std::error_code ec;
        const auto canonical = std::filesystem::canonical(step.target, ec);
        if (ec) continue; // no file there yet: nobody can hold it
        try {
            holds.push_back(engine::FileLock::acquire(canonical.string(), true));
        } catch (const runtime::Error&) {
            return step.target;
        }
    }
    return {};
}

std::string placingFailure(const RestoreOutcome& outcome) {
    if (outcome.notPutBack.empty()) return msg::restoreNotPlaced();
    std::vector<std::pair<std::string, std::string>> kept;
    for (const NotPutBack& n : outcome.notPutBack)
        kept.emplace_back(n.target, n.keptAs);
    return msg::restoreNotPutBack(kept);
}

void releaseWindowHandles(frmSysAdmin& w) {
    // Nothing of the files about to be replaced may stay open in this program.
    app::closeWorkspaceQuietly();
    w.MainRS.reset();
    w.SecondRS.reset();
    w.ThirdRS.reset();
    w.DetailRS.reset();
    w.SysDB.reset();
    w.ClientDB.reset();
    w.ImportDB.reset();
}

} // namespace

void cmdBackUp_Click(frmSysAdmin& w) {
    ChooseBackupTarget(w);
    startBusy(w);
    if (w.DialogCancelled == 1) {
        show(msg::BackupCancelled);
        setPointer(forms::vbDefault);
        w.DialogCancelled = 0;
        stopBusy(w);
        return;
    }

    const std::vector<CopyStep> steps = backupSteps(w.PersDbPath, w.BackupTargetFile);
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
    w.DialogCancelled = 0;
    setPointer(forms::vbHourglass);
    const int answer = w.Ask(msg::restoreConfirmation(),
                             forms::vbYesNo + forms::vbQuestion + forms::vbDefaultButton2,
                             std::string(msg::TitleRestore));
    if (answer != forms::vbYes) {
        setPointer(forms::vbDefault);
        return;
    }
    ChooseRestoreSource(w);
    startBusy(w);
    if (w.DialogCancelled == 1) {
        show(msg::RestoreCancelled);
        setPointer(forms::vbDefault);
        // Left at 1, the next backup would take its own chosen file for a cancel.
        w.DialogCancelled = 0;
        stopBusy(w);
        return;
    }

    const std::vector<CopyStep> steps = restoreSteps(w.RestoreSourceFile, w.PersDbPath);
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

    releaseWindowHandles(w);
    std::vector<std::shared_ptr<engine::FileLock>> holds;
    if (const std::string busy = holdTargets(steps, holds); !busy.empty()) {
        refuse(msg::databaseInUse(busy, msg::NothingRestored));
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
