// Database.Execute: a Jet statement translated once, its stored values converted to the
// target fields' types, and `IN 'path'` targets reached without the path entering SQL.

#include "engine/DaoInternal.h"
#include "engine/EngineErrors.h"
#include "engine/FoldedKeys.h"
#include "engine/JetSql.h"
#include "engine/RowSource.h"
#include "engine/RowidGuard.h"
#include "engine/SqlFunctions.h"
#include "engine/SqliteValues.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <sqlite3.h>

namespace engine::detail {

namespace {

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

// The value of expr converted to field f of the target, as every write converts it.
std::string convertedValue(const std::string& expr, const FieldInfo& f, const TableInfo& target) {
    const int flags =
        (f.required ? kCvtRequired : 0) | (f.allowZeroLength ? kCvtAllowZeroLength : 0);
    return "jet_cvt(" + expr + ", " + std::to_string(f.type) + ", " + std::to_string(f.size) +
           ", " + std::to_string(flags) + ", " + sqlLiteral(Variant(target.name + "." + f.name)) +
           ")";
}

// The field of the target that stores the value of `column`, if any.
const FieldInfo* targetField(const TableInfo* target, const std::vector<std::string>& columns,
                             std::size_t column) {
    if (!target || column >= columns.size()) return nullptr;
    const int ord = target->ordinalOf(columns[column]);
    return ord < 0 ? nullptr : &target->fields[static_cast<std::size_t>(ord)];
}

// Whether the value is a column of a field whose values f already holds: stored as it is.
bool copiedAsItIs(Store& source, const std::string& expr, const FieldInfo& f) {
    if (constantValue(expr)) return false;
    const auto ref = columnRef(expr);
    return ref && sourceStoresUnchanged(source, *ref, f);
}

// The kinds whose column copied as it is is checked, for a value another program stored
// there that the field cannot hold (a number beyond an Integer or Long, a text); jet_fit's
// letter for each. A Double or Date column is not: a main table has hundreds of them, and
// checking each would cost more than the copy itself may. A text there is copied as it is
// and refused when read (holdsFieldValue in JetValues.h).
char fitLetter(int type) {
    switch (type) {
    case dbInteger:
        return 'I';
    case dbLong:
        return 'L';
    default:
        return 0;
    }
}

struct CopiedColumn {
    std::size_t column;
    const std::string* expr;
    const FieldInfo* field;
};

// One call of jet_fit checking the values of up to kFitValues columns copied as they are;
// it stands in the place of the first of them, whose value it gives.
std::string fitCall(const std::vector<CopiedColumn>& copied, const TableInfo& target) {
    std::string letters, names, values;
    for (const CopiedColumn& c : copied) {
        letters += fitLetter(c.field->type);
        names += target.name + "." + c.field->name + kFitNameEnd;
        values += ", " + *c.expr;
    }
    return "jet_fit(" + sqlLiteral(Variant(letters)) + ", " + sqlLiteral(Variant(names)) + values +
           ")";
}

// The values of a statement that are columns copied as they are into fields of kinds that
// are checked (fitLetter).
std::vector<CopiedColumn> copiedColumns(const TranslatedStatement& st, const TableInfo* target,
                                        Store& source, const std::vector<std::string>& columns) {
    std::vector<CopiedColumn> copied;
    for (const auto& p : st.pieces) {
        if (p.kind != TranslatedStatement::Piece::Kind::Value) continue;
        const FieldInfo* f = targetField(target, columns, p.column);
        if (f && fitLetter(f->type) && copiedAsItIs(source, p.text, *f))
            copied.push_back({p.column, &p.text, f});
    }
    return copied;
}

// Where the columns copied as they are get checked: by jet_fit in the statement, or by
// the reader of the rows (the streamed rows, RowSource.h).
enum class CopyCheck { InStatement, ByReader };

// Wraps each stored value in a conversion to its field's type, unless it is a literal
// (converted here, once) or a column that already holds values of that type. Those are
// checked by one call of jet_fit a row for all of them, not a call for each value: a value
// only another program can have stored there is refused, and every other passes as it is.
TranslatedStatement::ValueWrapper converter(const TranslatedStatement& st, const TableInfo* target,
                                            Store& source, const std::vector<std::string>& columns,
                                            CopyCheck check = CopyCheck::InStatement) {
    // The column each call stands in, and the call.
    auto fitCalls = std::make_shared<std::map<std::size_t, std::string>>();
    if (check == CopyCheck::InStatement) {
        const std::vector<CopiedColumn> copied = copiedColumns(st, target, source, columns);
        for (std::size_t at = 0; at < copied.size(); at += kFitValues) {
            const auto first = copied.begin() + static_cast<std::ptrdiff_t>(at);
            const auto end = copied.begin() +
                             static_cast<std::ptrdiff_t>(std::min(copied.size(), at + kFitValues));
            fitCalls->emplace(copied[at].column, fitCall({first, end}, *target));
        }
    }
    return [target, &source, &columns, fitCalls](std::size_t column, const std::string& expr) {
        const FieldInfo* f = targetField(target, columns, column);
        if (!f) return expr;
        if (const auto literal = constantValue(expr)) {
            try {
                return sqlLiteral(toFieldValue(*literal, *f, target->name));
            } catch (const runtime::Error&) {
                // Refused only if a row is actually written: converted row by row below.
            }
        } else if (copiedAsItIs(source, expr, *f)) {
            const auto call = fitCalls->find(column);
            return call != fitCalls->end() ? call->second : expr;
        }
        return convertedValue(expr, *f, *target);
    };
}

struct Finalizer {
    sqlite3_stmt* s = nullptr;
    ~Finalizer() { sqlite3_finalize(s); }
};

// Prepares the text and binds the statement's values to its parameters, in order.
sqlite3_stmt* prepareOnce(Store& s, const std::string& text, const std::vector<Variant>& values,
                          Finalizer& holder) {
    const int rc =
        sqlite3_prepare_v2(s.db, text.c_str(), static_cast<int>(text.size()), &holder.s, nullptr);
    if (rc != SQLITE_OK) s.raise(rc, text);
    for (std::size_t i = 0; i < values.size(); ++i)
        bindVariant(holder.s, static_cast<int>(i + 1), values[i]);
    return holder.s;
}

long runStatement(Store& s, const std::string& text, const std::vector<Variant>& values) {
    Finalizer holder;
    sqlite3_stmt* q = prepareOnce(s, text, values, holder);
    int rc;
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) s.raise(rc, text);
    return static_cast<long>(sqlite3_changes64(s.db));
}

// Runs a statement that writes the file, joining the workspace transaction; the rows an
// INSERT adds take ids past the table's mark (RowidGuard.h).
long runWrite(Store& s, const TranslatedStatement& st, const TableInfo* table,
              const std::function<long()>& run) {
    s.beforeWrite();
    if (st.kind != StatementKind::Insert || !table) return run();
    return insertPastMark(s, *table, run);
}

// The SELECT (or VALUES) part of an INSERT ... IN statement, as a query of its own.
std::string sourceQuery(const TranslatedStatement& st,
                        const TranslatedStatement::ValueWrapper& wrap,
                        std::string_view sourceSchema = {}) {
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
    return withSources(sql, sourceSchema);
}

// The copy as one statement of the target's connection that reads the source file attached:
// as fast as a copy within one file. Only while the target holds its part of the workspace
// transaction and the source has nothing uncommitted (what it reads is the file as it
// stands); -1 when the copy cannot be made that way, before anything was written.
long copyRowsAttached(Store& source, Store& target, const TranslatedStatement& st,
                      const TableInfo& table, const std::vector<Variant>& values) {
    if (st.targetColumns.empty() || source.inTransaction || !sqlite3_get_autocommit(source.db))
        return -1;
    target.beforeWrite();
    if (!target.inTransaction) return -1;
    const std::string schema = target.attachSource(source.path);
    if (schema.empty()) return -1;
    std::string insert = "INSERT INTO main." + quoteIdent(table.name) + " (";
    for (std::size_t i = 0; i < st.targetColumns.size(); ++i)
        insert += (i ? ", " : "") + quoteIdent(st.targetColumns[i]);
    insert += ") " + sourceQuery(st, converter(st, &table, source, st.targetColumns), schema);
    Finalizer holder;
    // A text the source cannot answer is left to the other way, which names the source's
    // own error.
    if (sqlite3_prepare_v2(target.db, insert.c_str(), static_cast<int>(insert.size()), &holder.s,
                           nullptr) != SQLITE_OK)
        return -1;
    for (std::size_t i = 0; i < values.size(); ++i)
        bindVariant(holder.s, static_cast<int>(i + 1), values[i]);
    return runWrite(target, st, &table, [&] {
        const int rc = sqlite3_step(holder.s);
        target.touch();
        if (rc != SQLITE_DONE) target.raise(rc, insert);
        return static_cast<long>(sqlite3_changes64(target.db));
    });
}

// Runs the SELECT part on the source's connection and stores its rows with one statement
// of the target's own connection: the target file is written where the workspace
// transaction holds it, and the source is read where the transaction wrote it.
long copyRows(Store& source, Store& target, const TranslatedStatement& st, const TableInfo& table,
              const std::vector<Variant>& values) {
    if (const long copied = copyRowsAttached(source, target, st, table, values); copied >= 0)
        return copied;
    // The rows pass through our own reader, value by value: it checks the columns copied
    // as they are, at no cost to the query.
    const std::string query =
        sourceQuery(st, converter(st, &table, source, st.targetColumns, CopyCheck::ByReader));
    std::vector<std::string> columns = st.targetColumns;
    if (columns.empty())
        for (const FieldInfo& f : table.fields)
            columns.push_back(f.name);

    Finalizer holder;
    RowSource rows(source, prepareOnce(source, query, values, holder));
    if (sqlite3_column_count(rows.query) != static_cast<int>(columns.size()) ||
        columns.size() > static_cast<std::size_t>(kRowSourceColumns))
        raiseEngine(err::QueryValuesMismatch);
    std::vector<char> letters(columns.size());
    std::vector<std::string> names(columns.size());
    for (const CopiedColumn& c : copiedColumns(st, &table, source, st.targetColumns)) {
        letters[c.column] = fitLetter(c.field->type);
        names[c.column] = table.name + "." + c.field->name;
    }
    rows.checkColumns(std::move(letters), std::move(names));

    std::string insert = "INSERT INTO main." + quoteIdent(table.name) + " (";
    std::string select = " SELECT ";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        insert += (i ? ", " : "") + quoteIdent(columns[i]);
        select += (i ? ", c" : "c") + std::to_string(i);
    }
    insert += ")" + select + " FROM __jet_rows(?1)";

