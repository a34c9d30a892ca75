// Database.Execute: a Jet statement translated once, its stored values converted to the
// target fields' types, and `IN 'path'` targets reached without the path entering SQL.

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/FoldedKeys.h"
#include "engine/JetSql.h"
#include "engine/SqliteValues.h"

#include <optional>
#include <sqlite3.h>

namespace engine::detail {

namespace {

// --- jet_cvt(value, type, size, flags, 'Table.Field') ---

enum : int { kRequired = 1, kAllowZeroLength = 2 };

void jetConvert(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* in = argv[0];
    const int type = sqlite3_value_int(argv[1]);
    const int size = sqlite3_value_int(argv[2]);
    const int flags = sqlite3_value_int(argv[3]);
    const int storage = sqlite3_value_type(in);
    // The common cases need no conversion.
    if ((type == dbDouble || type == dbDate) &&
        (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER)) {
        sqlite3_result_value(ctx, in);
        return;
    }
    if ((type == dbText || type == dbMemo) && storage == SQLITE_TEXT) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(in));
        const std::string_view text(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(in)));
        if ((!text.empty() || (flags & kAllowZeroLength)) &&
            (type == dbMemo ||
             characterCount(text) <= static_cast<std::size_t>(reportedSize(dbText, size)))) {
            sqlite3_result_value(ctx, in);
            return;
        }
    }
    FieldInfo f;
    f.type = type;
    f.size = size;
    f.required = flags & kRequired;
    f.allowZeroLength = flags & kAllowZeroLength;
    try {
        const Variant out = toFieldValue(storedValue(in), f, {});
        switch (out.type()) {
        case runtime::VarType::Null:
            sqlite3_result_null(ctx);
            break;
        case runtime::VarType::Boolean:
            sqlite3_result_int(ctx, out.rawBool() ? -1 : 0);
            break;
        case runtime::VarType::Integer:
        case runtime::VarType::Long:
            sqlite3_result_int(ctx, out.rawInt());
            break;
        case runtime::VarType::Double:
        case runtime::VarType::Date:
            sqlite3_result_double(ctx, out.rawDouble());
            break;
        default:
            sqlite3_result_text(ctx, out.rawString().data(),
                                static_cast<int>(out.rawString().size()), SQLITE_TRANSIENT);
            break;
        }
    } catch (const runtime::Error& e) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_value_text(argv[4]));
        const std::string message = "JET:" + std::to_string(e.number()) + ":" + (name ? name : "");
        sqlite3_result_error(ctx, message.c_str(), -1);
    }
}

// --- reading the values of a statement ---

// A literal of the SQLite text: a number, a quoted text or NULL.
std::optional<Variant> constantValue(std::string_view e) {
    while (!e.empty() && e.front() == ' ')
        e.remove_prefix(1);
    while (!e.empty() && e.back() == ' ')
        e.remove_suffix(1);
    if (e.empty()) return std::nullopt;
    if (equalsNoCase(e, "NULL")) return Variant::null();
    if (e.size() >= 2 && e.front() == '\'' && e.back() == '\'') {
        std::string s;
        for (std::size_t i = 1; i + 1 < e.size(); ++i) {
            if (e[i] == '\'') {
                if (i + 2 < e.size() && e[i + 1] == '\'') {
                    s += '\'';
                    ++i;
                    continue;
                }
                return std::nullopt; // two literals joined by something
            }
            s += e[i];
        }
        return Variant(std::move(s));
    }
    std::string digits;
    for (char c : e)
        if (c != ' ') digits += c;
    double d = 0;
    if (parseNumber(digits, d)) {
        if (d == static_cast<double>(static_cast<std::int32_t>(d)) &&
            digits.find_first_of(".eE") == std::string::npos)
            return Variant(static_cast<std::int32_t>(d));
        return Variant(d);
    }
    return std::nullopt;
}

struct ColumnRef {
    std::string qualifier;
    std::string column;
};

