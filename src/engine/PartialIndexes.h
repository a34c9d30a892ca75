#pragma once

// The engine's own indexes over some rows of a table (Dao.h, PartialIndex).

#include <string>

namespace engine::detail {

struct Store;

// Drops every partial index of the table: SQLite refuses to drop a column that one of
// them names. They are made again when next kept.
void dropPartialIndexes(Store& s, const std::string& table);

} // namespace engine::detail
