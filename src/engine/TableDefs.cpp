// TableDefs, Fields and Indexes: the objects and the structure changes they make.

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/FoldedKeys.h"
#include "engine/PartialIndexes.h"
#include "engine/RowidGuard.h"
#include "engine/SqliteValues.h"
#include "engine/WriteStep.h"
#include "runtime/Error.h"

#include <algorithm>
#include <set>
#include <sqlite3.h>

namespace engine {

using detail::equalsNoCase;
using detail::quoteIdent;

namespace {

[[noreturn]] void objectNotSet() {
    throw runtime::Error(runtime::err::ObjectVariableNotSet);
}

// Jet names hold no dot, exclamation mark, brackets, grave accent or control character,
// do not start with a blank and have at most 64 characters; the engine's own tables are
// out of reach.
void checkName(const std::string& name) {
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (name.empty() || name.front() == ' ' || name.size() > 64 || control ||
        name.find_first_of(".![]`") != std::string::npos || name.rfind("__jet_", 0) == 0 ||
        name.rfind("sqlite_", 0) == 0)
        raiseEngine(err::InvalidName, name);
}

} // namespace

// --- Field ---

Field::Field(std::string name, int type, int size)
    : name_(std::move(name)), type_(type), size_(size) {}

int Field::Size() const {
    return detail::reportedSize(type_, size_);
}

Variant Field::DefaultValue() const {
    return Variant(defaultValue_);
}

void Field::checkUnstored() const {
    if (stored_) raiseEngine(err::InvalidOperation);
}

void Field::setName(const std::string& name) {
    checkUnstored();
    name_ = name;
}
void Field::setType(int type) {
    checkUnstored();
    if (!detail::isValidFieldType(type)) raiseEngine(err::InvalidFieldType);
    type_ = type;
}
void Field::setSize(int size) {
    checkUnstored();
    size_ = size;
}
void Field::setAttributes(long attributes) {
    checkUnstored();
    attributes_ = attributes;
}
void Field::setDefaultValue(const Variant& value) {
    checkUnstored();
    defaultValue_ = detail::defaultText(value);
}
void Field::setRequired(bool required) {
    checkUnstored();
    required_ = required;
}
void Field::setAllowZeroLength(bool allow) {
    checkUnstored();
    allowZeroLength_ = allow;
}

// --- FieldList ---

FieldPtr FieldList::Item(int ordinal) const {
    if (ordinal < 0 || ordinal >= Count()) raiseEngine(err::ItemNotFound);
    return fields_[static_cast<std::size_t>(ordinal)];
}

FieldPtr FieldList::Item(std::string_view name) const {
    for (const FieldPtr& f : fields_)
        if (equalsNoCase(f->Name(), name)) return f;
    raiseEngine(err::ItemNotFound);
}

bool FieldList::contains(std::string_view name) const {
    for (const FieldPtr& f : fields_)
        if (equalsNoCase(f->Name(), name)) return true;
    return false;
}

void FieldList::Append(const FieldPtr& field) {
    if (!field) objectNotSet();
    if (contains(field->Name())) raiseEngine(err::FieldDefinedTwice);
    if (owner_->table_) {
        detail::DatabaseImpl& db = owner_->table_->checkedDatabase();
        detail::addField(db, owner_->Name(), *field);
        field->stored_ = true;
    }
    field->ordinal_ = Count();
    fields_.push_back(field);
}

void FieldList::Delete(std::string_view name) {
    for (auto it = fields_.begin(); it != fields_.end(); ++it) {
        if (!equalsNoCase((*it)->Name(), name)) continue;
        if (owner_->table_)
            detail::dropField(owner_->table_->checkedDatabase(), owner_->Name(), name);
        fields_.erase(it);
        return;
    }
    raiseEngine(err::ItemNotFound);
}

// --- Index ---

Index::Index(std::string name) : name_(std::move(name)) {}

void Index::checkUnstored() const {
    if (stored_) raiseEngine(err::InvalidOperation);
}
void Index::setName(const std::string& name) {
    checkUnstored();
    name_ = name;
}
void Index::setPrimary(bool primary) {
    checkUnstored();
    primary_ = primary;
}
void Index::setUnique(bool unique) {
    checkUnstored();
    unique_ = unique;
}

FieldPtr Index::CreateField(const std::string& name) const {
    return std::make_shared<Field>(name, dbText, 0);
}

FieldPtr IndexFieldList::Item(int i) const {
    if (i < 0 || i >= Count()) raiseEngine(err::ItemNotFound);
    return fields_[static_cast<std::size_t>(i)];
}

FieldPtr IndexFieldList::Item(std::string_view name) const {
    for (const FieldPtr& f : fields_)
        if (equalsNoCase(f->Name(), name)) return f;
    raiseEngine(err::ItemNotFound);
}

void IndexFieldList::Append(const FieldPtr& field) {
    if (!field) objectNotSet();
    owner_->checkUnstored();
    for (const FieldPtr& f : fields_)
        if (equalsNoCase(f->Name(), field->Name())) raiseEngine(err::FieldDefinedTwice);
    fields_.push_back(field);
}

// --- IndexList ---

IndexPtr IndexList::Item(int i) const {
    if (i < 0 || i >= Count()) raiseEngine(err::ItemNotFound);
    return indexes_[static_cast<std::size_t>(i)];
}

IndexPtr IndexList::Item(std::string_view name) const {
    for (const IndexPtr& ix : indexes_)
        if (equalsNoCase(ix->Name(), name)) return ix;
    raiseEngine(err::ItemNotFound);
}

bool IndexList::contains(std::string_view name) const {
    for (const IndexPtr& ix : indexes_)
        if (equalsNoCase(ix->Name(), name)) return true;
    return false;
}

void IndexList::Append(const IndexPtr& index) {
    if (!index) objectNotSet();
    if (contains(index->Name())) raiseEngine(err::IndexAlreadyExists);
    if (index->Fields().Count() == 0) raiseEngine(err::NoFieldDefined);
    if (owner_->table_) {
        detail::addIndex(owner_->table_->checkedDatabase(), owner_->Name(), *index);
        index->stored_ = true;
    }
    indexes_.push_back(index);
}

void IndexList::Delete(std::string_view name) {
    for (auto it = indexes_.begin(); it != indexes_.end(); ++it) {
        if (!equalsNoCase((*it)->Name(), name)) continue;
        if (owner_->table_)
            detail::dropIndex(owner_->table_->checkedDatabase(), owner_->Name(), name);
        indexes_.erase(it);
        return;
    }
    raiseEngine(err::ItemNotFound);
}

void IndexList::replace(const IndexPtr& index) {
    if (!index) objectNotSet();
    for (auto it = indexes_.begin(); it != indexes_.end(); ++it) {
        if (!equalsNoCase((*it)->Name(), index->Name())) continue;
        if (owner_->table_ &&
            detail::rebuildSameIndex(owner_->table_->checkedDatabase(), owner_->Name(), *index)) {
            index->stored_ = true;
            indexes_.erase(it);
            indexes_.push_back(index);
            return;
        }
        Delete(index->Name());
        break;
    }
    Append(index);
}

// --- TableDef ---

TableDef::TableDef(std::string name) : name_(std::move(name)) {}
TableDef::~TableDef() = default;

FieldPtr TableDef::CreateField(const std::string& name, int type, int size) const {
    if (!detail::isValidFieldType(type)) raiseEngine(err::InvalidFieldType);
    return std::make_shared<Field>(name, type, size);
}

IndexPtr TableDef::CreateIndex(const std::string& name) const {
    return std::make_shared<engine::Index>(name);
}

// --- TableDefList ---

int TableDefList::Count() const {
    return static_cast<int>(owner_->impl_->checkedStore().tables().size());
}

TableDefPtr TableDefList::Item(int i) const {
    const auto& tables = owner_->impl_->checkedStore().tables();
    if (i < 0 || i >= static_cast<int>(tables.size())) raiseEngine(err::ItemNotFound);
    auto it = tables.begin();
    std::advance(it, i);
    return detail::Access::makeTableDef(owner_->impl_, *it->second);
}

TableDefPtr TableDefList::Item(std::string_view name) const {
    const auto info = owner_->impl_->checkedStore().table(name);
    if (!info) raiseEngine(err::ItemNotFound);
    return detail::Access::makeTableDef(owner_->impl_, *info);
}

bool TableDefList::contains(std::string_view name) const {
    return owner_->impl_->checkedStore().table(name) != nullptr;
}

void TableDefList::Append(const TableDefPtr& table) {
    if (!table) objectNotSet();
    if (table->isStored()) raiseEngine(err::TableAlreadyExists, table->Name());
    detail::Access::createTable(*owner_->impl_, *table);
    table->table_ = std::make_shared<detail::TableImpl>();
    table->table_->database = owner_->impl_;
}

bool TableDefList::appendTogether(const std::vector<TableDefPtr>& tables) {
    if (!detail::Access::createTables(*owner_->impl_, tables)) return false;
    for (const TableDefPtr& table : tables) {
        table->table_ = std::make_shared<detail::TableImpl>();
        table->table_->database = owner_->impl_;
    }
    return true;
}

namespace detail {

namespace {

// A field definition as the file keeps it.
FieldInfo infoOf(const Field& f, const std::string& table) {
    checkName(f.Name());
    if (!isValidFieldType(f.Type())) raiseEngine(err::InvalidFieldType);
    FieldInfo info;
    info.name = f.Name();
    info.type = f.Type();
    info.size = f.Type() == dbText ? reportedSize(dbText, f.Size()) : 0;
    if (f.Type() == dbText && info.size > kMaxTextSize) raiseEngine(err::InvalidArgument);
    info.attributes = f.Attributes();
    info.required = f.Required();
    info.allowZeroLength = f.AllowZeroLength();
    const Variant def = f.DefaultValue();
    info.defaultExpr = def.isString() ? def.rawString() : "";
    if (!info.defaultExpr.empty()) {
        FieldInfo plain = info;
        plain.required = false;
        info.defaultValue = toFieldValue(evaluateDefault(info.defaultExpr), plain, table);
    }
    return info;
}

// Declarations are built by appending to one text: a wide table has hundreds.
void appendIdent(std::string& out, std::string_view name) {
    out += '"';
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    out += '"';
}

void appendConstraint(std::string& out, int number, const std::string& table,
                      const std::string& field) {
    out += " CONSTRAINT ";
    appendIdent(out, "jet" + std::to_string(number) + " " + table + "." + field);
}

void appendColumn(std::string& out, const FieldInfo& f, const std::string& table) {
    const std::size_t colAt = out.size();
    appendIdent(out, f.name);
    const std::string col = out.substr(colAt);
    const bool hasDefault = !f.defaultValue.isEmpty() && !f.defaultValue.isNull();
    switch (f.type) {
    case dbBoolean:
        out += " INTEGER NOT NULL DEFAULT ";
        out += hasDefault ? sqlLiteral(f.defaultValue) : std::string("0");
        return;
    case dbInteger:
    case dbLong:
        out += " INTEGER";
        break;
    case dbDouble:
    case dbDate:
        out += " REAL";
        break;
    default:
        out += " TEXT COLLATE NOCASE";
        break;
    }
    if (hasDefault) {
        out += " DEFAULT ";
        out += sqlLiteral(f.defaultValue);
    }
    if (f.required) {
        if (hasDefault) {
            out += " NOT NULL";
        } else {
            appendConstraint(out, err::RequiredFieldNull, table, f.name);
            out += " CHECK(" + col + " IS NOT NULL)";
        }
    }
    if (f.type == dbText) {
        appendConstraint(out, err::FieldTooSmall, table, f.name);
        out += " CHECK(length(" + col + ") <= " + std::to_string(f.size) + ")";
    }
    if ((f.type == dbText || f.type == dbMemo) && !f.allowZeroLength) {
        appendConstraint(out, err::ZeroLengthNotAllowed, table, f.name);
        out += " CHECK(" + col + " <> '')";
    }
}

std::string columnDeclaration(const FieldInfo& f, const std::string& table) {
    std::string d;
    appendColumn(d, f, table);
    return d;
}

// CREATE TABLE with every column.
std::string createTableSql(const std::string& table, const std::vector<FieldInfo>& fields) {
    std::string sql;
    sql.reserve(64 + fields.size() * 120);
    sql += "CREATE TABLE ";
    appendIdent(sql, table);
    sql += " (";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) sql += ", ";
        appendColumn(sql, fields[i], table);
    }
    sql += ")";
    return sql;
}

std::string autoNumberTrigger(const std::string& table, const std::string& field) {
    return quoteIdent(table + "." + field + ".autonumber");
}

// The engine numbers new rows of an auto-increment field itself, whichever way they come.
void createAutoNumber(Store& s, const std::string& table, const std::string& field) {
    const std::string t = quoteIdent(table), f = quoteIdent(field);
    s.exec("CREATE TRIGGER " + autoNumberTrigger(table, field) + " AFTER INSERT ON " + t +
           " FOR EACH ROW WHEN NEW." + f + " IS NULL BEGIN UPDATE " + t + " SET " + f +
           " = (SELECT ifnull(max(" + f + "), 0) + 1 FROM " + t + ") WHERE rowid = NEW.rowid; END");
}

void bindText(sqlite3_stmt* s, int index, const std::string& text) {
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void insertFieldRow(Store& s, const std::string& table, const FieldInfo& f, int ord) {
    StmtUse ins(
        s.prepare("INSERT INTO __jet_fields (tbl, name, ord, type, size, attributes, "
                  "required, allow_zero_length, default_value) VALUES (?,?,?,?,?,?,?,?,?)"));
    bindText(ins, 1, table);
    bindText(ins, 2, f.name);
    sqlite3_bind_int(ins, 3, ord);
    sqlite3_bind_int(ins, 4, f.type);
    sqlite3_bind_int(ins, 5, f.size);
    sqlite3_bind_int64(ins, 6, f.attributes);
    sqlite3_bind_int(ins, 7, f.required ? 1 : 0);
    sqlite3_bind_int(ins, 8, f.allowZeroLength ? 1 : 0);
    if (f.defaultExpr.empty())
        sqlite3_bind_null(ins, 9);
    else
        bindText(ins, 9, f.defaultExpr);
    const int rc = sqlite3_step(ins);
    if (rc != SQLITE_DONE) s.raise(rc, ins);
}

// Runs `change` as one step (WriteStep.h): all of it is stored, or none; then the error
// leaves and the descriptions are read from the file again when next needed.
template <typename Fn> void asOneStep(Store& s, Fn&& change) {
    WriteStep step(s);
    try {
        change();
        step.done();
    } catch (...) {
        step.undo();
        s.invalidateSchema();
        s.clearStatements();
        s.touch();
        throw;
    }
}

// A structure change of one table, as one step. The change returns the table's new
// description, which replaces the old one without the file being read again.
template <typename Fn> void structureChange(Store& s, Fn&& change) {
    std::shared_ptr<TableInfo> changed;
    asOneStep(s, [&] { changed = change(); });
    s.replaceTable(std::move(changed));
    s.touch();
}

bool isEmpty(Store& s, const std::string& table) {
    StmtUse q(s.prepare("SELECT 1 FROM " + quoteIdent(table) + " LIMIT 1"));
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) s.raise(rc, q);
    return rc == SQLITE_DONE;
}

// The CREATE INDEX statement of an index, as the file keeps it.
std::string indexSql(const std::string& table, const IndexInfo& ix) {
    std::string columns;
    for (const std::string& f : ix.fields)
        columns += (columns.empty() ? "" : ", ") + quoteIdent(f);
    return std::string("CREATE ") + (ix.unique || ix.primary ? "UNIQUE " : "") + "INDEX " +
           quoteIdent(ix.sqlName) + " ON " + quoteIdent(ix.folded ? keyTableName(table) : table) +
           " (" + columns + ")";
}

void createIndexSql(Store& s, const std::string& table, const IndexInfo& ix) {
    s.exec("DROP INDEX IF EXISTS " + quoteIdent(ix.sqlName));
    s.exec(indexSql(table, ix));
}

// An index of a table's description with its key fields as the table spells them, as its
// SQLite definition names them.
IndexInfo sqlForm(const TableInfo& info, IndexInfo ix) {
    for (std::string& k : ix.fields) {
        const int ord = info.ordinalOf(k);
        if (ord >= 0) k = info.fields[static_cast<std::size_t>(ord)].name;
    }
    return ix;
}

// The table of folded keys made anew for the table as `info` describes it.
void rebuildKeys(Store& s, const TableInfo& info) {
    rebuildKeyTable(s, info, [&](const IndexInfo& ix) { createIndexOf(s, info, ix); });
}

// After `changed` gained or lost the folded index `ix`: the index made or dropped on the
// table of folded keys as it stands, or that table made anew when it must change.
void changeFoldedIndex(Store& s, const TableInfo& before, const TableInfo& changed,
                       const IndexInfo* made) {
    if (keyTableShape(before) != keyTableShape(changed))
        rebuildKeys(s, changed);
    else if (made)
        createIndexSql(s, changed.name, sqlForm(changed, *made));
}

// An empty table is made anew with its new columns: SQLite's ALTER TABLE reads the whole
// file's structure again on every column, which makes building a wide table slow.
void rebuildEmpty(Store& s, const TableInfo& info, const std::vector<FieldInfo>& fields) {
    s.exec("DROP TABLE " + quoteIdent(info.name));
    s.exec(createTableSql(info.name, fields));
    for (const FieldInfo& f : fields)
        if (f.attributes & dbAutoIncrField) createAutoNumber(s, info.name, f.name);
    TableInfo rebuilt = info;
    rebuilt.fields = fields;
    rebuilt.rebuildLookup();
    for (const IndexInfo& ix : info.indexes)
        if (!ix.folded) createIndexSql(s, info.name, ix);
    // Dropping the table took the triggers that keep its folded keys.
    if (!keyTableShape(rebuilt).empty()) rebuildKeys(s, rebuilt);
    guardNewTable(s, info.name);
}

// An index to be made on a table: checked against the table's fields, with its SQLite
// definition (key fields as the table spells them) and its description as the file will
// give it back (key fields as the index names them).
struct NewIndex {
    IndexInfo sql;
    IndexInfo read;
};

NewIndex planIndex(const std::string& table, const std::vector<FieldInfo>& fields,
                   const Index& index, int ord) {
    checkName(index.Name());
    NewIndex made;
    made.sql.sqlName = table + "." + index.Name();
    made.sql.unique = index.Unique();
    for (int i = 0; i < index.Fields().Count(); ++i) {
        const std::string& key = index.Fields().Item(i)->Name();
        const FieldInfo* field = nullptr;
        for (const FieldInfo& f : fields)
            if (!field && equalsNoCase(f.name, key)) field = &f;
        if (!field) raiseEngine(err::ItemNotFound);
        made.sql.fields.push_back(field->name);
        made.read.fields.push_back(key);
        made.sql.folded = made.sql.folded || foldsText(field->type);
    }
    made.read.folded = made.sql.folded;
    made.read.name = index.Name();
    made.read.sqlName = made.sql.sqlName;
    made.read.primary = index.Primary();
    made.read.unique = index.Unique();
    made.read.ord = ord;
    return made;
}

// Describes a new index in the file.
void insertIndexRows(Store& s, const std::string& table, const IndexInfo& ix) {
    {
        StmtUse ins(s.prepare("INSERT INTO __jet_indexes (tbl, name, ord, sql_name, is_primary, "
                              "is_unique) VALUES (?,?,?,?,?,?)"));
        bindText(ins, 1, table);
        bindText(ins, 2, ix.name);
        sqlite3_bind_int(ins, 3, ix.ord);
        bindText(ins, 4, ix.sqlName);
        sqlite3_bind_int(ins, 5, ix.primary ? 1 : 0);
        sqlite3_bind_int(ins, 6, ix.unique ? 1 : 0);
        const int rc = sqlite3_step(ins);
        if (rc != SQLITE_DONE) s.raise(rc, ins);
    }
    StmtUse f(s.prepare("INSERT INTO __jet_index_fields (tbl, idx, pos, field) VALUES (?,?,?,?)"));
    for (std::size_t i = 0; i < ix.fields.size(); ++i) {
        bindText(f, 1, table);
        bindText(f, 2, ix.name);
        sqlite3_bind_int(f, 3, static_cast<int>(i));
        bindText(f, 4, ix.fields[i]);
        const int rc = sqlite3_step(f);
        if (rc != SQLITE_DONE) s.raise(rc, f);
        sqlite3_reset(f);
    }
}

// Whether some object of the file's SQLite schema already has that name. Only called
// after CREATE TABLE failed, to report a name taken meanwhile as Jet does.
bool nameInFile(Store& s, const std::string& name) {
    StmtUse q(s.prepare("SELECT 1 FROM sqlite_master WHERE name = ? COLLATE NOCASE"));
    bindText(q, 1, name);
    return sqlite3_step(q) == SQLITE_ROW;
}

// A field's description as read back from the file.
FieldInfo asRead(FieldInfo f, const std::string& table) {
    readDefault(f, table);
    return f;
}

} // namespace

