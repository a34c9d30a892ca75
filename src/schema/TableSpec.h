#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace schema {

// The engine's field-type codes, by the words the structure definitions use.
enum class FieldType : int {
    Boolean = 1,
    Integer = 3,
    Double = 7,
    Date = 8,
    Text = 10,
    Memo = 12,
};

// The fourth argument of MakeField. Any other value is a plain field.
inline constexpr short SpecialNone = 0;
inline constexpr short SpecialDefaultZero = 11;   // default 0, required
inline constexpr short SpecialAutoIncrement = 16; // the engine numbers new rows
inline constexpr short SpecialDefaultOne = 30;    // default 1, required
inline constexpr short SpecialDropField = 44;     // remove the field, with its data

// The field every created table begins with.
inline constexpr std::string_view InUseField = "In Use";

// One MakeField call.
struct FieldSpec {
    std::string_view name;
    FieldType type;
    short size = 0;
    short special = SpecialNone;
};

// One MakeIndex call: every index of the definitions is on one field, neither primary
// nor unique.
struct IndexSpec {
    std::string_view name;
    std::string_view fields;
};

// One table of a structure definition: the MakeTable call, its MakeField calls in order
// and then its MakeIndex calls. `fields` begins with In Use only where the definition
// names it again; dropped fields stand where they once stood, with SpecialDropField.
struct TableSpec {
    std::string name;
    std::vector<FieldSpec> fields;
    std::vector<IndexSpec> indexes;
};

// The fields a new file gets: In Use first, then every field that is not dropped.
inline std::vector<FieldSpec> createdFields(const TableSpec& table) {
    std::vector<FieldSpec> out{{InUseField, FieldType::Boolean}};
    for (const FieldSpec& f : table.fields)
        if (f.special != SpecialDropField && f.name != InUseField) out.push_back(f);
    return out;
}

// A table followed by its "Temp" twin, which has the same fields.
inline void addWithTwin(std::vector<TableSpec>& out, TableSpec table) {
    TableSpec twin = table;
    twin.name = "Temp" + table.name;
    out.push_back(std::move(table));
    out.push_back(std::move(twin));
}

// The same, where only the twin's indexes differ.
inline void addWithTwin(std::vector<TableSpec>& out, TableSpec table,
                        std::vector<IndexSpec> twinIndexes) {
    addWithTwin(out, std::move(table));
    out.back().indexes = std::move(twinIndexes);
}

} // namespace schema
