#include "engine/JetSql.h"

#include "engine/EngineErrors.h"
#include "runtime/Error.h"

#include <algorithm>
#include <cctype>
#include <list>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace engine {

namespace {

// Words that are never names when they stand bare (a bracketed [DESC] is a name).
constexpr std::string_view kReserved[] = {
    "ALL",   "AND",    "AS",    "ASC",    "BETWEEN", "BY",    "DELETE", "DESC",   "DISTINCT",
    "FALSE", "FROM",   "GROUP", "HAVING", "IN",      "INNER", "INSERT", "INTO",   "IS",
    "JOIN",  "LEFT",   "LIKE",  "NOT",    "NULL",    "ON",    "OR",     "ORDER",  "OUTER",
    "RIGHT", "SELECT", "SET",   "TOP",    "TRUE",    "UNION", "UPDATE", "VALUES", "WHERE",
};

// Aggregates whose Jet and SQLite meanings agree; no other function is passed on.
constexpr std::string_view kFunctions[] = {"AVG", "COUNT", "MAX", "MIN", "SUM"};

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

template <std::size_t N> bool listed(const std::string_view (&words)[N], std::string_view w) {
    for (std::string_view k : words)
        if (equalsNoCase(k, w)) return true;
    return false;
}

bool isWordStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || u >= 0x80;
}
bool isWordChar(char c) {
    return isWordStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

std::string quoteIdent(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string quoteString(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + '\'';
}

enum class Tok { Word, Name, String, Number, Symbol, End };

struct Token {
    Tok kind = Tok::End;
    std::string text; // Word/Symbol/Number: as written; Name: without brackets; String: value
    std::size_t pos = 0;
};

std::string trimmedFrom(std::string_view sql, std::size_t pos) {
    std::string_view rest = sql.substr(std::min(pos, sql.size()));
    while (!rest.empty() &&
           (std::isspace(static_cast<unsigned char>(rest.back())) || rest.back() == ';'))
        rest.remove_suffix(1);
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front())))
        rest.remove_prefix(1);
    return std::string(rest);
}

class Lexer {
public:
    explicit Lexer(std::string_view sql) : sql_(sql) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        for (;;) {
            while (i_ < sql_.size() && std::isspace(static_cast<unsigned char>(sql_[i_])))
                ++i_;
            Token t;
            t.pos = i_;
            if (i_ >= sql_.size()) {
                out.push_back(t);
                return out;
            }
            const char c = sql_[i_];
            if (isWordStart(c)) {
                std::size_t j = i_;
                while (j < sql_.size() && isWordChar(sql_[j]))
                    ++j;
                t.kind = Tok::Word;
                t.text = std::string(sql_.substr(i_, j - i_));
                i_ = j;
            } else if (c == '[') {
                const std::size_t close = sql_.find(']', i_ + 1);
                if (close == std::string_view::npos || close == i_ + 1) fail(i_);
                t.kind = Tok::Name;
                t.text = std::string(sql_.substr(i_ + 1, close - i_ - 1));
                i_ = close + 1;
            } else if (c == '\'' || c == '"') {
                t.kind = Tok::String;
                t.text = afterIn(out) ? path(c) : string(c);
            } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                       (c == '.' && i_ + 1 < sql_.size() &&
                        std::isdigit(static_cast<unsigned char>(sql_[i_ + 1])))) {
                t.kind = Tok::Number;
                t.text = number();
            } else {
                t.kind = Tok::Symbol;
                t.text = symbol();
            }
            out.push_back(std::move(t));
        }
    }

