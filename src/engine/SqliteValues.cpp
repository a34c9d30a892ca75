#include "engine/SqliteValues.h"

#include <cstdint>
#include <sqlite3.h>
#include <string>

namespace engine::detail {

using runtime::Variant;
using runtime::VarType;

void bindVariant(sqlite3_stmt* stmt, int index, const Variant& value) {
    switch (value.type()) {
    case VarType::Boolean:
        sqlite3_bind_int(stmt, index, value.rawBool() ? -1 : 0);
        break;
    case VarType::Integer:
    case VarType::Long:
        sqlite3_bind_int(stmt, index, value.rawInt());
        break;
    case VarType::Double:
    case VarType::Date:
        sqlite3_bind_double(stmt, index, value.rawDouble());
        break;
    case VarType::String:
        sqlite3_bind_text(stmt, index, value.rawString().data(),
                          static_cast<int>(value.rawString().size()), SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_bind_null(stmt, index);
        break;
    }
}

namespace {
Variant fromInteger(sqlite3_int64 i) {
    if (i >= INT32_MIN && i <= INT32_MAX) return Variant(static_cast<std::int32_t>(i));
    return Variant(static_cast<double>(i));
}
} // namespace

Variant storedColumn(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return fromInteger(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return Variant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return Variant(
            std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))));
    }
    default:
        return Variant::null();
    }
}

Variant storedValue(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return fromInteger(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return Variant(sqlite3_value_double(value));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return Variant(
            std::string(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(value))));
    }
    default:
        return Variant::null();
    }
}

} // namespace engine::detail
