// Recordsets: the table-type cursor and the dynaset.

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/FoldedKeys.h"
#include "engine/JetSql.h"
#include "engine/LockWait.h"
#include "engine/RowidGuard.h"
#include "engine/SqliteValues.h"
#include "runtime/CaseFold.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <sqlite3.h>

namespace engine {

namespace detail {

struct CursorImpl {
    std::shared_ptr<DatabaseImpl> db;
    bool open = true;
    int type = dbOpenTable;
    std::string name;
    std::vector<FieldInfo> fields;
    std::unordered_map<std::string, int> ordinalByLowerName;

    // Table-type: the table and the order of the walk.
    std::shared_ptr<const TableInfo> table;
    std::string indexName;
    std::vector<int> keyOrdinals;
    std::string selectList; // "t.rowid, t."a", t."b" ..."
    // Where the walk's keys are read: the table itself ("t"), or for an index with Text
    // keys its table of folded keys ("k", joined to "t" by rowid).
    bool foldedKeys = false;
    std::string from;
    std::string rowidColumn = "t.rowid";
    std::vector<std::string> keyColumns;

    // Position. A row that was current keeps its key and rowid after it is deleted, so
    // that the next move goes on from where it stood.
    bool bof = true, eof = true;
    bool onRow = false;
    bool havePosition = false;
    bool rowDeleted = false;
    sqlite3_int64 rowid = 0;
    std::vector<Variant> key; // stored key values of the current row
    std::vector<Variant> row;
    std::uint64_t rowGeneration = 0;
    bool noMatch = false;

    int editMode = dbEditNone;
    std::uint64_t editGeneration = 0; // the file's generation when Edit read the row
    std::vector<Variant> buffer;
    std::vector<char> dirty;
    std::vector<Variant> defaults; // a new row's values
    bool autoNumbered = false;     // the table has an auto-increment field

    long countCache = -1;
    std::uint64_t countGeneration = 0;

    struct Cached {
        sqlite3_stmt* stmt = nullptr;
        std::uint64_t epoch = 0;
    };
    std::unordered_map<std::string, Cached> statements;

    // Dynaset rows, and the table each column taken straight from one comes from.
    std::vector<std::vector<Variant>> rows;
    std::vector<std::string> sourceTables;
    long current = -1;
    long reached = 0;

    Store& store() const {
        if (!open) raiseEngine(err::ObjectInvalid);
        return db->checkedStore();
    }
    void checkOpen() const { store(); }

    void indexFields() {
        ordinalByLowerName.clear();
        for (std::size_t i = 0; i < fields.size(); ++i)
            ordinalByLowerName.emplace(foldName(fields[i].name), static_cast<int>(i));
    }

    sqlite3_stmt* statement(const std::string& id, const std::function<std::string()>& sql) {
        Store& s = store();
        Cached& c = statements[id];
        if (!c.stmt || c.epoch != s.statementEpoch) {
            c.stmt = s.prepare(sql());
            c.epoch = s.statementEpoch;
        }
        return c.stmt;
    }

    // Each row read gives the fields, then the walk's keys as the order compares them.
    std::string baseSelect() const {
        std::string keys;
        for (const std::string& k : keyColumns)
            keys += ", " + k;
        return "SELECT " + selectList + keys + " FROM " + from;
    }
    std::string orderBy(bool forward, std::size_t first = 0) const {
        std::string o;
        for (std::size_t i = first; i < keyColumns.size(); ++i)
            o += keyColumns[i] + (forward ? ", " : " DESC, ");
        return " ORDER BY " + o + rowidColumn + (forward ? "" : " DESC") + " LIMIT 1";
    }
    const std::string& keyColumn(std::size_t i) const { return keyColumns[i]; }

    // The walk's keys read from the table itself, or from its folded keys.
    void useKeys(const std::vector<int>& ordinals, bool folded) {
        keyOrdinals = ordinals;
        foldedKeys = folded;
        const std::string t = quoteIdent(table->name) + " AS t";
        from = folded ? quoteIdent(keyTableName(table->name)) + " AS k CROSS JOIN " + t +
                            " ON t.rowid = k." + kKeyRowid
                      : t;
        rowidColumn = folded ? std::string("k.") + kKeyRowid : "t.rowid";
        keyColumns.clear();
        for (int k : ordinals)
            keyColumns.push_back((folded ? "k." : "t.") +
                                 quoteIdent(fields[static_cast<std::size_t>(k)].name));
    }