private:
    [[noreturn]] void fail(std::size_t at) {
        raiseEngine(err::SyntaxErrorInExpression, trimmedFrom(sql_, at));
    }

    static bool afterIn(const std::vector<Token>& out) {
        return !out.empty() && out.back().kind == Tok::Word && equalsNoCase(out.back().text, "IN");
    }

    // A quoted literal; the quote doubled stands for itself.
    std::string string(char quote) {
        std::string value;
        std::size_t j = i_ + 1;
        for (;;) {
            if (j >= sql_.size()) fail(i_);
            if (sql_[j] == quote) {
                if (j + 1 < sql_.size() && sql_[j + 1] == quote) {
                    value += quote;
                    j += 2;
                    continue;
                }
                break;
            }
            value += sql_[j++];
        }
        i_ = j + 1;
        return value;
    }

    // The file of `IN '...'`. Paths are written between quotes without escaping, so a
    // path may hold the quote itself: the literal ends at the quote that is followed by
    // the statement's next part (SELECT or VALUES). Without one, it is an ordinary literal.
    std::string path(char quote) {
        for (std::size_t j = sql_.find(quote, i_ + 1); j != std::string_view::npos;
             j = sql_.find(quote, j + 1)) {
            std::size_t k = j + 1;
            while (k < sql_.size() && std::isspace(static_cast<unsigned char>(sql_[k])))
                ++k;
            std::size_t e = k;
            while (e < sql_.size() && isWordChar(sql_[e]))
                ++e;
            const std::string_view next = sql_.substr(k, e - k);
            if (equalsNoCase(next, "SELECT") || equalsNoCase(next, "VALUES")) {
                std::string value(sql_.substr(i_ + 1, j - i_ - 1));
                i_ = j + 1;
                return value;
            }
        }
        return string(quote);
    }

    std::string number() {
        std::size_t j = i_;
        auto digits = [&] {
            while (j < sql_.size() && std::isdigit(static_cast<unsigned char>(sql_[j])))
                ++j;
        };
        digits();
        if (j < sql_.size() && sql_[j] == '.') {
            ++j;
            digits();
        }
        if (j < sql_.size() && (sql_[j] == 'E' || sql_[j] == 'e')) {
            std::size_t k = j + 1;
            if (k < sql_.size() && (sql_[k] == '+' || sql_[k] == '-')) ++k;
            if (k < sql_.size() && std::isdigit(static_cast<unsigned char>(sql_[k]))) {
                j = k;
                digits();
            }
        }
        // A name may not begin with a digit unless it is bracketed ([4022PhysDisExp]).
        if (j < sql_.size() && (isWordChar(sql_[j]) || sql_[j] == '.' || sql_[j] == '[')) fail(i_);
        std::string text(sql_.substr(i_, j - i_));
        i_ = j;
        return text;
    }

    std::string symbol() {
        const char c = sql_[i_];
        const char n = i_ + 1 < sql_.size() ? sql_[i_ + 1] : '\0';
        if ((c == '<' && (n == '>' || n == '=')) || (c == '>' && n == '=')) {
            i_ += 2;
            return std::string{c, n};
        }
        switch (c) {
        case '=':
        case '<':
        case '>':
        case '+':
        case '-':
        case '*':
        case '/':
        case '(':
        case ')':
        case ',':
        case '.':
        case ';':
        case '?':
            ++i_;
            return std::string(1, c);
        default:
            fail(i_); // # dates, & joins, ! qualifiers ...: not forms this system writes
        }
    }

    std::string_view sql_;
    std::size_t i_ = 0;
};

using Piece = TranslatedStatement::Piece;

class Translator {
public:
    explicit Translator(std::string_view sql) : sql_(sql), toks_(Lexer(sql).run()) {}

    TranslatedStatement run() {
        const Token& first = peek();
        if (isKw(first, "SELECT")) {
            out_.kind = StatementKind::Select;
            text(select().sql());
        } else if (isKw(first, "INSERT")) {
            insert();
        } else if (isKw(first, "UPDATE")) {
            update();
        } else if (isKw(first, "DELETE")) {
            remove();
        } else {
            raiseEngine(err::InvalidSqlStatement);
        }
        acceptSym(";");
        if (peek().kind != Tok::End) raiseEngine(err::CharactersAfterEnd);
        out_.plainSql = out_.render();
        return std::move(out_);
    }

    // The text as the condition of a WHERE clause, and nothing after it.
    std::string runCondition() {
        std::string sql = condition();
        if (peek().kind != Tok::End) raiseEngine(err::CharactersAfterEnd);
        return withSources(sql, {});
    }

private:
    struct Select {
        std::string head; // "SELECT " or "SELECT DISTINCT "
        std::vector<std::string> items;
        std::vector<std::string> aliases; // " AS ..." or empty, one per item
        bool star = false;                // an item stands for several columns
        std::string tail;                 // " FROM ..." onwards
        std::string sql() const {
            std::string s = head;
            for (std::size_t i = 0; i < items.size(); ++i)
                s += (i ? ", " : "") + items[i] + aliases[i];
            return s + tail;
        }
    };