    return runWrite(target, st, &table, [&] {
        StmtUse ins(target.prepare(insert));
        sqlite3_bind_int64(ins, 1, rows.token());
        const int rc = sqlite3_step(ins);
        target.touch();
        if (rc != SQLITE_DONE) {
            rows.raiseIfFailed();
            target.raise(rc, insert);
        }
        return static_cast<long>(sqlite3_changes64(target.db));
    });
}

long executeIn(Store& source, const TranslatedStatement& st, const std::string& path,
               const std::vector<Variant>& values) {
    const ResolvedPath r = resolvePath(path);
    if (!r.exists) raiseEngine(r.folderExists ? err::FileNotFound : err::InvalidPath, path);
    EngineState& state = EngineState::get();

    std::shared_ptr<Store> target;
    std::shared_ptr<FileLock> lock;
    if (r.path == source.path) {
        target = source.shared_from_this();
    } else {
        lock = FileLock::acquire(r.path, false);
        target = state.openStore(r.path);
    }
    if (target->hasPassword) raiseEngine(err::InvalidPassword);
    if (target->readOnlyConnection) raiseEngine(err::ReadOnly);
    const auto table = target->table(st.targetTable);
    if (!table) raiseEngine(err::InputTableNotFound, st.targetTable);

    if (target.get() == &source) {
        const std::string text =
            st.render("main", converter(st, table.get(), source, st.targetColumns));
        const long changed =
            runWrite(source, st, table.get(), [&] { return runStatement(source, text, values); });
        source.touch();
        return changed;
    }
    const long copied = copyRows(source, *target, st, *table, values);
    // The target stays held until the transaction that wrote it ends.
    if (state.transactionLevel > 0 && lock && !target->transactionLock)
        target->transactionLock = std::move(lock);
    return copied;
}