namespace {

// A new table, checked: its fields as the file will keep them, and its indexes.
struct NewTable {
    TableDef* def = nullptr;
    std::string name;
    std::vector<FieldInfo> fields;
    std::vector<NewIndex> indexes;
};

NewTable planTable(Store& s, TableDef& td) {
    NewTable t;
    t.def = &td;
    t.name = td.Name();
    checkName(t.name);
    if (s.table(t.name) || s.nameInSchema(t.name)) raiseEngine(err::TableAlreadyExists, t.name);
    if (td.Fields().Count() == 0) raiseEngine(err::NoFieldDefined);
    for (int i = 0; i < td.Fields().Count(); ++i)
        t.fields.push_back(infoOf(*td.Fields().Item(i), t.name));
    return t;
}

// The description rows of a new table; returns its description as read back.
std::shared_ptr<TableInfo> insertTableRows(Store& s, const NewTable& t) {
    auto made = std::make_shared<TableInfo>();
    made->name = t.name;
    for (std::size_t i = 0; i < t.fields.size(); ++i) {
        const int ord = static_cast<int>(i) + 1;
        insertFieldRow(s, t.name, t.fields[i], ord);
        made->fields.push_back(asRead(t.fields[i], t.name));
        made->fieldOrds.push_back(ord);
    }
    for (const NewIndex& ix : t.indexes) {
        insertIndexRows(s, t.name, ix.read);
        made->indexes.push_back(ix.read);
    }
    made->rebuildLookup();
    return made;
}

// What SQLite itself keeps of a new table, after its CREATE TABLE; `made` is its
// description.
void createTableExtras(Store& s, const NewTable& t, const TableInfo& made) {
    for (const FieldInfo& f : t.fields)
        if (f.attributes & dbAutoIncrField) createAutoNumber(s, t.name, f.name);
    for (const NewIndex& ix : t.indexes)
        if (!ix.sql.folded) createIndexSql(s, t.name, ix.sql);
    if (!keyTableShape(made).empty()) rebuildKeys(s, made);
    guardNewTable(s, t.name);
}

// The new table's objects become read-only, as stored ones are.
void markStored(Store& s, const NewTable& t) {
    s.addSchemaName(t.name);
    TableDef& td = *t.def;
    for (int i = 0; i < td.Fields().Count(); ++i)
        Access::setStored(*td.Fields().Item(i), i);
    for (int i = 0; i < td.Indexes().Count(); ++i)
        Access::setStored(*td.Indexes().Item(i));
}

} // namespace