    // --- tokens ---
    const Token& peek(std::size_t k = 0) const { return toks_[std::min(i_ + k, toks_.size() - 1)]; }
    const Token& next() {
        const Token& t = peek();
        if (i_ < toks_.size() - 1) ++i_;
        return t;
    }
    static bool isKw(const Token& t, std::string_view kw) {
        return t.kind == Tok::Word && equalsNoCase(t.text, kw);
    }
    static bool isSym(const Token& t, std::string_view s) {
        return t.kind == Tok::Symbol && t.text == s;
    }
    static bool isName(const Token& t) {
        return t.kind == Tok::Name || (t.kind == Tok::Word && !listed(kReserved, t.text));
    }
    bool acceptKw(std::string_view kw) {
        if (!isKw(peek(), kw)) return false;
        next();
        return true;
    }
    bool acceptSym(std::string_view s) {
        if (!isSym(peek(), s)) return false;
        next();
        return true;
    }
    void expectKw(std::string_view kw, int number) {
        if (!acceptKw(kw)) raiseEngine(number);
    }
    void expectSym(std::string_view s, int number) {
        if (!acceptSym(s)) raiseEngine(number);
    }
    std::string name(int number) {
        if (!isName(peek())) raiseEngine(number);
        return next().text;
    }

    // --- output ---
    void text(std::string s) {
        if (!out_.pieces.empty() && out_.pieces.back().kind == Piece::Kind::Text)
            out_.pieces.back().text += s;
        else
            out_.pieces.push_back({Piece::Kind::Text, std::move(s), 0});
    }
    void piece(Piece::Kind kind, std::string s = {}, std::size_t column = 0) {
        out_.pieces.push_back({kind, std::move(s), column});
    }

    // --- expressions ---
    // What the translator knows of an expression's value: Number and Text only for
    // literals and what is computed from them alone; a field's type is not known here.
    enum class Type { Number, Text, Null, Unknown, Truth };
    struct Expr {
        std::string sql;
        Type type = Type::Unknown;
    };
    // A comparison's truth (or AND, OR, NOT of such) where a value is wanted: Jet's True
    // is -1, SQLite's 1.
    static Expr value(const Expr& e) {
        if (e.type != Type::Truth) return e;
        return {"-(" + e.sql + ")", Type::Number};
    }

    // A top-level expression: its errors name the expression's text, as Jet's do.
    // condition(): tested for truth (WHERE, ON, HAVING); expression(): a value.
    std::string condition() { return topLevel(false); }
    std::string expression() { return topLevel(true); }
    std::string topLevel(bool asValue) {
        const std::size_t start = peek().pos;
        try {
            Expr x = orExpr();
            std::string e = asValue ? value(x).sql : x.sql;
            // Two operands in a row: Jet's "missing operator".
            const Token& t = peek();
            if (t.kind == Tok::Number || t.kind == Tok::String || t.kind == Tok::Name ||
                isSym(t, "(") || (t.kind == Tok::Word && !listed(kReserved, t.text)))
                bad();
            return e;
        } catch (const ExpressionError&) {
            raiseEngine(err::SyntaxErrorInExpression, trimmedFrom(sql_, start));
        }
    }
    struct ExpressionError {};
    [[noreturn]] static void bad() { throw ExpressionError{}; }

