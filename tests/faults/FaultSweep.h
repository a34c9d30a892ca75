#pragma once

// One check for every write operation: run it once to count its writes and syncs, then
// put a fault at each of them in turn, and look at every file afterwards.

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
    // Every folder an operation may write, the program's first.
    std::vector<std::string> folders() const { return {program.path(), net.path(), other.path()}; }
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
    // Builds the files as they are before the operation, and nothing else: the sweep runs
    // it once and copies what it made for every run.
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

// True when QUOLBY_FAULTS_EXHAUSTIVE=1 (scripts/test.sh --exhaustive): every kind of
// fault at every point, each kill a real one, in every build.
bool exhaustive();

// The points a sweep tries out of 1..last: every one. The sanitized build, which hunts
// memory faults at several times the cost, tries the first and last ones of a large
// operation (where files are made and commits end) and an even spread between; the
// plain build of the same suite has tried every point. Exhaustive runs try every one.
std::vector<long> pointsToTry(long last);

// The points where a disk that stays broken is tried, out of 1..last, the n-th written to
// fileAt[n - 1]: those of pointsToTry, thinned outside exhaustive runs to the first and
// last point, the first and last point of each file, and an even spread of
// kBrokenDiskSpread between. Once the disk fails it fails at every later point, so the
// points after the first failure add little that the single failures do not try.
constexpr long kBrokenDiskSpread = 40;
std::vector<long> brokenDiskPoints(const std::vector<std::string>& fileAt);

// The points where a kill is a real kill of a child process, out of 1..last: the first,
// the last, a quarter and the middle; every point in exhaustive runs. At every other point
// the kill is stood for by the files copied as they stood when the one run reached it.
std::vector<long> realKillPoints(long last);

// Each point (pointsToTry) of the operation's writes and syncs, failed (or killed) as
// `how` says; the files are checked after each.
void sweep(const Operation& op, Blow how);

} // namespace faults