void Access::setStored(Field& f, int ordinal) {
    f.stored_ = true;
    f.ordinal_ = ordinal;
}

void Access::setStored(Index& ix) {
    ix.stored_ = true;
}

void Access::createTable(DatabaseImpl& db, TableDef& td) {
    Store& s = db.writableStore();
    NewTable t = planTable(s, td);
    try {
        structureChange(s, [&] {
            s.exec(createTableSql(t.name, t.fields));
            for (int i = 0; i < td.Indexes().Count(); ++i)
                t.indexes.push_back(planIndex(t.name, t.fields, *td.Indexes().Item(i), i + 1));
            // Every description row first, then the indexes: each statement that changes
            // the file's structure makes SQLite prepare the next description row again.
            auto made = insertTableRows(s, t);
            createTableExtras(s, t, *made);
            return made;
        });
    } catch (const runtime::Error&) {
        // Another user of the file made a table or other object of that name meanwhile.
        if (nameInFile(s, t.name)) raiseEngine(err::TableAlreadyExists, t.name);
        throw;
    }
    markStored(s, t);
}

bool Access::createTables(DatabaseImpl& db, const std::vector<TableDefPtr>& tables) {
    std::vector<NewTable> planned;
    Store* store = nullptr;
    try {
        Store& s = db.writableStore();
        store = &s;
        std::set<std::string, NoCaseLess> names;
        for (const TableDefPtr& td : tables) {
            if (!td || td->isStored() || !names.insert(td->Name()).second) return false;
            NewTable t = planTable(s, *td);
            for (int i = 0; i < td->Indexes().Count(); ++i)
                t.indexes.push_back(planIndex(t.name, t.fields, *td->Indexes().Item(i), i + 1));
            planned.push_back(std::move(t));
        }
    } catch (const runtime::Error&) {
        return false;
    }
    Store& s = *store;
    std::vector<std::shared_ptr<TableInfo>> made;
    try {
        // All the description rows, then the tables: the rows' statements are prepared
        // once, not again after each table's statements change the file's structure.
        asOneStep(s, [&] {
            for (const NewTable& t : planned)
                made.push_back(insertTableRows(s, t));
            for (std::size_t i = 0; i < planned.size(); ++i) {
                s.exec(createTableSql(planned[i].name, planned[i].fields));
                createTableExtras(s, planned[i], *made[i]);
            }
        });
    } catch (const runtime::Error& e) {
        // A failing disk is no refusal of these tables: trying them one at a time would
        // write on after the failure.
        if (e.number() == err::DiskOrNetworkError || e.number() == err::DiskFull) throw;
        return false;
    }
    for (std::size_t i = 0; i < planned.size(); ++i) {
        s.replaceTable(std::move(made[i]));
        markStored(s, planned[i]);
    }
    s.touch();
    return true;
}