    // Takes the row a statement stands on as the current row.
    void takeRow(sqlite3_stmt* s) {
        rowid = sqlite3_column_int64(s, 0);
        row.resize(fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i)
            row[i] = fromStored(storedColumn(s, static_cast<int>(i) + 1), fields[i].type);
        key.resize(keyOrdinals.size());
        for (std::size_t i = 0; i < keyOrdinals.size(); ++i)
            key[i] = storedColumn(s, static_cast<int>(fields.size() + 1 + i));
        rowGeneration = db->store->generation;
        onRow = havePosition = true;
        rowDeleted = false;
        bof = eof = false;
    }

    // Steps a positioning statement; true (and the row taken) when it found one.
    bool stepTo(sqlite3_stmt* s) {
        StmtUse use(s);
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            takeRow(s);
            return true;
        }
        if (rc != SQLITE_DONE) store().raise(rc);
        return false;
    }

    bool first(bool forward) {
        return stepTo(
            statement(forward ? "first" : "last", [&] { return baseSelect() + orderBy(forward); }));
    }

    // One positioning query: rows equal on the first `equalCount` keys of `p`, then (with
    // compareNext) beyond p on the next key, or (with afterRowid) beyond that rowid; the
    // first such row in the walk's direction becomes current.
    bool level(bool forward, const std::vector<Variant>& p, std::size_t equalCount,
               bool compareNext, const sqlite3_int64* afterRowid) {
        if (compareNext && !forward && p[equalCount].isNull()) return false; // nothing before Null
        const std::size_t used = equalCount + (compareNext ? 1 : 0);
        std::string id = std::string(forward ? "f" : "b") + std::to_string(equalCount) +
                         (afterRowid ? "r" : "") + (compareNext ? "c" : "") + ":";
        for (std::size_t i = 0; i < used; ++i)
            id += p[i].isNull() ? 'n' : 'v';
        sqlite3_stmt* s = statement(id, [&] {
            std::string where;
            auto add = [&](const std::string& c) { where += (where.empty() ? "" : " AND ") + c; };
            for (std::size_t i = 0; i < equalCount; ++i)
                add(keyColumn(i) + (p[i].isNull() ? " IS NULL" : " = ?"));
            if (compareNext) {
                const std::string col = keyColumn(equalCount);
                if (forward)
                    add(p[equalCount].isNull() ? col + " IS NOT NULL" : col + " > ?");
                else
                    add("(" + col + " < ? OR " + col + " IS NULL)");
            }
            if (afterRowid) add(rowidColumn + (forward ? " > ?" : " < ?"));
            return baseSelect() + (where.empty() ? "" : " WHERE " + where) +
                   orderBy(forward, equalCount);
        });
        int bindAt = 1;
        for (std::size_t i = 0; i < used; ++i)
            if (!p[i].isNull()) bindVariant(s, bindAt++, p[i]);
        if (afterRowid) sqlite3_bind_int64(s, bindAt, *afterRowid);
        return stepTo(s);
    }

    // The row after the whole key `p` and that rowid in a forward walk, in one query: every
    // query reads the file under a lock of its own, and a walk's step would otherwise look
    // twice (ties of the key, then beyond it). A Null key cannot be compared as a whole and
    // takes the step-by-step way.
    bool nextAfter(const std::vector<Variant>& p, sqlite3_int64 afterRowid) {
        sqlite3_stmt* s = statement("next", [&] {
            std::string columns, marks;
            for (const std::string& k : keyColumns) {
                columns += k + ", ";
                marks += "?, ";
            }
            return baseSelect() + " WHERE (" + columns + rowidColumn + ") > (" + marks + "?)" +
                   orderBy(true);
        });
        int bindAt = 1;
        for (const Variant& v : p)
            bindVariant(s, bindAt++, v);
        sqlite3_bind_int64(s, bindAt, afterRowid);
        return stepTo(s);
    }

