#pragma once

#include <string>
#include <string_view>

namespace engine {

// Rebuilds a damaged database file in place.
//
// First keeps a byte-identical copy of the file beside it ("<path>.damaged-YYYYMMDD-HHMMSS",
// numbered "-2", "-3" ... when that name is taken), then copies every table, index and
// view that can still be read, row by row, skipping rows that cannot be read, into a new
// sound file that replaces the original. A table none of whose rows can be read stays,
// empty. Returns the copy's path.
//
// Raises 3024 when the file does not exist, 3343 (detail: path) when it is not a
// database at all, 3045 when another process holds the file (FileLock), 3049 when not
// even its list of tables can be read, and 3043 when the copy or the new file cannot be
// written; in each of these cases the file is left exactly as it was and no copy is kept.
// path: the canonical path, as given to FileLock. The caller makes sure no handle of this
// program holds the file. With formatMarker, the file must be one that carries it in
// __jet_meta: any other (one whose tables show it is not, or whose rebuilt copy would not
// carry it) is refused with 3343, exactly as it was and without a copy; in the new file
// the engine's own tables then match the tables it kept (RepairedTables.h), a Jet table
// none of whose rows can be read being left out.
std::string repairFile(const std::string& path, std::string_view formatMarker = {});

} // namespace engine