    Expr orExpr() {
        Expr e = andExpr();
        while (acceptKw("OR"))
            e = {e.sql + " OR " + andExpr().sql, Type::Truth};
        return e;
    }
    Expr andExpr() {
        Expr e = notExpr();
        while (acceptKw("AND"))
            e = {e.sql + " AND " + notExpr().sql, Type::Truth};
        return e;
    }
    Expr notExpr() {
        if (acceptKw("NOT")) return {"NOT " + notExpr().sql, Type::Truth};
        return comparison();
    }
    // Jet refuses to compare a text with a number; SQLite would answer. Only literals
    // are known here.
    static void comparable(const Expr& a, const Expr& b) {
        if ((a.type == Type::Text && b.type == Type::Number) ||
            (a.type == Type::Number && b.type == Type::Text))
            raiseEngine(err::TypeMismatchInCriteria);
    }
    Expr comparison() {
        Expr e = additive();
        const Token& t = peek();
        if (t.kind == Tok::Symbol && (t.text == "=" || t.text == "<>" || t.text == "<" ||
                                      t.text == ">" || t.text == "<=" || t.text == ">=")) {
            const std::string op = next().text;
            e = value(e);
            const Expr right = value(additive());
            comparable(e, right);
            return {e.sql + " " + op + " " + right.sql, Type::Truth};
        }
        if (acceptKw("IS")) {
            const bool negated = acceptKw("NOT");
            if (!acceptKw("NULL")) bad();
            return {value(e).sql + (negated ? " IS NOT NULL" : " IS NULL"), Type::Truth};
        }
        // Jet's LIKE wildcards are not SQLite's: refused rather than passed on.
        if (isKw(t, "LIKE") || (isKw(t, "NOT") && isKw(peek(1), "LIKE"))) bad();
        const bool negated = isKw(t, "NOT") && (isKw(peek(1), "BETWEEN") || isKw(peek(1), "IN"));
        if (negated) next();
        const std::string notText = negated ? " NOT" : "";
        if (negated || isKw(peek(), "BETWEEN") || isKw(peek(), "IN")) e = value(e);
        if (acceptKw("BETWEEN")) {
            const Expr low = value(additive());
            if (!acceptKw("AND")) bad();
            const Expr high = value(additive());
            comparable(e, low);
            comparable(e, high);
            return {e.sql + notText + " BETWEEN " + low.sql + " AND " + high.sql, Type::Truth};
        }
        if (acceptKw("IN")) {
            if (!acceptSym("(")) bad();
            if (isKw(peek(), "SELECT")) return inSubquery(e, notText);
            std::string list;
            do {
                const Expr item = value(orExpr());
                comparable(e, item);
                list += (list.empty() ? "" : ", ") + item.sql;
            } while (acceptSym(","));
            if (!acceptSym(")")) bad();
            return {e.sql + notText + " IN (" + list + ")", Type::Truth};
        }
        return e;
    }
    // `x IN (SELECT one column FROM ...)`: the values of a query of the same file.
    Expr inSubquery(const Expr& e, const std::string& notText) {
        const Select s = select(true);
        if (s.star || s.items.size() != 1 || !acceptSym(")")) bad();
        return {e.sql + notText + " IN (" + s.sql() + ")", Type::Truth};
    }
    // SQLite's operators agree with Jet's on numbers only: "+" of texts would add them as
    // numbers, and a text that is no number would count as 0 rather than be refused.
    // Anything not known to be a number goes through the engine's functions, which follow
    // the runtime's operators (SqlFunctions.h).
    static Expr arithmetic(const Expr& x, std::string_view op, const Expr& y) {
        const Expr a = value(x), b = value(y);
        if (a.type == Type::Number && b.type == Type::Number) {
            // Jet divides in floating point; SQLite would drop the fraction of integers.
            if (op == "/") return {"CAST(" + a.sql + " AS REAL) / " + b.sql, Type::Number};
            return {a.sql + " " + std::string(op) + " " + b.sql, Type::Number};
        }
        const char* fn = op == "+"   ? "jet_add"
                         : op == "-" ? "jet_sub"
                         : op == "*" ? "jet_mul"
                                     : "jet_div";
        return {std::string(fn) + "(" + a.sql + ", " + b.sql + ")", Type::Unknown};
    }
    Expr additive() {
        Expr e = multiplicative();
        while (isSym(peek(), "+") || isSym(peek(), "-")) {
            const std::string op = next().text;
            e = arithmetic(e, op, multiplicative());
        }
        return e;
    }
    Expr multiplicative() {
        Expr e = unary();
        while (isSym(peek(), "*") || isSym(peek(), "/")) {
            const std::string op = next().text;
            e = arithmetic(e, op, unary());
        }
        return e;
    }
    Expr unary() {
        if (acceptSym("-")) {
            Expr e = value(unary());
            if (e.type != Type::Number) return {"jet_neg(" + e.sql + ")", Type::Unknown};
            // "--" would open a comment in SQLite.
            return {(e.sql.front() == '-' ? "- " : "-") + e.sql, Type::Number};
        }
        if (acceptSym("+")) return unary();
        return primary();
    }
    Expr primary() {
        const Token& t = peek();
        switch (t.kind) {
        case Tok::Number:
            return {next().text, Type::Number};
        case Tok::String:
            return {quoteString(next().text), Type::Text};
        case Tok::Symbol:
            if (acceptSym("(")) {
                Expr e = orExpr();
                if (!acceptSym(")")) bad();
                return {"(" + e.sql + ")", e.type};
            }
            // A parameter: unnumbered, as every piece of the text keeps the parameters in
            // their order. SQLite takes ?NNN numbers in time growing with their count.
            if (acceptSym("?")) {
                ++out_.valueParameters;
                return {"?", Type::Unknown};
            }
            bad();
        case Tok::Word:
            if (acceptKw("TRUE")) return {"-1", Type::Number};
            if (acceptKw("FALSE")) return {"0", Type::Number};
            if (acceptKw("NULL")) return {"NULL", Type::Null};
            if (isSym(peek(1), "(")) return function();
            [[fallthrough]];
        case Tok::Name:
            if (!isName(t)) bad();
            return {columnRef(), Type::Unknown};
        case Tok::End:
            bad();
        }
        bad();
    }
    Expr function() {
        const std::string fn = next().text;
        if (equalsNoCase(fn, "IIF")) return iif();
        if (!listed(kFunctions, fn)) bad();
        next(); // (
        std::string args;
        const bool count = equalsNoCase(fn, "COUNT");
        if (count && acceptSym("*"))
            args = "*";
        else
            args = value(orExpr()).sql;
        if (!acceptSym(")")) bad();
        std::string upper;
        for (char c : fn)
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return {upper + "(" + args + ")", count ? Type::Number : Type::Unknown};
    }
    // IIf(condition, a, b): a when the condition holds; b when it is False or Null, as in Jet.
    Expr iif() {
        next(); // (
        const Expr condition = orExpr();
        if (!acceptSym(",")) bad();
        const Expr a = value(orExpr());
        if (!acceptSym(",")) bad();
        const Expr b = value(orExpr());
        if (!acceptSym(")")) bad();
        return {"CASE WHEN " + condition.sql + " THEN " + a.sql + " ELSE " + b.sql + " END",
                a.type == b.type ? a.type : Type::Unknown};
    }
    std::string columnRef() {
        std::string e = quoteIdent(next().text);
        if (acceptSym(".")) {
            if (!isName(peek())) bad();
            e += "." + quoteIdent(next().text);
        }
        return e;
    }

