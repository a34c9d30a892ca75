#pragma once

// Row ids that are never used twice in a table.
//
// SQLite gives a new row the largest row id plus one, so a row added after the last row
// was deleted would take that row's id, and a cursor of another handle or process that
// stood on the deleted row would read and write the new one. Each table therefore keeps,
// in __jet_rowids(tbl, high), the highest row id a deleted row had when it was the last
// row: a plain-SQL trigger ("<table>.rowid.delete") keeps it, whoever deletes. A statement
// that adds a row gives it the id after that mark (freshRowid) while the table's rows
// stay at or below it; one that adds many moves them past it (insertPastMark). Inserts
// carry no trigger: one would double the cost of a copy.

#include <functional>
#include <string>

namespace engine::detail {

struct Store;
struct TableInfo;

// Adds the trigger and table to every table of the file that lacks them (a file of the
// previous version, a table made since), in a step of its own. Cheap when the file's
// structure has not changed since the last call; does nothing on a read-only connection
// or inside a transaction, and leaves the file as it was when another process keeps it
// locked (the next call tries again).
void guardRowids(Store& store);

// Guards a table just made (or made again), inside the step that makes it.
void guardNewTable(Store& store, const std::string& table);

// The row id for a new row of the table as an SQL expression: Null (SQLite's choice) unless
// that choice would be the id of a deleted row. Only where the file has __jet_rowids.
std::string freshRowid(const std::string& table);

// Runs `insert`, which adds rows to the table, as one step (WriteStep.h) after which its
// rows stand past the mark: rows that took the ids of deleted rows are moved past it,
// their folded keys with them. Returns what `insert` returns.
long insertPastMark(Store& store, const TableInfo& table, const std::function<long()>& insert);

} // namespace engine::detail