    // The next row after (forward) or before the key tuple `p` in the walk's order. With
    // afterRowid, `p` is a whole key and rows of the same key count by rowid; with
    // includeEqual, rows equal on every given key are taken first.
    bool adjacent(bool forward, const std::vector<Variant>& p, const sqlite3_int64* afterRowid,
                  bool includeEqual) {
        const std::size_t n = p.size();
        const auto isNull = [](const Variant& v) { return v.isNull(); };
        if (forward && afterRowid && !includeEqual && n == keyColumns.size() &&
            std::none_of(p.begin(), p.end(), isNull))
            return nextAfter(p, *afterRowid);
        if (afterRowid && level(forward, p, n, false, afterRowid)) return true;
        if (includeEqual && level(forward, p, n, false, nullptr)) return true;
        for (std::size_t l = n; l-- > 0;)
            if (level(forward, p, l, true, nullptr)) return true;
        return false;
    }

    void cancelEdit() {
        editMode = dbEditNone;
        buffer.clear();
        dirty.clear();
    }

    void leaveRow() {
        onRow = false;
        row.clear();
    }

    // The current row as it is now: read again when anything changed since it was read.
    const std::vector<Variant>& currentRow() {
        if (type != dbOpenTable) {
            if (current < 0 || current >= static_cast<long>(rows.size()))
                raiseEngine(err::NoCurrentRecord);
            return rows[static_cast<std::size_t>(current)];
        }
        if (rowDeleted) raiseEngine(err::RecordDeleted);
        if (!onRow) raiseEngine(err::NoCurrentRecord);
        if (rowGeneration != db->store->generation) {
            sqlite3_stmt* s =
                statement("rowid", [&] { return baseSelect() + " WHERE " + rowidColumn + " = ?"; });
            sqlite3_bind_int64(s, 1, rowid);
            if (!stepTo(s)) lostRow();
        }
        return row;
    }

    // The current row is found deleted (row ids are never used twice: RowidGuard.h). The
    // cursor keeps its place for the next move.
    [[noreturn]] void lostRow() {
        cancelEdit();
        rowDeleted = true;
        onRow = false;
        raiseEngine(err::RecordDeleted);
    }

    void requireTable() const {
        if (type != dbOpenTable) raiseEngine(err::OperationNotSupported);
    }
    void requireWritable() const {
        if (type != dbOpenTable || db->readOnly || db->store->readOnlyConnection)
            raiseEngine(err::ReadOnly);
    }

    // A value of the field at `ord` as the reader gets it: one its field cannot hold
    // (stored there by another program) is refused, naming the table and the field.
    const Variant& checked(std::size_t ord, const Variant& v) const {
        const FieldInfo& f = fields[ord];
        if (!holdsFieldValue(v, f.type))
            raiseMisfit(v, f.type, type == dbOpenTable ? table->name : sourceTables[ord], f.name);
        return v;
    }

    void checkRequired() const {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].required && buffer[i].isNull())
                raiseEngine(err::RequiredFieldNull, table->name + "." + fields[i].name);
    }

    void close() {
        open = false;
        cancelEdit();
        statements.clear();
        rows.clear();
        row.clear();
    }
};

} // namespace detail

using detail::CursorImpl;

namespace {

int ordinalIn(const CursorImpl& c, std::string_view name) {
    const auto it = c.ordinalByLowerName.find(detail::foldName(name));
    return it == c.ordinalByLowerName.end() ? -1 : it->second;
}

} // namespace

Recordset::Recordset(std::shared_ptr<CursorImpl> impl) : impl_(std::move(impl)) {}
Recordset::~Recordset() = default;

int Recordset::Type() const {
    return impl_->type;
}
const std::string& Recordset::Name() const {
    return impl_->name;
}
bool Recordset::isOpen() const {
    return impl_->open && impl_->db->open;
}

void Recordset::setIndex(const std::string& indexName) {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.requireTable();
    const detail::IndexInfo* ix = c.table->index(indexName);
    if (!ix) {
        // The table may have gained the index since the recordset opened.
        if (auto fresh = c.db->store->table(c.table->name)) ix = fresh->index(indexName);
        if (!ix) raiseEngine(err::NotAnIndex, indexName);
    }
    std::vector<int> ordinals;
    for (const std::string& f : ix->fields) {
        const int ord = ordinalIn(c, f);
        if (ord < 0) raiseEngine(err::NotAnIndex, indexName);
        ordinals.push_back(ord);
    }
    c.cancelEdit();
    c.indexName = ix->name;
    c.useKeys(ordinals, ix->folded);
    c.statements.clear();
    c.havePosition = false;
    c.leaveRow();
    if (!c.first(true)) {
        c.bof = c.eof = true;
        c.havePosition = false;
    }
}