    // --- SELECT ---
    // nested: a subquery, which the caller's ")" ends.
    Select select(bool nested = false) {
        Select s;
        expectKw("SELECT", err::SyntaxErrorInSelect);
        s.head = acceptKw("DISTINCT") ? "SELECT DISTINCT " : "SELECT ";
        if (isKw(peek(), "TOP") || isKw(peek(), "ALL")) raiseEngine(err::SyntaxErrorInSelect);
        do {
            if (acceptSym("*")) {
                s.items.push_back("*");
                s.aliases.emplace_back();
                s.star = true;
            } else if (isName(peek()) && isSym(peek(1), ".") && isSym(peek(2), "*")) {
                s.items.push_back(quoteIdent(next().text) + ".*");
                s.aliases.emplace_back();
                next();
                next();
                s.star = true;
            } else {
                s.items.push_back(expression());
                s.aliases.push_back(
                    acceptKw("AS") ? " AS " + quoteIdent(name(err::SyntaxErrorInSelect)) : "");
            }
        } while (acceptSym(","));
        expectKw("FROM", err::SyntaxErrorInSelect);
        s.tail = " FROM " + fromList();
        if (acceptKw("WHERE")) s.tail += " WHERE " + condition();
        if (acceptKw("GROUP")) {
            expectKw("BY", err::SyntaxErrorInSelect);
            s.tail += " GROUP BY " + expression();
            while (acceptSym(","))
                s.tail += ", " + expression();
            if (acceptKw("HAVING")) s.tail += " HAVING " + condition();
        }
        if (acceptKw("ORDER")) {
            expectKw("BY", err::SyntaxErrorInOrderBy);
            s.tail += " ORDER BY ";
            do {
                if (isSym(peek(), ";") || peek().kind == Tok::End)
                    raiseEngine(err::SyntaxErrorInOrderBy);
                s.tail += expression();
                if (acceptKw("ASC"))
                    s.tail += " ASC";
                else if (acceptKw("DESC"))
                    s.tail += " DESC";
                if (isSym(peek(), ",")) s.tail += ", ";
            } while (acceptSym(","));
        }
        if (!nested && peek().kind != Tok::End && !isSym(peek(), ";"))
            raiseEngine(err::SyntaxErrorInSelect);
        return s;
    }