// The parameters split into the file of `IN ?` and the values: as many as the text holds
// (3061 otherwise), the path a text.
struct Parameters {
    std::optional<std::string> path;
    std::vector<Variant> values;
};

Parameters splitParameters(const TranslatedStatement& st, const std::vector<Variant>& given) {
    const std::size_t expected = st.valueParameters + (st.pathParameter ? 1 : 0);
    if (given.size() != expected) raiseEngine(err::TooFewParameters, std::to_string(expected));
    Parameters out;
    auto value = given.begin();
    if (st.pathParameter) {
        if (value->type() != runtime::VarType::String || value->rawString().empty())
            raiseEngine(err::InvalidArgument);
        out.path = value->rawString();
        ++value;
    } else {
        out.path = st.inPath;
    }
    out.values.assign(value, given.end());
    return out;
}

} // namespace

void executeJet(DatabaseImpl& db, std::string_view sql, const std::vector<Variant>& parameters) {
    Store& s = db.checkedStore();
    const auto st = translateJetCached(sql);
    if (st->kind == StatementKind::Select) raiseEngine(err::CannotExecuteSelect);
    if (st->kind == StatementKind::Other) raiseEngine(err::InvalidSqlStatement);
    const Parameters p = splitParameters(*st, parameters);
    db.writableStore();
    db.recordsAffected = 0;
    if (p.path) {
        db.recordsAffected = executeIn(s, *st, *p.path, p.values);
        return;
    }
    const auto table = s.table(st->targetTable);
    const std::string text = st->render({}, converter(*st, table.get(), s, st->targetColumns));
    try {
        db.recordsAffected =
            runWrite(s, *st, table.get(), [&] { return runStatement(s, text, p.values); });
    } catch (...) {
        s.touch();
        throw;
    }
    s.touch();
}

} // namespace engine::detail
