#pragma once

// A test seam for commits over several files: fails the commit, or kills the process, at
// one of its steps, to show that every file ends old or every file ends new.
namespace engine {

enum class CommitStep {
    None,
    AfterFirstFile,  // one file committed, the others not yet
    AfterAllFiles,   // every file committed, no record yet
    AfterMarks,      // record and marks written, before the moment of commit
    AfterCommitPoint // the record removed: committed, journals not yet deleted
};

class CommitFaults {
public:
    static void failAt(CommitStep step); // raises 3043 there
    static void killAt(CommitStep step); // SIGKILL there
    static void clear();
    static void check(CommitStep step); // called by the engine at each step
};

} // namespace engine