    std::string fromList() {
        std::string f = joined();
        while (acceptSym(","))
            f += ", " + joined();
        return f;
    }
    std::string joined() {
        std::string f = tableRef();
        for (;;) {
            std::string op;
            if (acceptKw("LEFT"))
                op = " LEFT JOIN ";
            else if (acceptKw("RIGHT"))
                op = " RIGHT JOIN ";
            else if (acceptKw("INNER"))
                op = " INNER JOIN ";
            else if (isKw(peek(), "JOIN") || isKw(peek(), "OUTER"))
                raiseEngine(err::SyntaxErrorInJoin);
            else
                return f;
            if (op != " INNER JOIN ") acceptKw("OUTER");
            expectKw("JOIN", err::SyntaxErrorInJoin);
            f += op + tableRef();
            expectKw("ON", err::SyntaxErrorInJoin);
            f += " ON " + condition();
        }
    }
    std::string tableRef() {
        if (acceptSym("(")) {
            std::string f = "(" + joined() + ")";
            expectSym(")", err::SyntaxErrorInFrom);
            return f;
        }
        std::string f = kSourceMark + quoteIdent(name(err::SyntaxErrorInFrom));
        if (acceptKw("AS") || isName(peek()))
            f += " AS " + quoteIdent(name(err::SyntaxErrorInFrom));
        return f;
    }

    // --- INSERT ---
    void insert() {
        out_.kind = StatementKind::Insert;
        next(); // INSERT
        expectKw("INTO", err::SyntaxErrorInInsert);
        out_.targetTable = name(err::SyntaxErrorInInsert);
        std::string head = " INTO ";
        std::string columns;
        if (acceptSym("(")) {
            do {
                out_.targetColumns.push_back(name(err::SyntaxErrorInInsert));
                columns += (columns.empty() ? "" : ", ") + quoteIdent(out_.targetColumns.back());
            } while (acceptSym(","));
            expectSym(")", err::SyntaxErrorInInsert);
            columns = " (" + columns + ")";
        }
        if (acceptKw("IN")) {
            if (acceptSym("?"))
                out_.pathParameter = true;
            else if (peek().kind != Tok::String || peek().text.empty())
                raiseEngine(err::SyntaxErrorInInsert);
            else
                out_.inPath = next().text;
        }
        text("INSERT");
        piece(Piece::Kind::ConflictClause);
        text(" INTO ");
        if (out_.inPath || out_.pathParameter) piece(Piece::Kind::SchemaPrefix);
        text(quoteIdent(out_.targetTable) + columns + " ");

        std::vector<std::string> values;
        std::string tail;
        if (isKw(peek(), "SELECT")) {
            Select s = select();
            if (s.star) {
                text(s.sql());
                return;
            }
            text(s.head);
            values = std::move(s.items);
            tail = s.tail;
        } else if (acceptKw("VALUES")) {
            expectSym("(", err::SyntaxErrorInInsert);
            do
                values.push_back(expression());
            while (acceptSym(","));
            expectSym(")", err::SyntaxErrorInInsert);
            text("VALUES (");
            tail = ")";
        } else {
            raiseEngine(err::SyntaxErrorInInsert);
        }
        if (!out_.targetColumns.empty() && values.size() != out_.targetColumns.size())
            raiseEngine(err::QueryValuesMismatch);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i) text(", ");
            // Without a column list the values' targets are not known here.
            if (out_.targetColumns.empty())
                text(values[i]);
            else
                piece(Piece::Kind::Value, values[i], i);
        }
        text(tail);
    }

    // --- UPDATE ---
    void update() {
        out_.kind = StatementKind::Update;
        next(); // UPDATE
        out_.targetTable = name(err::SyntaxErrorInUpdate);
        expectKw("SET", err::SyntaxErrorInUpdate);
        text("UPDATE");
        piece(Piece::Kind::ConflictClause);
        text(" " + quoteIdent(out_.targetTable) + " SET ");
        do {
            std::string column = name(err::SyntaxErrorInUpdate);
            if (acceptSym(".")) {
                // SQLite takes no qualifier here; Jet's may only name the target itself.
                if (!equalsNoCase(column, out_.targetTable)) raiseEngine(err::SyntaxErrorInUpdate);
                column = name(err::SyntaxErrorInUpdate);
            }
            expectSym("=", err::SyntaxErrorInUpdate);
            if (!out_.targetColumns.empty()) text(", ");
            text(quoteIdent(column) + " = ");
            piece(Piece::Kind::Value, expression(), out_.targetColumns.size());
            out_.targetColumns.push_back(column);
        } while (acceptSym(","));
        if (acceptKw("WHERE")) text(" WHERE " + condition());
        if (peek().kind != Tok::End && !isSym(peek(), ";")) raiseEngine(err::SyntaxErrorInUpdate);
    }

    // --- DELETE ---
    void remove() {
        out_.kind = StatementKind::Delete;
        next(); // DELETE
        std::string qualifier;
        if (acceptSym("*")) {
        } else if (isName(peek()) && isSym(peek(1), ".") && isSym(peek(2), "*")) {
            qualifier = next().text;
            next();
            next();
        }
        expectKw("FROM", err::SyntaxErrorInFrom);
        out_.targetTable = name(err::SyntaxErrorInFrom);
        if (!qualifier.empty() && !equalsNoCase(qualifier, out_.targetTable))
            raiseEngine(err::SyntaxErrorInFrom);
        text("DELETE FROM " + quoteIdent(out_.targetTable));
        if (acceptKw("WHERE")) text(" WHERE " + condition());
        // Deleting through a join or from several tables is not a form of this system.
        if (peek().kind != Tok::End && !isSym(peek(), ";")) raiseEngine(err::SyntaxErrorInFrom);
    }

    std::string_view sql_;
    std::vector<Token> toks_;
    std::size_t i_ = 0;
    TranslatedStatement out_;
};

} // namespace

