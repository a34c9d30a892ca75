// Text keys that ignore case for every letter.
//
// SQLite's NOCASE folds A to Z only, and an index whose order needs a function of ours
// could not be checked by a stock SQLite. So an index with a Text key lives on a table of
// its own beside the Jet table, "<table>!keys" (no Jet name holds "!"): one row per row of
// the Jet table, under the same rowid, holding the key fields of those indexes, Text
// folded by jet_fold, other types as they are. Triggers on the Jet table keep it in step;
// the index then orders plain values, which any SQLite can check.

#include "engine/FoldedKeys.h"

#include "engine/EngineErrors.h"
#include "runtime/CaseFold.h"

#include <sqlite3.h>

namespace engine::detail {

namespace {

void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string_view text(p, static_cast<std::size_t>(sqlite3_value_bytes(argv[0])));
    // Most keys are already folded (digits, lower case): those are given back as they are.
    bool plain = true;
    for (const char c : text)
        plain = plain && !(c >= 'A' && c <= 'Z') && static_cast<unsigned char>(c) < 0x80;
    if (plain) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    const std::string folded = runtime::foldCase(text);
    sqlite3_result_text(ctx, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

const char* keyType(int type) {
    switch (type) {
    case dbBoolean:
    case dbInteger:
    case dbLong:
        return " INTEGER";
    case dbDouble:
    case dbDate:
        return " REAL";
    default:
        return " TEXT";
    }
}

struct KeyColumn {
    const FieldInfo* field;
    std::string name; // quoted
};

std::vector<KeyColumn> keyColumns(const TableInfo& info) {
    std::vector<KeyColumn> cols;
    for (const IndexInfo& ix : info.indexes) {
        if (!ix.folded) continue;
        for (const std::string& k : ix.fields) {
            const int ord = info.ordinalOf(k);
            if (ord < 0) raiseEngine(err::ItemNotFound);
            const FieldInfo* f = &info.fields[static_cast<std::size_t>(ord)];
            bool seen = false;
            for (const KeyColumn& c : cols)
                seen = seen || c.field == f;
            if (!seen) cols.push_back({f, quoteIdent(f->name)});
        }
    }
    return cols;
}

std::string keyValue(const KeyColumn& c, const char* row) {
    const std::string v = std::string(row) + "." + c.name;
    return foldsText(c.field->type) ? "jet_fold(" + v + ")" : v;
}

std::string triggerName(const std::string& table, const char* what) {
    return quoteIdent(keyTableName(table) + "." + what);
}

void dropKeyTable(Store& s, const std::string& table) {
    for (const char* what : {"insert", "update", "delete"})
        s.exec("DROP TRIGGER IF EXISTS " + triggerName(table, what));
    s.exec("DROP TABLE IF EXISTS " + quoteIdent(keyTableName(table)));
}

void createKeyTriggers(Store& s, const TableInfo& info, const std::vector<KeyColumn>& cols) {
    const std::string t = quoteIdent(info.name), k = quoteIdent(keyTableName(info.name));
    bool unique = false, autoNumbered = false;
    for (const IndexInfo& ix : info.indexes)
        unique = unique || (ix.folded && (ix.unique || ix.primary));
    std::string names, values, stored, set, same, restore, of;
    for (const KeyColumn& c : cols) {
        autoNumbered = autoNumbered || (c.field->attributes & dbAutoIncrField);
        names += ", " + c.name;
        values += ", " + keyValue(c, "NEW");
        stored += ", " + (foldsText(c.field->type) ? "jet_fold(" + c.name + ")" : c.name);
        set += std::string(set.empty() ? "" : ", ") + c.name + " = " + keyValue(c, "NEW");
        same += " AND " + c.name + " IS " + keyValue(c, "NEW");
        restore += std::string(restore.empty() ? "" : ", ") + c.name + " = OLD." + c.name;
        of += std::string(of.empty() ? "" : ", ") + c.name;
    }
    // An auto-numbered key is numbered by another trigger: its value is read back stored.
    std::string insert = "INSERT INTO " + k + " (" + kKeyRowid + names + ") ";
    insert += autoNumbered ? "SELECT rowid" + stored + " FROM " + t + " WHERE rowid = NEW.rowid"
                           : "VALUES (NEW.rowid" + values + ")";
    // A statement that skips the rows SQLite refuses (OR IGNORE) also skips a key row that
    // duplicates another: the Jet row is then taken back, or its keys are.
    const std::string keyRow = " WHERE " + std::string(kKeyRowid) + " = NEW.rowid";
    std::string afterInsert = insert + ";";
    std::string afterUpdate = "UPDATE " + k + " SET " + set + keyRow + ";";
    if (unique) {
        afterInsert += " DELETE FROM " + t +
                       " WHERE rowid = NEW.rowid AND NOT EXISTS (SELECT 1 FROM " + k + keyRow +
                       ");";
        afterUpdate += " UPDATE " + t + " SET " + restore +
                       " WHERE rowid = NEW.rowid AND NOT EXISTS (SELECT 1 FROM " + k + keyRow +
                       same + ");";
    }
    s.exec("CREATE TRIGGER " + triggerName(info.name, "insert") + " AFTER INSERT ON " + t +
           " BEGIN " + afterInsert + " END");
    s.exec("CREATE TRIGGER " + triggerName(info.name, "update") + " AFTER UPDATE OF " + of +
           " ON " + t + " BEGIN " + afterUpdate + " END");
    s.exec("CREATE TRIGGER " + triggerName(info.name, "delete") + " AFTER DELETE ON " + t +
           " BEGIN DELETE FROM " + k + " WHERE " + kKeyRowid + " = OLD.rowid; END");
}

} // namespace

std::string keyTableName(const std::string& table) {
    return table + "!keys";
}

bool foldsText(int type) {
    return type == dbText || type == dbMemo;
}

bool needsFolding(const TableInfo& info, const std::vector<std::string>& keyFields) {
    for (const std::string& k : keyFields) {
        const int ord = info.ordinalOf(k);
        if (ord >= 0 && foldsText(info.fields[static_cast<std::size_t>(ord)].type)) return true;
    }
    return false;
}

void registerFold(sqlite3* db) {
    sqlite3_create_function_v2(db, "jet_fold", 1,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               foldFunction, nullptr, nullptr, nullptr);
}

std::string keyTableShape(const TableInfo& info) {
    std::string shape;
    for (const KeyColumn& c : keyColumns(info))
        shape += c.name + ":" + std::to_string(c.field->type) +
                 ((c.field->attributes & dbAutoIncrField) ? "+" : "") + ";";
    for (const IndexInfo& ix : info.indexes)
        if (ix.folded && (ix.unique || ix.primary)) return shape + "unique";
    return shape;
}

void rebuildKeyTable(Store& s, const TableInfo& info, const CreateIndexFn& createIndex) {
    dropKeyTable(s, info.name);
    const auto cols = keyColumns(info);
    if (cols.empty()) return;
    const std::string k = quoteIdent(keyTableName(info.name));
    std::string decl = "CREATE TABLE " + k + " (" + kKeyRowid + " INTEGER PRIMARY KEY", names,
                values;
    for (const KeyColumn& c : cols) {
        decl += ", " + c.name + keyType(c.field->type);
        names += ", " + c.name;
        values += ", " + (foldsText(c.field->type) ? "jet_fold(" + c.name + ")" : c.name);
    }
    s.exec(decl + ")");
    s.exec("INSERT INTO " + k + " (" + kKeyRowid + names + ") SELECT rowid" + values + " FROM " +
           quoteIdent(info.name));
    for (const IndexInfo& ix : info.indexes)
        if (ix.folded) createIndex(ix);
    createKeyTriggers(s, info, cols);
}

} // namespace engine::detail