void createIndexOf(Store& s, const TableInfo& info, const IndexInfo& index) {
    createIndexSql(s, info.name, sqlForm(info, index));
}

void remakeAutoNumbers(Store& s, const TableInfo& info) {
    for (const FieldInfo& f : info.fields)
        if (f.attributes & dbAutoIncrField) {
            s.exec("DROP TRIGGER IF EXISTS " + autoNumberTrigger(info.name, f.name));
            createAutoNumber(s, info.name, f.name);
        }
}

void deleteIndexRows(Store& s, const std::string& table, const std::string& index) {
    for (const char* sql : {"DELETE FROM __jet_indexes WHERE tbl = ? AND name = ?",
                            "DELETE FROM __jet_index_fields WHERE tbl = ? AND idx = ?"}) {
        StmtUse del(s.prepare(sql));
        bindText(del, 1, table);
        bindText(del, 2, index);
        const int rc = sqlite3_step(del);
        if (rc != SQLITE_DONE) s.raise(rc, del);
    }
}

void addField(DatabaseImpl& db, const std::string& table, Field& field) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) raiseEngine(err::ObjectNotFound, table);
    if (info->ordinalOf(field.Name()) >= 0) raiseEngine(err::FieldDefinedTwice);
    const FieldInfo f = infoOf(field, info->name);
    structureChange(s, [&] {
        if (isEmpty(s, info->name)) {
            std::vector<FieldInfo> fields = info->fields;
            fields.push_back(f);
            rebuildEmpty(s, *info, fields);
        } else {
            s.exec("ALTER TABLE " + quoteIdent(info->name) + " ADD COLUMN " +
                   columnDeclaration(f, info->name));
            if (f.attributes & dbAutoIncrField) createAutoNumber(s, info->name, f.name);
        }
        const int ord = info->nextFieldOrd();
        insertFieldRow(s, info->name, f, ord);
        auto changed = std::make_shared<TableInfo>(*info);
        changed->fields.push_back(asRead(f, info->name));
        changed->fieldOrds.push_back(ord);
        changed->rebuildLookup();
        return changed;
    });
}