std::string withSources(std::string_view sql, std::string_view sourceSchema) {
    const std::string prefix = sourceSchema.empty() ? "" : quoteIdent(sourceSchema) + ".";
    std::string out;
    out.reserve(sql.size());
    char quote = 0; // the quote of the literal or name being read; a doubled one stays inside
    for (char c : sql) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == kSourceMark) {
            out += prefix;
            continue;
        }
        out += c;
    }
    return out;
}

std::string TranslatedStatement::render(std::string_view schema, const ValueWrapper& wrapValue,
                                        bool ignoreFailedRows,
                                        std::string_view sourceSchema) const {
    std::string sql;
    for (const Piece& p : pieces) {
        switch (p.kind) {
        case Piece::Kind::Text:
            sql += p.text;
            break;
        case Piece::Kind::ConflictClause:
            if (ignoreFailedRows) sql += " OR IGNORE";
            break;
        case Piece::Kind::SchemaPrefix:
            if (!schema.empty()) sql += quoteIdent(schema) + ".";
            break;
        case Piece::Kind::Value:
            sql += wrapValue ? wrapValue(p.column, p.text) : p.text;
            break;
        }
    }
    return withSources(sql, sourceSchema);
}

TranslatedStatement translateJet(std::string_view jetSql) {
    try {
        return Translator(jetSql).run();
    } catch (runtime::Error& e) {
        e.from(std::string(jetSql), 0);
        throw;
    }
}

std::string translateJetCondition(std::string_view jetCondition) {
    try {
        return Translator(jetCondition).runCondition();
    } catch (runtime::Error& e) {
        e.from(std::string(jetCondition), 0);
        throw;
    }
}

std::shared_ptr<const TranslatedStatement> translateJetCached(std::string_view jetSql) {
    // Least recently used texts drop out first.
    constexpr std::size_t kCapacity = 512;
    using Item = std::pair<std::string, std::shared_ptr<const TranslatedStatement>>;
    static std::mutex mutex;
    static std::list<Item> order;
    static std::unordered_map<std::string_view, std::list<Item>::iterator> index;

    {
        std::lock_guard guard(mutex);
        if (auto it = index.find(jetSql); it != index.end()) {
            order.splice(order.begin(), order, it->second);
            return it->second->second;
        }
    }
    auto translated = std::make_shared<const TranslatedStatement>(translateJet(jetSql));
    std::lock_guard guard(mutex);
    if (auto it = index.find(jetSql); it != index.end()) return it->second->second;
    order.emplace_front(std::string(jetSql), translated);
    index.emplace(order.front().first, order.begin());
    if (order.size() > kCapacity) {
        index.erase(order.back().first);
        order.pop_back();
    }
    return translated;
}

} // namespace engine