const std::string& Recordset::Index() const {
    return impl_->indexName;
}

void Recordset::Seek(std::string_view comparison, const std::vector<Variant>& keys) {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.requireTable();
    if (c.keyOrdinals.empty()) raiseEngine(err::NoCurrentIndex);
    if (keys.empty() || keys.size() > c.keyOrdinals.size()) raiseEngine(err::InvalidArgument);
    std::vector<Variant> p;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        detail::FieldInfo f = c.fields[static_cast<std::size_t>(c.keyOrdinals[i])];
        f.required = false;
        f.allowZeroLength = true;
        f.size = 1 << 30;
        Variant v;
        try {
            v = detail::toFieldValue(keys[i], f, c.table->name);
        } catch (const runtime::Error&) {
            raiseEngine(err::TypeMismatchInCriteria);
        }
        if (v.type() == runtime::VarType::Boolean) v = Variant(std::int32_t{v.rawBool() ? -1 : 0});
        if (c.foldedKeys && detail::foldsText(f.type) && v.isString())
            v = Variant(runtime::foldCase(v.rawString()));
        p.push_back(std::move(v));
    }
    c.cancelEdit();
    bool found = false;
    if (comparison == "=") {
        found = c.level(true, p, p.size(), false, nullptr); // the first of the equal rows
    } else if (comparison == ">=") {
        found = c.adjacent(true, p, nullptr, true);
    } else if (comparison == ">") {
        found = c.adjacent(true, p, nullptr, false);
    } else if (comparison == "<=") {
        found = c.adjacent(false, p, nullptr, true);
    } else if (comparison == "<") {
        found = c.adjacent(false, p, nullptr, false);
    } else {
        raiseEngine(err::InvalidArgument);
    }
    c.noMatch = !found;
    if (!found) {
        c.leaveRow();
        c.havePosition = false;
        c.bof = c.eof = false;
    }
}

bool Recordset::NoMatch() const {
    impl_->checkOpen();
    return impl_->noMatch;
}

void Recordset::MoveFirst() {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.cancelEdit();
    if (c.type != dbOpenTable) {
        if (c.rows.empty()) raiseEngine(err::NoCurrentRecord);
        c.current = 0;
        c.bof = c.eof = false;
        return;
    }
    if (!c.first(true)) {
        c.bof = c.eof = true;
        raiseEngine(err::NoCurrentRecord);
    }
}

void Recordset::MoveLast() {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.cancelEdit();
    if (c.type != dbOpenTable) {
        if (c.rows.empty()) raiseEngine(err::NoCurrentRecord);
        c.current = static_cast<long>(c.rows.size()) - 1;
        c.reached = static_cast<long>(c.rows.size());
        c.bof = c.eof = false;
        return;
    }
    if (!c.first(false)) {
        c.bof = c.eof = true;
        raiseEngine(err::NoCurrentRecord);
    }
}

void Recordset::MoveNext() {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.cancelEdit();
    if (c.eof) raiseEngine(err::NoCurrentRecord);
    if (c.type != dbOpenTable) {
        ++c.current;
        if (c.current >= static_cast<long>(c.rows.size())) {
            c.current = static_cast<long>(c.rows.size());
            c.eof = true;
        } else {
            c.reached = std::max(c.reached, c.current + 1);
        }
        c.bof = false;
        return;
    }
    bool found;
    if (c.bof || !c.havePosition) {
        if (!c.bof) raiseEngine(err::NoCurrentRecord);
        found = c.first(true);
    } else {
        // The key is bound before a found row replaces it.
        const sqlite3_int64 rowid = c.rowid;
        found = c.adjacent(true, c.key, &rowid, false);
    }
    if (!found) {
        c.leaveRow();
        c.havePosition = false;
        c.eof = true;
        c.bof = false;
    }
}

