#pragma once

// Row ids that are never used twice in a table.
//
// SQLite gives a new row the largest row id plus one, so a row added after the last row
// was deleted takes that row's id, and a cursor of another handle or process that stood on
// the deleted row would read and write the new one. Each table therefore keeps, in
// __jet_rowids(tbl, high), the highest row id a deleted row had when it was the last, and
// two plain-SQL triggers ("<table>.rowid.delete", "<table>.rowid.insert") keep it and move
// a new row at or below it to the id after it. They hold for every way a row is written,
// by this program or any other that opens the file.

namespace engine::detail {

struct Store;

// Adds the guard to every table of the file that lacks it (a file of the previous version,
// a table made since), in a step of its own. Cheap when the file's structure has not
// changed since the last call; does nothing on a read-only connection or inside a
// transaction, and leaves the file as it was when another process keeps it locked.
void guardRowids(Store& store);

} // namespace engine::detail