// A bare column reference: name, "name", T.name or "T"."name".
std::optional<ColumnRef> columnRef(std::string_view e) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < e.size() && e[i] == ' ')
            ++i;
    };
    for (;;) {
        skip();
        if (i >= e.size()) return std::nullopt;
        std::string part;
        if (e[i] == '"') {
            ++i;
            for (;;) {
                if (i >= e.size()) return std::nullopt;
                if (e[i] == '"') {
                    if (i + 1 < e.size() && e[i + 1] == '"') {
                        part += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                part += e[i++];
            }
        } else {
            auto word = [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
                       (c >= '0' && c <= '9');
            };
            if (!word(e[i]) || (e[i] >= '0' && e[i] <= '9')) return std::nullopt;
            while (i < e.size() && word(e[i]))
                part += e[i++];
        }
        parts.push_back(std::move(part));
        skip();
        if (i == e.size()) break;
        if (e[i] != '.') return std::nullopt;
        ++i;
    }
    if (parts.size() == 1) return ColumnRef{{}, parts[0]};
    if (parts.size() == 2) return ColumnRef{parts[0], parts[1]};
    return std::nullopt;
}

// Whether a value of field `from` is already what field `to` stores.
bool storesUnchanged(const FieldInfo& from, const FieldInfo& to) {
    const bool zeroLengthOk = to.allowZeroLength || !from.allowZeroLength;
    switch (to.type) {
    case dbDouble:
    case dbDate:
        return from.type == dbDouble || from.type == dbDate || from.type == dbInteger ||
               from.type == dbLong || from.type == dbBoolean;
    case dbLong:
        return from.type == dbInteger || from.type == dbLong || from.type == dbBoolean;
    case dbInteger:
        return from.type == dbInteger || from.type == dbBoolean;
    case dbBoolean:
        return from.type == dbBoolean;
    case dbText:
        return from.type == dbText &&
               reportedSize(dbText, from.size) <= reportedSize(dbText, to.size) && zeroLengthOk;
    case dbMemo:
        return (from.type == dbText || from.type == dbMemo) && zeroLengthOk;
    default:
        return false;
    }
}

bool sourceStoresUnchanged(Store& source, const ColumnRef& ref, const FieldInfo& to) {
    std::vector<const FieldInfo*> candidates;
    auto consider = [&](const TableInfo& t) {
        const int ord = t.ordinalOf(ref.column);
        if (ord >= 0) candidates.push_back(&t.fields[static_cast<std::size_t>(ord)]);
    };
    if (!ref.qualifier.empty()) {
        if (auto t = source.table(ref.qualifier)) consider(*t);
    } else {
        for (const auto& [name, t] : source.tables())
            consider(*t);
    }
    if (candidates.empty()) return false;
    for (const FieldInfo* f : candidates)
        if (!storesUnchanged(*f, to)) return false;
    return true;
}

// Wraps each stored value in a conversion to its field's type, unless it is a literal
// (converted here, once) or a column that already holds values of that type.
TranslatedStatement::ValueWrapper converter(const TableInfo* target, Store& source,
                                            const std::vector<std::string>& columns) {
    return [target, &source, &columns](std::size_t column, const std::string& expr) {
        if (!target || column >= columns.size()) return expr;
        const int ord = target->ordinalOf(columns[column]);
        if (ord < 0) return expr;
        const FieldInfo& f = target->fields[static_cast<std::size_t>(ord)];
        if (const auto literal = constantValue(expr)) {
            try {
                return sqlLiteral(toFieldValue(*literal, f, target->name));
            } catch (const runtime::Error&) {
                // Refused only if a row is actually written: converted row by row below.
            }
        } else if (const auto ref = columnRef(expr)) {
            if (sourceStoresUnchanged(source, *ref, f)) return expr;
        }
        const int flags = (f.required ? kRequired : 0) | (f.allowZeroLength ? kAllowZeroLength : 0);
        return "jet_cvt(" + expr + ", " + std::to_string(f.type) + ", " + std::to_string(f.size) +
               ", " + std::to_string(flags) + ", " +
               sqlLiteral(Variant(target->name + "." + f.name)) + ")";
    };
}

struct Finalizer {
    sqlite3_stmt* s = nullptr;
    ~Finalizer() { sqlite3_finalize(s); }
};

sqlite3_stmt* prepareOnce(Store& s, const std::string& text, Finalizer& holder) {
    const int rc =
        sqlite3_prepare_v2(s.db, text.c_str(), static_cast<int>(text.size()), &holder.s, nullptr);
    if (rc != SQLITE_OK) s.raise(rc, text);
    return holder.s;
}

long runStatement(Store& s, const std::string& text) {
    Finalizer holder;
    sqlite3_stmt* q = prepareOnce(s, text, holder);
    int rc;
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) s.raise(rc, text);
    return static_cast<long>(sqlite3_changes64(s.db));
}