void Recordset::MovePrevious() {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.cancelEdit();
    if (c.bof) raiseEngine(err::NoCurrentRecord);
    if (c.type != dbOpenTable) {
        --c.current;
        if (c.current < 0) {
            c.current = -1;
            c.bof = true;
        }
        c.eof = false;
        return;
    }
    bool found;
    if (c.eof || !c.havePosition) {
        if (!c.eof) raiseEngine(err::NoCurrentRecord);
        found = c.first(false);
    } else {
        const sqlite3_int64 rowid = c.rowid;
        found = c.adjacent(false, c.key, &rowid, false);
    }
    if (!found) {
        c.leaveRow();
        c.havePosition = false;
        c.bof = true;
        c.eof = false;
    }
}

bool Recordset::Eof() const {
    impl_->checkOpen();
    return impl_->eof;
}

bool Recordset::Bof() const {
    impl_->checkOpen();
    return impl_->bof;
}

long Recordset::RecordCount() const {
    CursorImpl& c = *impl_;
    detail::Store& s = c.store();
    if (c.type != dbOpenTable) return c.reached;
    if (c.countCache < 0 || c.countGeneration != s.generation) {
        sqlite3_stmt* q = c.statement(
            "count", [&] { return "SELECT count(*) FROM " + detail::quoteIdent(c.table->name); });
        detail::StmtUse use(q);
        const int rc = sqlite3_step(q);
        if (rc != SQLITE_ROW) s.raise(rc);
        c.countCache = static_cast<long>(sqlite3_column_int64(q, 0));
        c.countGeneration = s.generation;
    }
    return c.countCache;
}

void Recordset::AddNew() {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.requireWritable();
    c.cancelEdit();
    if (c.defaults.size() != c.fields.size()) {
        c.defaults.resize(c.fields.size());
        for (std::size_t i = 0; i < c.fields.size(); ++i) {
            const detail::FieldInfo& f = c.fields[i];
            if (!f.defaultValue.isEmpty())
                c.defaults[i] = f.defaultValue;
            else
                c.defaults[i] = f.type == dbBoolean ? Variant(false) : Variant::null();
        }
    }
    c.buffer = c.defaults;
    c.dirty.assign(c.fields.size(), 0);
    c.editMode = dbEditAdd;
}

void Recordset::Edit() {
    CursorImpl& c = *impl_;
    c.checkOpen();
    c.requireWritable();
    c.cancelEdit();
    c.buffer = c.currentRow();
    c.dirty.assign(c.fields.size(), 0);
    c.editMode = dbEditInProgress;
    c.editGeneration = c.db->store->generation;
}

