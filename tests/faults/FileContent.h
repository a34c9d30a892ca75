#pragma once

// What a database file holds, read through a plain SQLite connection on SQLite's stock
// file layer (not the engine), so that the check sees the file as any other program would.

#include <string>

namespace faults {

// The structure and every row of every table, rows sorted, as one text: two files with
// the same digest hold the same data. "<absent>" for no file, "<empty>" for a file of no
// bytes, "<unreadable: ...>" for one SQLite cannot read.
std::string contentDigest(const std::string& path);

// "ok", or what PRAGMA integrity_check (or opening) reported. A missing file is "ok".
std::string integrityCheck(const std::string& path);

} // namespace faults