void dropField(DatabaseImpl& db, const std::string& table, std::string_view field) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) raiseEngine(err::ObjectNotFound, table);
    const int ord = info->ordinalOf(field);
    if (ord < 0) raiseEngine(err::ItemNotFound);
    const FieldInfo& f = info->fields[static_cast<std::size_t>(ord)];
    for (const IndexInfo& ix : info->indexes)
        for (const std::string& k : ix.fields)
            if (equalsNoCase(k, f.name)) raiseEngine(err::FieldInIndex);
    structureChange(s, [&] {
        if (isEmpty(s, info->name)) {
            std::vector<FieldInfo> fields = info->fields;
            fields.erase(fields.begin() + ord);
            rebuildEmpty(s, *info, fields);
        } else {
            s.exec("DROP TRIGGER IF EXISTS " + autoNumberTrigger(info->name, f.name));
            dropPartialIndexes(s, info->name);
            s.exec("ALTER TABLE " + quoteIdent(info->name) + " DROP COLUMN " + quoteIdent(f.name));
        }
        StmtUse del(s.prepare("DELETE FROM __jet_fields WHERE tbl = ? AND name = ?"));
        bindText(del, 1, info->name);
        bindText(del, 2, f.name);
        const int rc = sqlite3_step(del);
        if (rc != SQLITE_DONE) s.raise(rc, del);
        auto changed = std::make_shared<TableInfo>(*info);
        changed->fields.erase(changed->fields.begin() + ord);
        changed->fieldOrds.erase(changed->fieldOrds.begin() + ord);
        changed->rebuildLookup();
        return changed;
    });
}

