#pragma once

// Indexes with Text keys, kept on a table of folded keys beside the Jet table
// (FoldedKeys.cpp tells how).

#include "engine/DaoInternal.h"

#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace engine::detail {

std::string keyTableName(const std::string& table);
// Its column of the Jet row's rowid (no Jet field name holds "!").
inline constexpr const char* kKeyRowid = "\"!id\"";

// Whether a key field of that type is kept folded.
bool foldsText(int type);
// Whether an index over those fields of the table needs folded keys.
bool needsFolding(const TableInfo& info, const std::vector<std::string>& keyFields);

// Registers jet_fold(text) on a connection.
void registerFold(sqlite3* db);

// What the table of folded keys and its triggers depend on: equal shapes need no rebuild.
std::string keyTableShape(const TableInfo& info);

// Makes the table of folded keys anew for the table's folded indexes, filled from its
// rows, with its triggers, calling createIndex for each folded index; with none, only
// removes it.
using CreateIndexFn = std::function<void(const IndexInfo&)>;
void rebuildKeyTable(Store& s, const TableInfo& info, const CreateIndexFn& createIndex);

} // namespace engine::detail
