#include "clearing/FileCopies.h"

#include "app/FileNames.h"
#include "engine/Dao.h"
#include "engine/SnapshotCopy.h"
#include "runtime/Error.h"
#include "runtime/FileOps.h"
#include "runtime/Paths.h"

#include <algorithm>
#include <filesystem>
#include <functional>

namespace clearing {

namespace {

using runtime::Error;
namespace rterr = runtime::err;

CopyFailure failure(const CopyStep& step, const Error& e) {
    return {step, e.number(), e.text()};
}

// A step without a source or target place: its path named no folder.
void requirePlaces(const CopyStep& step) {
    if (step.source.empty() || step.target.empty()) throw Error(rterr::PathNotFound);
}

std::string journalOf(const std::string& databasePath) {
    return runtime::resolveCase(databasePath + "-journal");
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

// A copy waiting beside its target.
struct Staged {
    const CopyStep* step;
    std::string temp; // empty: nothing to replace (source and target are one file)
};

// Puts a new file in place of `target` by `replace`. A journal the old file left beside
// it belongs to the old file: played into the new one when that is next opened, it would
// wreck it. So it is moved aside first, put back if the replacing fails (the old file
// still needs it), and removed once the new file is there.
void replaceApartFromJournal(const std::string& target, const std::string& parked,
                             const std::function<void()>& replace) {
    const std::string journal = journalOf(target);
    const bool hadJournal = runtime::fileExists(journal);
    if (hadJournal) runtime::renameFile(journal, parked);
    try {
        replace();
    } catch (const Error&) {
        if (hadJournal) {
            try {
                runtime::renameFile(parked, journal);
            } catch (const Error&) {
            }
        }
        throw;
    }
    if (hadJournal) removeQuietly(parked);
}

// One target of a restore being replaced by its staged copy. The old file and a journal
// it left are parked beside it until every new file is in place.
struct Swap {
    const CopyStep* step;
    std::string temp;
    bool hadOld = false;
    bool hadJournal = false;
    bool placed = false;

    const std::string& target() const { return step->target; }
    std::string parked() const { return temp + "-old"; }
    std::string parkedJournal() const { return temp + "-oldjournal"; }
};

void place(Swap& s) {
    if (runtime::fileExists(s.target())) {
        runtime::renameFile(s.target(), s.parked());
        s.hadOld = true;
    }
    // The old file's journal, played into the new file when that is next opened, would
    // wreck it.
    if (const std::string journal = journalOf(s.target()); runtime::fileExists(journal)) {
        runtime::renameFile(journal, s.parkedJournal());
        s.hadJournal = true;
    }
    runtime::renameFile(s.temp, s.target());
    s.placed = true;
}

// The old file back in its place (the new one goes); false when it could not be done.
bool putBack(const Swap& s) {
    bool ok = true;
    auto attempt = [&](auto&& step) {
        try {
            step();
        } catch (const Error&) {
            ok = false;
        }
    };
    if (s.hadOld)
        attempt([&] { runtime::renameFile(s.parked(), s.target()); });
    else if (s.placed)
        attempt([&] { runtime::Kill(s.target()); });
    if (s.hadJournal)
        attempt([&] { runtime::renameFile(s.parkedJournal(), journalOf(s.target())); });
    removeQuietly(s.temp);
    return ok;
}

void dropOld(const Swap& s) {
    removeQuietly(s.parked());
    removeQuietly(s.parkedJournal());
}

// A copy counts as made once it opens as a database of the engine; the last file of the
// set is the system database, which carries the password.
void verifyCopy(const std::string& path, bool systemDb) {
    auto& ws = engine::DBEngine::instance().Workspaces(0);
    auto db = ws.OpenDatabase(path, false, true, systemDb ? std::string(app::kSysDbConnect) : "");
    (void)db->TableDefs().Count();
    db->Close();
}

} // namespace

std::vector<CopyFailure> backupCopies(const std::vector<CopyStep>& steps) {
    std::vector<CopyFailure> failures;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const CopyStep& step = steps[i];
        try {
            requirePlaces(step);
            if (runtime::sameExistingFile(step.source, step.target)) continue;
            // The file-operation seam stands for the medium here as in every file copy.
            if (int fault = runtime::FileOpsHooks::copyFault(step.source, step.target))
                throw Error(fault);
            // The copy is on the medium when it returns: a backup may be the only copy
            // the administrator ever restores.
            replaceApartFromJournal(step.target, step.target + ".oldjournal", [&] {
                engine::copyDatabaseSnapshot(step.source, step.target);
            });
            verifyCopy(step.target, i + 1 == kBackupSetNames.size());
        } catch (const Error& e) {
            failures.push_back(failure(step, e));
        }
    }
    return failures;
}

std::optional<UnusableSource> checkRestoreSources(const std::vector<CopyStep>& steps) {
    for (const CopyStep& step : steps) {
        if (step.source.empty() || !runtime::fileExists(step.source))
            return UnusableSource{step.source, true};
        try {
            verifyCopy(step.source, &step == &steps.back());
        } catch (const Error&) {
            return UnusableSource{step.source, false};
        }
    }
    return std::nullopt;
}

RestoreOutcome restoreCopies(const std::vector<CopyStep>& steps) {
    RestoreOutcome outcome;
    std::vector<CopyFailure>& failures = outcome.failures;
    std::vector<Staged> staged;
    for (const CopyStep& step : steps) {
        try {
            requirePlaces(step);
            if (runtime::sameExistingFile(step.source, step.target)) {
                staged.push_back({&step, {}});
                continue;
            }
            std::string temp = step.target + ".restoring";
            runtime::FileCopy(step.source, temp);
            staged.push_back({&step, temp});
        } catch (const Error& e) {
            failures.push_back(failure(step, e));
        }
    }
    if (!failures.empty()) {
        for (const Staged& s : staged)
            if (!s.temp.empty()) removeQuietly(s.temp);
        return outcome;
    }
    std::vector<Swap> swaps;
    for (const Staged& s : staged)
        if (!s.temp.empty()) swaps.push_back({s.step, s.temp});
    for (std::size_t i = 0; i < swaps.size(); ++i) {
        try {
            place(swaps[i]);
        } catch (const Error& e) {
            failures.push_back(failure(*swaps[i].step, e));
            outcome.whilePlacing = true;
            for (std::size_t k = i + 1; k-- > 0;)
                if (!putBack(swaps[k]))
                    outcome.notPutBack.push_back({swaps[k].target(), swaps[k].parked()});
            for (std::size_t k = i + 1; k < swaps.size(); ++k)
                removeQuietly(swaps[k].temp);
            return outcome;
        }
    }
    for (const Swap& s : swaps)
        dropOld(s);
    return outcome;
}

} // namespace clearing