void addIndex(DatabaseImpl& db, const std::string& table, Index& index) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) raiseEngine(err::ObjectNotFound, table);
    if (info->index(index.Name())) raiseEngine(err::IndexAlreadyExists);
    structureChange(s, [&] {
        NewIndex ix = planIndex(info->name, info->fields, index, info->nextIndexOrd());
        auto changed = std::make_shared<TableInfo>(*info);
        changed->indexes.push_back(ix.read);
        if (ix.sql.folded)
            changeFoldedIndex(s, *info, *changed, &ix.read);
        else
            createIndexSql(s, info->name, ix.sql);
        insertIndexRows(s, info->name, ix.read);
        return changed;
    });
}

void dropIndex(DatabaseImpl& db, const std::string& table, std::string_view index) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) raiseEngine(err::ObjectNotFound, table);
    const IndexInfo* ix = info->index(index);
    if (!ix) raiseEngine(err::ItemNotFound);
    structureChange(s, [&] {
        s.exec("DROP INDEX IF EXISTS " + quoteIdent(ix->sqlName));
        deleteIndexRows(s, info->name, ix->name);
        auto changed = std::make_shared<TableInfo>(*info);
        changed->indexes.erase(changed->indexes.begin() + (ix - info->indexes.data()));
        if (ix->folded) changeFoldedIndex(s, *info, *changed, nullptr);
        return changed;
    });
}