void Recordset::Update() {
    CursorImpl& c = *impl_;
    detail::Store& s = c.store();
    if (c.editMode == dbEditNone) raiseEngine(err::UpdateWithoutAddNewOrEdit);
    c.checkRequired();
    if (c.editMode == dbEditAdd) {
        // Auto-numbered fields left unset are numbered by the file itself.
        std::string mask(c.fields.size(), '1');
        if (c.autoNumbered)
            for (std::size_t i = 0; i < c.fields.size(); ++i)
                if ((c.fields[i].attributes & dbAutoIncrField) && c.buffer[i].isNull())
                    mask[i] = '0';
        // A file this program could not yet guard (RowidGuard.h) gets SQLite's row id.
        const bool guarded = s.guardsRowids();
        const std::string id = std::string(guarded ? "insert" : "insert-unguarded") + mask;
        sqlite3_stmt* ins = c.statement(id, [&] {
            std::string cols = guarded ? "rowid" : "";
            std::string marks = guarded ? detail::freshRowid(c.table->name) : "";
            for (std::size_t i = 0; i < c.fields.size(); ++i) {
                if (mask[i] == '0') continue;
                cols += (cols.empty() ? "" : ", ") + detail::quoteIdent(c.fields[i].name);
                marks += marks.empty() ? "?" : ", ?";
            }
            return "INSERT INTO " + detail::quoteIdent(c.table->name) + " (" + cols + ") VALUES (" +
                   marks + ")";
        });
        int at = 1;
        for (std::size_t i = 0; i < c.fields.size(); ++i)
            if (mask[i] == '1') detail::bindVariant(ins, at++, c.buffer[i]);
        s.beforeWrite();
        detail::StmtUse use(ins);
        const int rc = detail::stepWrite(s.db, ins);
        s.touch();
        if (rc != SQLITE_DONE) s.raise(rc);
        c.cancelEdit();
        return;
    }
    std::string mask(c.dirty.size(), '0');
    bool keyChanged = false;
    for (std::size_t i = 0; i < c.dirty.size(); ++i)
        if (c.dirty[i]) mask[i] = '1';
    for (int k : c.keyOrdinals)
        keyChanged = keyChanged || c.dirty[static_cast<std::size_t>(k)];
    if (mask.find('1') == std::string::npos) {
        c.cancelEdit();
        return;
    }
    sqlite3_stmt* upd = c.statement("update:" + mask, [&] {
        std::string set;
        for (std::size_t i = 0; i < c.fields.size(); ++i)
            if (mask[i] == '1')
                set += (set.empty() ? "" : ", ") + detail::quoteIdent(c.fields[i].name) + " = ?";
        return "UPDATE " + detail::quoteIdent(c.table->name) + " SET " + set + " WHERE rowid = ?";
    });
    int at = 1;
    for (std::size_t i = 0; i < c.fields.size(); ++i)
        if (mask[i] == '1') detail::bindVariant(upd, at++, c.buffer[i]);
    sqlite3_bind_int64(upd, at, c.rowid);
    const bool unchangedSinceEdit = s.generation == c.editGeneration;
    s.beforeWrite();
    {
        detail::StmtUse use(upd);
        const int rc = detail::stepWrite(s.db, upd);
        s.touch();
        if (rc != SQLITE_DONE) s.raise(rc);
    }
    if (sqlite3_changes(s.db) == 0) c.lostRow(); // deleted by another process
    // The row stays current, at the place its new key gives it.
    if (keyChanged || !unchangedSinceEdit) {
        c.cancelEdit();
        c.currentRow();
        return;
    }
    c.row = std::move(c.buffer);
    c.rowGeneration = s.generation;
    c.cancelEdit();
}

void Recordset::CancelUpdate() {
    CursorImpl& c = *impl_;
    c.checkOpen();
    if (c.editMode == dbEditNone) raiseEngine(err::UpdateWithoutAddNewOrEdit);
    c.cancelEdit();
}

void Recordset::Delete() {
    CursorImpl& c = *impl_;
    detail::Store& s = c.store();
    c.requireWritable();
    c.cancelEdit();
    c.currentRow();
    sqlite3_stmt* del = c.statement("delete", [&] {
        return "DELETE FROM " + detail::quoteIdent(c.table->name) + " WHERE rowid = ?";
    });
    sqlite3_bind_int64(del, 1, c.rowid);
    s.beforeWrite();
    {
        detail::StmtUse use(del);
        const int rc = detail::stepWrite(s.db, del);
        s.touch();
        if (rc != SQLITE_DONE) s.raise(rc);
    }
    if (sqlite3_changes(s.db) == 0) c.lostRow();
    c.leaveRow();
    c.rowDeleted = true;
}

int Recordset::EditMode() const {
    impl_->checkOpen();
    return impl_->editMode;
}

FieldRef Recordset::Fields(std::string_view name) {
    impl_->checkOpen();
    const int ord = ordinalIn(*impl_, name);
    if (ord < 0) raiseEngine(err::ItemNotFound);
    return FieldRef(this, ord);
}

FieldRef Recordset::Fields(int ordinal) {
    impl_->checkOpen();
    if (ordinal < 0 || ordinal >= FieldCount()) raiseEngine(err::ItemNotFound);
    return FieldRef(this, ordinal);
}

int Recordset::fieldOrdinal(std::string_view name) const {
    return ordinalIn(*impl_, name);
}

int Recordset::FieldCount() const {
    return static_cast<int>(impl_->fields.size());
}

void Recordset::Close() {
    impl_->checkOpen();
    impl_->close();
}

Variant FieldRef::Value() const {
    CursorImpl& c = *rs_->impl_;
    c.checkOpen();
    const auto ord = static_cast<std::size_t>(ordinal_);
    if (c.editMode != dbEditNone) return c.checked(ord, c.buffer[ord]);
    return c.checked(ord, c.currentRow()[ord]);
}

