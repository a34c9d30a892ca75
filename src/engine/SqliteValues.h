#pragma once

// Moving values between runtime::Variant and SQLite statements.

#include "runtime/Variant.h"

struct sqlite3_stmt;
struct sqlite3_value;

namespace engine::detail {

// Binds a field value: Null, -1/0 for Boolean, whole numbers, doubles and day numbers,
// texts.
void bindVariant(sqlite3_stmt* stmt, int index, const runtime::Variant& value);

// A column or value as stored: Null, Long (whole numbers in 32 bits), Double, String.
runtime::Variant storedColumn(sqlite3_stmt* stmt, int column);
runtime::Variant storedValue(sqlite3_value* value);

} // namespace engine::detail