bool rebuildSameIndex(DatabaseImpl& db, const std::string& table, const Index& index) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) return false;
    const IndexInfo* ix = info->index(index.Name());
    if (!ix || ix->name != index.Name() || ix->primary != index.Primary() ||
        ix->unique != index.Unique() ||
        ix->fields.size() != static_cast<std::size_t>(index.Fields().Count()))
        return false;
    for (std::size_t i = 0; i < ix->fields.size(); ++i)
        if (ix->fields[i] != index.Fields().Item(static_cast<int>(i))->Name()) return false;
    // What Delete and Append would leave: the same rows, the SQLite index made by the
    // same statement, the index last in `ord` order.
    const std::size_t at = static_cast<std::size_t>(ix - info->indexes.data());
    int ord = 1;
    for (std::size_t i = 0; i < info->indexes.size(); ++i)
        if (i != at) ord = std::max(ord, info->indexes[i].ord + 1);
    NewIndex made;
    try {
        made = planIndex(info->name, info->fields, index, ord);
    } catch (const runtime::Error&) {
        return false; // Append reports it
    }
    if (made.read.sqlName != ix->sqlName) return false;
    {
        StmtUse q(s.prepare("SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?"));
        bindText(q, 1, ix->sqlName);
        if (sqlite3_step(q) != SQLITE_ROW) return false;
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        if (!p || indexSql(info->name, made.sql) != p) return false;
    }
    structureChange(s, [&] {
        // Built again from the table's rows, as a new index would be.
        s.exec("REINDEX main." + quoteIdent(ix->sqlName));
        if (ord != ix->ord) {
            StmtUse upd(s.prepare("UPDATE __jet_indexes SET ord = ? WHERE tbl = ? AND name = ?"));
            sqlite3_bind_int(upd, 1, ord);
            bindText(upd, 2, info->name);
            bindText(upd, 3, ix->name);
            const int rc = sqlite3_step(upd);
            if (rc != SQLITE_DONE) s.raise(rc, upd);
        }
        auto changed = std::make_shared<TableInfo>(*info);
        changed->indexes.erase(changed->indexes.begin() + static_cast<std::ptrdiff_t>(at));
        changed->indexes.push_back(std::move(made.read));
        return changed;
    });
    return true;
}

