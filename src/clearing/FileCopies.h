#pragma once

// The copies of a backup and of a restore. Every copy of a pass is tried; each one that
// fails is reported, none is passed over.

#include "clearing/BackupSet.h"

#include <optional>
#include <string>
#include <vector>

namespace clearing {

struct CopyFailure {
    CopyStep step;
    int number = 0;
    std::string text;
};

// Copies each database as it stands at one moment, so that a copy is a sound database
// even while a workstation writes to the source; each copy is flushed to the medium and
// opened to check it. A journal left beside a target goes with the file it belonged to.
// A step whose source and target are one file needs no copy. The copy-fault seam of the
// file operations is consulted before each copy.
std::vector<CopyFailure> backupCopies(const std::vector<CopyStep>& steps);

// A source of a restore that cannot be used, and why.
struct UnusableSource {
    std::string path;
    bool missing = false; // else: there, but no database
};

// The first source that is missing or does not open as a database, if any.
std::optional<UnusableSource> checkRestoreSources(const std::vector<CopyStep>& steps);

// Copies every source beside its target under a temporary name; only when all of them
// arrived are they put in place. Each old file (with a journal it left) is kept aside
// until every new one is in place, so that a failure at any step puts the old ones back
// and the set is never mixed. A failure while copying leaves every target untouched.
struct NotPutBack {
    std::string target;
    std::string keptAs; // where the old file still is
};
struct RestoreOutcome {
    std::vector<CopyFailure> failures;
    bool whilePlacing = false;          // the failure came once every copy had arrived
    std::vector<NotPutBack> notPutBack; // old files that could not be put back
};
RestoreOutcome restoreCopies(const std::vector<CopyStep>& steps);

} // namespace clearing
