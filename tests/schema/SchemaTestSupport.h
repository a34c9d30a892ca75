#pragma once

// Shared by the structure tests: a fresh folder per test, and the structure of a database
// file read back through the engine, in a form that compares and prints.

#include "engine/Dao.h"
#include "runtime/Error.h"
#include "schema/StructureHelpers.h"
#include "schema/TableSpec.h"
#include "support/ErrorOf.h"
#include "support/ProgramFolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace schema_test {

using support::TempFolder;

using support::errorOf;

struct FieldShape {
    std::string name;
    int type = 0;
    int size = 0; // Text only
    bool required = false;
    std::string defaultValue;
    bool allowZeroLength = false;
    bool operator==(const FieldShape&) const = default;
};

struct IndexShape {
    std::string name;
    std::string fields; // comma-separated
    bool primary = false;
    bool unique = false;
    bool operator==(const IndexShape&) const = default;
};

struct TableShape {
    std::vector<FieldShape> fields;  // in field order
    std::vector<IndexShape> indexes; // by name
    bool operator==(const TableShape&) const = default;

    std::vector<std::string> fieldNames() const {
        std::vector<std::string> out;
        for (const auto& f : fields)
            out.push_back(f.name);
        return out;
    }
    const FieldShape* field(const std::string& name) const {
        for (const auto& f : fields)
            if (f.name == name) return &f;
        return nullptr;
    }
};

using Structure = std::map<std::string, TableShape>;

inline FieldShape field(std::string name, int type, int size = 0, bool required = false,
                        std::string defaultValue = "", bool allowZeroLength = false) {
    return {std::move(name), type, size, required, std::move(defaultValue), allowZeroLength};
}

inline IndexShape index(std::string name, std::string fields, bool primary = false,
                        bool unique = false) {
    return {std::move(name), std::move(fields), primary, unique};
}

inline std::ostream& operator<<(std::ostream& os, const FieldShape& f) {
    return os << f.name << ":" << f.type << "/" << f.size << (f.required ? " req" : "")
              << (f.defaultValue.empty() ? "" : " =" + f.defaultValue)
              << (f.allowZeroLength ? " zl" : "");
}
inline std::ostream& operator<<(std::ostream& os, const IndexShape& i) {
    return os << i.name << "(" << i.fields << ")" << (i.primary ? " primary" : "")
              << (i.unique ? " unique" : "");
}

inline std::string defaultText(const runtime::Variant& v) {
    if (v.isString()) return v.rawString();
    if (v.type() == runtime::VarType::Integer || v.type() == runtime::VarType::Long)
        return std::to_string(v.rawInt());
    return {};
}

// Every table of the file with its fields and indexes, through a handle of its own.
inline Structure readStructure(const std::string& path, const std::string& connect = "") {
    engine::Workspace& ws = engine::DBEngine::instance().Workspaces(0);
    engine::DatabasePtr db = ws.OpenDatabase(path, false, true, connect);
    Structure out;
    for (int t = 0; t < db->TableDefs().Count(); ++t) {
        engine::TableDefPtr td = db->TableDefs().Item(t);
        TableShape& shape = out[td->Name()];
        for (int i = 0; i < td->Fields().Count(); ++i) {
            engine::FieldPtr f = td->Fields().Item(i);
            shape.fields.push_back({f->Name(), f->Type(),
                                    f->Type() == engine::dbText ? f->Size() : 0, f->Required(),
                                    defaultText(f->DefaultValue()), f->AllowZeroLength()});
        }
        for (int i = 0; i < td->Indexes().Count(); ++i) {
            engine::IndexPtr ix = td->Indexes().Item(i);
            IndexShape is = index(ix->Name(), "", ix->Primary(), ix->Unique());
            for (int k = 0; k < ix->Fields().Count(); ++k)
                is.fields += (k ? "," : "") + ix->Fields().Item(k)->Name();
            shape.indexes.push_back(is);
        }
        std::sort(shape.indexes.begin(), shape.indexes.end(),
                  [](const IndexShape& a, const IndexShape& b) { return a.name < b.name; });
    }
    db->Close();
    return out;
}

// What a new file holds by a definition's data.
inline TableShape expectedShape(const schema::TableSpec& table) {
    TableShape shape;
    for (const schema::FieldSpec& f : schema::createdFields(table)) {
        const int type = static_cast<int>(f.type);
        const bool text = f.type == schema::FieldType::Text;
        const bool zeroLength = text || f.type == schema::FieldType::Memo;
        std::string dflt = f.special == schema::SpecialDefaultZero  ? "0"
                           : f.special == schema::SpecialDefaultOne ? "1"
                                                                    : "";
        shape.fields.push_back(
            {std::string(f.name), type, text ? f.size : 0, !dflt.empty(), dflt, zeroLength});
    }
    for (const schema::IndexSpec& ix : table.indexes)
        shape.indexes.push_back({std::string(ix.name), std::string(ix.fields), false, false});
    std::sort(shape.indexes.begin(), shape.indexes.end(),
              [](const IndexShape& a, const IndexShape& b) { return a.name < b.name; });
    return shape;
}

inline Structure expectedStructure(const std::vector<schema::TableSpec>& tables) {
    Structure out;
    for (const auto& t : tables)
        out[t.name] = expectedShape(t);
    return out;
}

} // namespace schema_test