std::string uriFor(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '.' || c == '_' || c == '-' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri + "?mode=rw";
}

// Attaches the file of an `IN` clause to the source connection as schema jet_in, or
// keeps it attached from the statement before.
void attach(Store& source, const std::string& path, const std::shared_ptr<Store>& target,
            std::shared_ptr<FileLock> lock) {
    if (source.attachment.target && source.attachment.path == path) return;
    source.detach();
    if (source.attachment.target) raiseEngine(err::InvalidOperation);
    Finalizer holder;
    sqlite3_stmt* q = prepareOnce(source, "ATTACH DATABASE ?1 AS jet_in", holder);
    const std::string uri = uriFor(path);
    sqlite3_bind_text(q, 1, uri.c_str(), static_cast<int>(uri.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(q);
    if (rc != SQLITE_DONE) source.raise(rc);
    source.attachment = {path, target, std::move(lock)};
}

// The SELECT (or VALUES) part of an INSERT ... IN statement, as a query of its own.
std::string sourceQuery(const TranslatedStatement& st,
                        const TranslatedStatement::ValueWrapper& wrap) {
    using Kind = TranslatedStatement::Piece::Kind;
    std::string head = quoteIdent(st.targetTable);
    if (!st.targetColumns.empty()) {
        head += " (";
        for (std::size_t i = 0; i < st.targetColumns.size(); ++i)
            head += (i ? ", " : "") + quoteIdent(st.targetColumns[i]);
        head += ")";
    }
    head += " ";
    std::size_t at = 0;
    while (at < st.pieces.size() && st.pieces[at].kind != Kind::SchemaPrefix)
        ++at;
    if (at + 1 >= st.pieces.size() || st.pieces[at + 1].kind != Kind::Text ||
        st.pieces[at + 1].text.rfind(head, 0) != 0)
        raiseEngine(err::SyntaxErrorInInsert);
    std::string sql = st.pieces[at + 1].text.substr(head.size());
    for (std::size_t i = at + 2; i < st.pieces.size(); ++i) {
        const auto& p = st.pieces[i];
        if (p.kind == Kind::Text) sql += p.text;
        if (p.kind == Kind::Value) sql += wrap ? wrap(p.column, p.text) : p.text;
    }
    if (sql.rfind("VALUES (", 0) == 0 && !sql.empty() && sql.back() == ')')
        sql = "SELECT " + sql.substr(8, sql.size() - 9);
    return sql;
}

// Inside a workspace transaction no file can be attached: the rows are read on the
// source connection and written through the target's own connection, whose transaction
// is the workspace's.
long copyRows(Store& source, Store& target, const TranslatedStatement& st, const TableInfo& table) {
    const auto wrap = converter(&table, source, st.targetColumns);
    const std::string query = sourceQuery(st, wrap);
    std::vector<std::string> columns = st.targetColumns;
    if (columns.empty())
        for (const FieldInfo& f : table.fields)
            columns.push_back(f.name);

    std::vector<std::vector<Variant>> rows;
    {
        Finalizer holder;
        sqlite3_stmt* q = prepareOnce(source, query, holder);
        if (sqlite3_column_count(q) != static_cast<int>(columns.size()))
            raiseEngine(err::QueryValuesMismatch);
        int rc;
        while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
            std::vector<Variant> row(columns.size());
            for (std::size_t i = 0; i < columns.size(); ++i)
                row[i] = storedColumn(q, static_cast<int>(i));
            rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) source.raise(rc, query);
    }

    std::string insert = "INSERT INTO main." + quoteIdent(table.name) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        insert += (i ? ", " : "") + quoteIdent(columns[i]);
    insert += ") VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        insert += i ? ", ?" : "?";
    insert += ")";

    target.beforeWrite();
    target.exec("SAVEPOINT jet_statement");
    try {
        Finalizer holder;
        sqlite3_stmt* ins = prepareOnce(target, insert, holder);
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i)
                bindVariant(ins, static_cast<int>(i) + 1, row[i]);
            const int rc = sqlite3_step(ins);
            if (rc != SQLITE_DONE) target.raise(rc, insert);
            sqlite3_reset(ins);
        }
        target.exec("RELEASE jet_statement");
    } catch (...) {
        sqlite3_exec(target.db, "ROLLBACK TO jet_statement; RELEASE jet_statement", nullptr,
                     nullptr, nullptr);
        target.touch();
        throw;
    }
    target.touch();
    return static_cast<long>(rows.size());
}

