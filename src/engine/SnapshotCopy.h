#pragma once

#include <string>

namespace engine {

// Copies a database file byte for byte at the speed of a plain file copy, while holding a
// read transaction on it: no writer of any process can change the file during the copy,
// so the copy is the database as it stood at one moment. A journal that a crashed writer
// left is rolled back first, as any reader of the file would. The bytes are read through
// SQLite's own handle of the file (opening and closing another descriptor would drop this
// process's locks on it). The copy is written beside the target, flushed to the medium,
// renamed over the target and its folder flushed: on return the copy is durable, and on
// any failure the old target is left as it was.
//
// A target that this program or another process has open is not replaced: error 70, the
// text naming the target. Other errors: runtime::Error 53 (source missing), 76 (target
// folder missing), 70 (cannot read or write), 61 (medium full), 57 (I/O error), 3260 (a
// writer held the file past the wait) or 3343 (the source is no database).
void copyDatabaseSnapshot(const std::string& sourcePath, const std::string& targetPath);

} // namespace engine