void upgradeFoldedKeys(Store& s) {
    std::vector<std::shared_ptr<const TableInfo>> stale;
    for (const auto& [name, info] : s.tables())
        for (const IndexInfo& ix : info->indexes)
            if (!ix.folded && needsFolding(*info, ix.fields)) {
                stale.push_back(info);
                break;
            }
    try {
        for (const auto& info : stale)
            structureChange(s, [&] {
                auto changed = std::make_shared<TableInfo>(*info);
                for (IndexInfo& ix : changed->indexes)
                    if (!ix.folded && needsFolding(*info, ix.fields)) {
                        s.exec("DROP INDEX IF EXISTS " + quoteIdent(ix.sqlName));
                        ix.folded = true;
                    }
                rebuildKeys(s, *changed);
                return changed;
            });
    } catch (const runtime::Error&) {
        // Busy or not writable: the indexes as they were still serve, folding A to Z.
    }
}

TableDefPtr Access::makeTableDef(const std::shared_ptr<DatabaseImpl>& db, const TableInfo& info) {
    auto td = std::make_shared<TableDef>(info.name);
    for (const FieldInfo& fi : info.fields) {
        auto f = std::make_shared<Field>(fi.name, fi.type, fi.size);
        f->attributes_ = fi.attributes;
        f->defaultValue_ = fi.defaultExpr;
        f->required_ = fi.required;
        f->allowZeroLength_ = fi.allowZeroLength;
        f->ordinal_ = td->Fields().Count();
        f->stored_ = true;
        td->fields_.fields_.push_back(std::move(f));
    }
    for (const IndexInfo& ii : info.indexes) {
        auto ix = std::make_shared<engine::Index>(ii.name);
        ix->primary_ = ii.primary;
        ix->unique_ = ii.unique;
        for (const std::string& k : ii.fields)
            ix->fields_.fields_.push_back(std::make_shared<Field>(k, dbText, 0));
        ix->stored_ = true;
        td->indexes_.indexes_.push_back(std::move(ix));
    }
    td->table_ = std::make_shared<TableImpl>();
    td->table_->database = db;
    return td;
}

} // namespace detail

} // namespace engine