long executeIn(Store& source, const TranslatedStatement& st) {
    const ResolvedPath r = resolvePath(*st.inPath);
    if (!r.exists) raiseEngine(r.folderExists ? err::FileNotFound : err::InvalidPath, *st.inPath);
    EngineState& state = EngineState::get();

    std::shared_ptr<Store> target;
    std::shared_ptr<FileLock> lock;
    if (r.path == source.path) {
        target = source.shared_from_this();
    } else if (source.attachment.target && source.attachment.path == r.path) {
        target = source.attachment.target;
    } else {
        lock = FileLock::acquire(r.path, false);
        target = state.openStore(r.path);
    }
    if (target->hasPassword) raiseEngine(err::InvalidPassword);
    if (target->readOnlyConnection) raiseEngine(err::ReadOnly);
    const auto table = target->table(st.targetTable);
    if (!table) raiseEngine(err::InputTableNotFound, st.targetTable);

    if (state.transaction) {
        const long copied = copyRows(source, *target, st, *table);
        if (lock && !target->transactionLock) target->transactionLock = std::move(lock);
        return copied;
    }

    const auto wrap = converter(table.get(), source, st.targetColumns);
    long changed;
    if (target.get() == &source) {
        source.beforeWrite();
        changed = runStatement(source, st.render("main", wrap));
    } else {
        attach(source, r.path, target, std::move(lock));
        changed = runStatement(source, st.render("jet_in", wrap));
    }
    target->touch();
    return changed;
}

} // namespace

void registerFunctions(sqlite3* db) {
    sqlite3_create_function_v2(db, "jet_cvt", 5,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               jetConvert, nullptr, nullptr, nullptr);
    registerFold(db);
}

void executeJet(DatabaseImpl& db, std::string_view sql) {
    Store& s = db.checkedStore();
    const auto st = translateJetCached(sql);
    if (st->kind == StatementKind::Select) raiseEngine(err::InvalidOperation);
    if (st->kind == StatementKind::Other) raiseEngine(err::InvalidSqlStatement);
    db.writableStore();
    db.recordsAffected = 0;
    if (st->inPath) {
        db.recordsAffected = executeIn(s, *st);
        return;
    }
    const auto table = s.table(st->targetTable);
    const std::string text = st->render({}, converter(table.get(), s, st->targetColumns));
    s.beforeWrite();
    try {
        db.recordsAffected = runStatement(s, text);
    } catch (...) {
        s.touch();
        throw;
    }
    s.touch();
}

} // namespace engine::detail
