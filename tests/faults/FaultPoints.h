#pragma once

// Numbered points where an operation writes to or flushes a file, counted over the whole
// process: every write and sync of a database file or its journals (through the SQLite
// shim of FaultVfs) and of a file copy (through the copy-step seam of the file
// operations). One of them can be made to fail, or to kill the process, or each of them
// can be watched as it comes.

#include <functional>
#include <string>

namespace faults {

enum class Blow {
    None,      // count only
    FailOnce,  // the chosen point fails, later ones succeed
    FailLater, // the chosen point and every later one fail: the disk stays broken
    Kill,      // the process dies at the chosen point, as by kill -9
};

class FaultPoints {
public:
    // Starts counting from zero; the n-th point (from 1) gets `how`.
    static void arm(long n, Blow how);
    // Counts without harm.
    static void countOnly() { arm(0, Blow::None); }
    // Counts without harm and calls `each` at every point, before its write or sync, with
    // its number and the file it is about to write.
    static void watch(std::function<void(long n, const std::string& file)> each);
    // Points reached since arm().
    static long seen();
    // True when a point has failed since arm().
    static bool fired();
    // Called at each point, naming the file: true when this one must fail (Kill does not
    // return).
    static bool hit(const std::string& file);
};

// The SQLite shim and the copy-step seam report to FaultPoints from the first call on;
// the shim is made SQLite's default file system, wrapping the one it replaces. Done when
// the test program starts, before the engine opens any file; calling it again does nothing.
void installFaultPoints();

} // namespace faults
