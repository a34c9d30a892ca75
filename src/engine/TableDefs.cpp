// TableDefs, Fields and Indexes: the objects and the structure changes they make.

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/SqliteValues.h"
#include "runtime/Error.h"

#include <sqlite3.h>

namespace engine {

using detail::equalsNoCase;
using detail::quoteIdent;

namespace {

[[noreturn]] void objectNotSet() {
    throw runtime::Error(runtime::err::ObjectVariableNotSet);
}

// Jet names hold no dot, exclamation mark, brackets or grave accent, and do not start with
// a blank; the engine's own tables are out of reach.
void checkName(const std::string& name) {
    if (name.empty() || name.front() == ' ' || name.size() > 64 ||
        name.find_first_of(".![]`") != std::string::npos || name.rfind("__jet_", 0) == 0 ||
        name.rfind("sqlite_", 0) == 0)
        raiseEngine(err::InvalidArgument);
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

std::string constraintName(int number, const std::string& table, const std::string& field) {
    return quoteIdent("jet" + std::to_string(number) + " " + table + "." + field);
}

std::string columnDeclaration(const FieldInfo& f, const std::string& table) {
    const std::string col = quoteIdent(f.name);
    std::string d = col;
    const bool hasDefault = !f.defaultValue.isEmpty() && !f.defaultValue.isNull();
    switch (f.type) {
    case dbBoolean:
        return d + " INTEGER NOT NULL DEFAULT " +
               (hasDefault ? sqlLiteral(f.defaultValue) : std::string("0"));
    case dbInteger:
    case dbLong:
        d += " INTEGER";
        break;
    case dbDouble:
    case dbDate:
        d += " REAL";
        break;
    default:
        d += " TEXT COLLATE NOCASE";
        break;
    }
    if (hasDefault) d += " DEFAULT " + sqlLiteral(f.defaultValue);
    if (f.required) {
        if (hasDefault)
            d += " NOT NULL";
        else
            d += " CONSTRAINT " + constraintName(err::RequiredFieldNull, table, f.name) +
                 " CHECK(" + col + " IS NOT NULL)";
    }
    if (f.type == dbText)
        d += " CONSTRAINT " + constraintName(err::FieldTooSmall, table, f.name) + " CHECK(length(" +
             col + ") <= " + std::to_string(f.size) + ")";
    if ((f.type == dbText || f.type == dbMemo) && !f.allowZeroLength)
        d += " CONSTRAINT " + constraintName(err::ZeroLengthNotAllowed, table, f.name) + " CHECK(" +
             col + " <> '')";
    return d;
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

void insertFieldRow(Store& s, const std::string& table, const FieldInfo& f, int ord) {
    StmtUse ins(
        s.prepare("INSERT INTO __jet_fields (tbl, name, ord, type, size, attributes, "
                  "required, allow_zero_length, default_value) VALUES (?,?,?,?,?,?,?,?,?)"));
    bindVariant(ins, 1, Variant(table));
    bindVariant(ins, 2, Variant(f.name));
    sqlite3_bind_int(ins, 3, ord);
    sqlite3_bind_int(ins, 4, f.type);
    sqlite3_bind_int(ins, 5, f.size);
    sqlite3_bind_int64(ins, 6, f.attributes);
    sqlite3_bind_int(ins, 7, f.required ? 1 : 0);
    sqlite3_bind_int(ins, 8, f.allowZeroLength ? 1 : 0);
    if (f.defaultExpr.empty())
        sqlite3_bind_null(ins, 9);
    else
        bindVariant(ins, 9, Variant(f.defaultExpr));
    const int rc = sqlite3_step(ins);
    if (rc != SQLITE_DONE) s.raise(rc);
}

// Runs a structure change of one table as one step: all of it is stored, or none.
template <typename Fn> void structureChange(Store& s, const std::string& table, Fn&& change) {
    s.beforeWrite();
    s.clearStatements();
    s.exec("SAVEPOINT jet_structure");
    try {
        change();
        s.exec("RELEASE jet_structure");
    } catch (...) {
        sqlite3_exec(s.db, "ROLLBACK TO jet_structure; RELEASE jet_structure", nullptr, nullptr,
                     nullptr);
        s.invalidateSchema();
        s.clearStatements();
        s.touch();
        throw;
    }
    s.reloadTable(table);
    s.touch();
}

bool isEmpty(Store& s, const std::string& table) {
    StmtUse q(s.prepare("SELECT 1 FROM " + quoteIdent(table) + " LIMIT 1"));
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) s.raise(rc);
    return rc == SQLITE_DONE;
}

void createIndexSql(Store& s, const std::string& table, const IndexInfo& ix) {
    std::string columns;
    for (const std::string& f : ix.fields)
        columns += (columns.empty() ? "" : ", ") + quoteIdent(f);
    s.exec("DROP INDEX IF EXISTS " + quoteIdent(ix.sqlName));
    s.exec(std::string("CREATE ") + (ix.unique || ix.primary ? "UNIQUE " : "") + "INDEX " +
           quoteIdent(ix.sqlName) + " ON " + quoteIdent(table) + " (" + columns + ")");
}

// An empty table is made anew with its new columns: SQLite's ALTER TABLE reads the whole
// file's structure again on every column, which makes building a wide table slow.
void rebuildEmpty(Store& s, const TableInfo& info, const std::vector<FieldInfo>& fields) {
    s.exec("DROP TABLE " + quoteIdent(info.name));
    std::string sql = "CREATE TABLE " + quoteIdent(info.name) + " (";
    for (std::size_t i = 0; i < fields.size(); ++i)
        sql += (i ? ", " : "") + columnDeclaration(fields[i], info.name);
    s.exec(sql + ")");
    for (const FieldInfo& f : fields)
        if (f.attributes & dbAutoIncrField) createAutoNumber(s, info.name, f.name);
    for (const IndexInfo& ix : info.indexes)
        createIndexSql(s, info.name, ix);
}

void createIndexIn(Store& s, const std::string& table, const std::vector<FieldInfo>& fields,
                   const Index& index, int ord) {
    checkName(index.Name());
    const std::string sqlName = table + "." + index.Name();
    for (int i = 0; i < index.Fields().Count(); ++i) {
        bool found = false;
        for (const FieldInfo& f : fields)
            found = found || equalsNoCase(f.name, index.Fields().Item(i)->Name());
        if (!found) raiseEngine(err::ItemNotFound);
    }
    IndexInfo info;
    info.sqlName = sqlName;
    info.unique = index.Unique();
    for (int i = 0; i < index.Fields().Count(); ++i)
        for (const FieldInfo& f : fields)
            if (equalsNoCase(f.name, index.Fields().Item(i)->Name())) info.fields.push_back(f.name);
    createIndexSql(s, table, info);
    StmtUse ins(s.prepare("INSERT INTO __jet_indexes (tbl, name, ord, sql_name, is_primary, "
                          "is_unique) VALUES (?,?,?,?,?,?)"));
    bindVariant(ins, 1, Variant(table));
    bindVariant(ins, 2, Variant(index.Name()));
    sqlite3_bind_int(ins, 3, ord);
    bindVariant(ins, 4, Variant(sqlName));
    sqlite3_bind_int(ins, 5, index.Primary() ? 1 : 0);
    sqlite3_bind_int(ins, 6, index.Unique() ? 1 : 0);
    int rc = sqlite3_step(ins);
    if (rc != SQLITE_DONE) s.raise(rc);
    for (int i = 0; i < index.Fields().Count(); ++i) {
        StmtUse f(
            s.prepare("INSERT INTO __jet_index_fields (tbl, idx, pos, field) VALUES (?,?,?,?)"));
        bindVariant(f, 1, Variant(table));
        bindVariant(f, 2, Variant(index.Name()));
        sqlite3_bind_int(f, 3, i);
        bindVariant(f, 4, Variant(index.Fields().Item(i)->Name()));
        rc = sqlite3_step(f);
        if (rc != SQLITE_DONE) s.raise(rc);
    }
}

int nextOrdinal(Store& s, const char* sql, const std::string& table) {
    StmtUse q(s.prepare(sql));
    bindVariant(q, 1, Variant(table));
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_ROW) s.raise(rc);
    return sqlite3_column_int(q, 0);
}

} // namespace

void Access::createTable(DatabaseImpl& db, TableDef& td) {
    Store& s = db.writableStore();
    const std::string name = td.Name();
    checkName(name);
    if (s.table(name)) raiseEngine(err::TableAlreadyExists, name);
    {
        StmtUse q(s.prepare("SELECT 1 FROM sqlite_master WHERE name = ? COLLATE NOCASE"));
        bindVariant(q, 1, Variant(name));
        if (sqlite3_step(q) == SQLITE_ROW) raiseEngine(err::TableAlreadyExists, name);
    }
    if (td.Fields().Count() == 0) raiseEngine(err::NoFieldDefined);
    std::vector<FieldInfo> fields;
    for (int i = 0; i < td.Fields().Count(); ++i)
        fields.push_back(infoOf(*td.Fields().Item(i), name));

    structureChange(s, name, [&] {
        std::string sql = "CREATE TABLE " + quoteIdent(name) + " (";
        for (std::size_t i = 0; i < fields.size(); ++i)
            sql += (i ? ", " : "") + columnDeclaration(fields[i], name);
        s.exec(sql + ")");
        for (std::size_t i = 0; i < fields.size(); ++i) {
            insertFieldRow(s, name, fields[i], static_cast<int>(i) + 1);
            if (fields[i].attributes & dbAutoIncrField) createAutoNumber(s, name, fields[i].name);
        }
        for (int i = 0; i < td.Indexes().Count(); ++i)
            createIndexIn(s, name, fields, *td.Indexes().Item(i), i + 1);
    });
    for (int i = 0; i < td.Fields().Count(); ++i) {
        td.Fields().Item(i)->stored_ = true;
        td.Fields().Item(i)->ordinal_ = i;
    }
    for (int i = 0; i < td.Indexes().Count(); ++i)
        td.Indexes().Item(i)->stored_ = true;
}

void addField(DatabaseImpl& db, const std::string& table, Field& field) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) raiseEngine(err::ObjectNotFound, table);
    if (info->ordinalOf(field.Name()) >= 0) raiseEngine(err::FieldDefinedTwice);
    const FieldInfo f = infoOf(field, info->name);
    structureChange(s, info->name, [&] {
        if (isEmpty(s, info->name)) {
            std::vector<FieldInfo> fields = info->fields;
            fields.push_back(f);
            rebuildEmpty(s, *info, fields);
        } else {
            s.exec("ALTER TABLE " + quoteIdent(info->name) + " ADD COLUMN " +
                   columnDeclaration(f, info->name));
            if (f.attributes & dbAutoIncrField) createAutoNumber(s, info->name, f.name);
        }
        insertFieldRow(s, info->name, f,
                       nextOrdinal(s,
                                   "SELECT ifnull(max(ord), 0) + 1 FROM __jet_fields WHERE tbl = ?",
                                   info->name));
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
    structureChange(s, info->name, [&] {
        if (isEmpty(s, info->name)) {
            std::vector<FieldInfo> fields = info->fields;
            fields.erase(fields.begin() + ord);
            rebuildEmpty(s, *info, fields);
        } else {
            s.exec("DROP TRIGGER IF EXISTS " + autoNumberTrigger(info->name, f.name));
            s.exec("ALTER TABLE " + quoteIdent(info->name) + " DROP COLUMN " + quoteIdent(f.name));
        }
        StmtUse del(s.prepare("DELETE FROM __jet_fields WHERE tbl = ? AND name = ?"));
        bindVariant(del, 1, Variant(info->name));
        bindVariant(del, 2, Variant(f.name));
        const int rc = sqlite3_step(del);
        if (rc != SQLITE_DONE) s.raise(rc);
    });
}

void addIndex(DatabaseImpl& db, const std::string& table, Index& index) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) raiseEngine(err::ObjectNotFound, table);
    if (info->index(index.Name())) raiseEngine(err::IndexAlreadyExists);
    structureChange(s, info->name, [&] {
        createIndexIn(s, info->name, info->fields, index,
                      nextOrdinal(s,
                                  "SELECT ifnull(max(ord), 0) + 1 FROM __jet_indexes WHERE tbl = ?",
                                  info->name));
    });
}

void dropIndex(DatabaseImpl& db, const std::string& table, std::string_view index) {
    Store& s = db.writableStore();
    const auto info = s.table(table);
    if (!info) raiseEngine(err::ObjectNotFound, table);
    const IndexInfo* ix = info->index(index);
    if (!ix) raiseEngine(err::ItemNotFound);
    structureChange(s, info->name, [&] {
        s.exec("DROP INDEX IF EXISTS " + quoteIdent(ix->sqlName));
        for (const char* sql : {"DELETE FROM __jet_indexes WHERE tbl = ? AND name = ?",
                                "DELETE FROM __jet_index_fields WHERE tbl = ? AND idx = ?"}) {
            StmtUse del(s.prepare(sql));
            bindVariant(del, 1, Variant(info->name));
            bindVariant(del, 2, Variant(ix->name));
            const int rc = sqlite3_step(del);
            if (rc != SQLITE_DONE) s.raise(rc);
        }
    });
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
