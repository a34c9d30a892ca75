#pragma once

// The engine's SQLite file layer: the default layer, wrapped, with what a commit over
// several files needs.
//
// SQLite commits each connection on its own. A workspace transaction that wrote several
// files commits them one after another, so between the first commit and the last a file
// already holds its new content. While a hold is on a file:
//   - its rollback journal is not deleted when its connection commits, so that the commit
//     can still be undone by playing the journal back;
//   - its lock is not given up, so no other process reads or writes it meanwhile, nor
//     takes its kept journal for the journal of a dead writer.
// Once every file committed, a mark beside each file names the transaction's record, whose
// removal is the moment all files commit together (MultiFileCommit.cpp). Any opener of a
// file whose journal was kept, and whose mark names a record that is gone, deletes the
// journal instead of playing it back: that transaction committed.

#include <string>
#include <vector>

namespace engine::detail {

// Registers the layer as SQLite's default, once. Every connection the engine opens goes
// through it.
void ensureCommitVfs();

// The name of the layer this one wraps. A file opened through it directly is outside every
// hold: a connection that only reads a file, attached, gives up its lock on it at its own
// commit even while that file's commit is held.
const char* baseVfsName();

// The mark beside a database naming the record of a commit over several files, while
// that commit finishes: "<record path>\n<journal stamp>\n".
std::string commitMarkPath(const std::string& dbPath);

// The first bytes of a journal's header, as hex ("" when there is none): they tell one
// journal from another written later under the same name.
std::string journalStamp(const std::string& journalPath);

// Holds files for a commit over several files (see above). Released in the destructor
// if not before.
class CommitHold {
public:
    explicit CommitHold(std::vector<std::string> dbPaths);
    ~CommitHold();
    CommitHold(const CommitHold&) = delete;
    CommitHold& operator=(const CommitHold&) = delete;

    // Every file committed: the kept journals are deleted (false when one could not be),
    // then the locks are given up.
    bool releaseCommitted();
    // Undoing: the kept journals stay (each connection plays its own back on its next
    // read), and the locks are given up.
    void releaseKeepingJournals();

private:
    std::vector<std::string> paths_;
    bool held_ = true;
};

} // namespace engine::detail
