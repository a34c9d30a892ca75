#pragma once

// One check for every write operation: run it once to count its writes and syncs, then
// once for each of them with a fault there, and look at every file afterwards.

#include "FaultPoints.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedDesktop.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace faults {

// Where one run of an operation happens: fresh folders and a scripted desktop.
struct Place {
    support::ProgramFolder program;
    support::ScriptedDesktop& desk = program.desktop();
    support::TempFolder net;   // the network files
    support::TempFolder other; // a backup set
};

// What the operation told the user.
enum class Claim { Success, Failure };

struct WrittenFile {
    bool inOther = false; // else in the network folder
    std::string name;
    std::string connect; // for the engine's re-open after a kill
    std::string path(const Place& p) const { return (inOther ? p.other : p.net).file(name); }
};

struct Operation {
    std::string name;
    std::vector<WrittenFile> files;
    // Builds the files as they are before the operation.
    std::function<void(Place&)> prepare;
    // Runs it and says what it told the user.
    std::function<Claim(Place&)> run;
    // When given: builds, over the files as they were, a state that also counts as
    // nothing done (a new file that the engine made but that got none of its tables).
    std::function<void(Place&)> unfinished = nullptr;
    // Every file changes or none does; otherwise each file on its own.
    bool allOrNothing = false;
    // One transaction commits several files.
    bool spansFiles = false;
};

// The message boxes shown during the run, read as a claim: `success` is the one text a
// successful run shows last (none: a successful run shows nothing); anything else, or
// nothing where the success text was due, is a claim of failure.
Claim claimOf(const support::ScriptedDesktop& desk, std::size_t boxesBefore,
              const std::optional<std::string>& success);

// The points a sweep tries out of 1..last: every one. The sanitized build, which hunts
// memory faults at several times the cost, tries the first and last ones of a large
// operation (where files are made and commits end) and an even spread between; the
// plain build of the same suite has tried every point.
std::vector<long> pointsToTry(long last);

// Each point (pointsToTry) of the operation's writes and syncs, failed (or killed in a
// child process) as `how` says; the files are checked after each.
void sweep(const Operation& op, Blow how);

} // namespace faults