void FieldRef::setValue(const Variant& v) const {
    CursorImpl& c = *rs_->impl_;
    c.checkOpen();
    if (c.editMode == dbEditNone) raiseEngine(err::UpdateWithoutAddNewOrEdit);
    const auto ord = static_cast<std::size_t>(ordinal_);
    const detail::FieldInfo& f = c.fields[ord];
    if (f.type == dbDouble && v.type() == runtime::VarType::Double && std::isfinite(v.rawDouble()))
        c.buffer[ord] = v; // the common case, as it is
    else                   // a Null in a required field is refused by Update, as Jet does
        c.buffer[ord] = detail::toFieldValue(v, f, c.table->name, true);
    c.dirty[ord] = 1;
}

const std::string& FieldRef::Name() const {
    return rs_->impl_->fields[static_cast<std::size_t>(ordinal_)].name;
}
int FieldRef::Type() const {
    return rs_->impl_->fields[static_cast<std::size_t>(ordinal_)].type;
}
int FieldRef::Size() const {
    const detail::FieldInfo& f = rs_->impl_->fields[static_cast<std::size_t>(ordinal_)];
    return detail::reportedSize(f.type, f.size);
}

namespace detail {

RecordsetPtr Access::makeRecordset(std::shared_ptr<CursorImpl> impl) {
    return RecordsetPtr(new Recordset(std::move(impl)));
}

void closeCursor(CursorImpl& c) {
    if (c.open) c.close();
}

std::shared_ptr<CursorImpl> openTableCursor(const std::shared_ptr<DatabaseImpl>& db,
                                            const std::shared_ptr<const TableInfo>& table) {
    guardRowids(db->checkedStore()); // a table made since the file was opened
    auto c = std::make_shared<CursorImpl>();
    c->db = db;
    c->type = dbOpenTable;
    c->name = table->name;
    c->table = table;
    c->fields = table->fields;
    c->indexFields();
    c->selectList = "t.rowid";
    c->useKeys({}, false);
    for (const FieldInfo& f : c->fields) {
        c->selectList += ", t." + quoteIdent(f.name);
        c->autoNumbered = c->autoNumbered || (f.attributes & dbAutoIncrField);
    }
    if (!c->first(true)) c->bof = c->eof = true;
    return c;
}

std::shared_ptr<CursorImpl> openDynaset(const std::shared_ptr<DatabaseImpl>& db,
                                        const std::string& sql) {
    Store& s = db->checkedStore();
    const auto translated = translateJetCached(sql);
    if (translated->kind != StatementKind::Select) raiseEngine(err::InvalidOperation);
    auto c = std::make_shared<CursorImpl>();
    c->db = db;
    c->type = dbOpenDynaset;
    c->name = sql;
    sqlite3_stmt* q = nullptr;
    const std::string& text = translated->plainSql;
    int rc = sqlite3_prepare_v2(s.db, text.c_str(), static_cast<int>(text.size()), &q, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(q);
        s.raise(rc, text);
    }
    const int n = sqlite3_column_count(q);
    for (int i = 0; i < n; ++i) {
        FieldInfo f;
        const char* name = sqlite3_column_name(q, i);
        f.name = name ? name : "";
        std::string from;
        // A column taken straight from a table keeps that field's type.
        const char* originTable = sqlite3_column_table_name(q, i);
        const char* originColumn = sqlite3_column_origin_name(q, i);
        if (originTable && originColumn) {
            if (auto info = s.table(originTable)) {
                const int ord = info->ordinalOf(originColumn);
                if (ord >= 0) {
                    f.type = info->fields[static_cast<std::size_t>(ord)].type;
                    f.size = info->fields[static_cast<std::size_t>(ord)].size;
                    from = info->name;
                }
            }
        }
        c->fields.push_back(std::move(f));
        c->sourceTables.push_back(std::move(from));
    }
    c->indexFields();
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
        std::vector<Variant> row(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const Variant v = storedColumn(q, i);
            const int type = c->fields[static_cast<std::size_t>(i)].type;
            row[static_cast<std::size_t>(i)] = type ? fromStored(v, type) : v;
        }
        c->rows.push_back(std::move(row));
    }
    sqlite3_finalize(q);
    if (rc != SQLITE_DONE) s.raise(rc, text);
    if (!c->rows.empty()) {
        c->current = 0;
        c->reached = 1;
        c->bof = c->eof = false;
    }
    return c;
}

} // namespace detail

} // namespace engine
