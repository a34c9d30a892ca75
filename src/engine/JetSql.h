#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

enum class StatementKind { Select, Insert, Update, Delete, Other };

// One Jet statement as SQLite text, with what the engine must know to run it.
//
// The SQLite text is kept in pieces so that the caller can still fill in two things it
// alone knows: the schema name under which the file of an `IN 'path'` clause is attached,
// and how each inserted value is converted to its target field's type. The path itself
// is never part of the text.
struct TranslatedStatement {
    StatementKind kind = StatementKind::Other;
    std::string targetTable;                // INSERT/UPDATE/DELETE target, as Jet names it
    std::vector<std::string> targetColumns; // INSERT column list (empty: all, in table
                                            // order) or UPDATE SET columns, in order
    std::optional<std::string> inPath;      // the file of `IN 'path'`, when given
    // Parameters, given in the order the text holds them: `IN ?` takes the file's path
    // from the first; each `?` of an expression is a value, the 1st to nth `?` of the SQLite
    // text, in order.
    bool pathParameter = false;
    std::size_t valueParameters = 0;

    // Builds the SQLite text. schema: the attached schema name that qualifies the target
    // table (used only when inPath is set; empty leaves the target unqualified).
    // wrapValue, if given, is called for each value an INSERT or a SET stores, with the target
    // column's position in targetColumns and the value's SQLite expression, and returns
    // the expression to store instead (e.g. a conversion to the field's type). It is not
    // called for `SELECT *` sources, whose values are not listed one by one.
    // ignoreFailedRows: INSERT/UPDATE skip the rows SQLite refuses (OR IGNORE), as Jet does
    // when the statement runs without its fail-on-error option.
    // sourceSchema, if given, qualifies every table the statement reads (FROM and JOIN,
    // subqueries included): the text then reads the file attached under that name.
    using ValueWrapper = std::function<std::string(std::size_t column, const std::string& expr)>;
    std::string render(std::string_view schema = {}, const ValueWrapper& wrapValue = {},
                       bool ignoreFailedRows = false, std::string_view sourceSchema = {}) const;

    // render() with no schema and no wrapping: the text to prepare when neither applies.
    std::string plainSql;

    // The SQLite text's pieces, in order (filled by the translator). Text and Value pieces
    // mark each table read with kSourceMark before its name; withSources() resolves the marks.
    struct Piece {
        enum class Kind { Text, ConflictClause, SchemaPrefix, Value } kind = Kind::Text;
        std::string text;       // Text: SQLite text; Value: the value's expression
        std::size_t column = 0; // Value: position in targetColumns
    };
    std::vector<Piece> pieces;
};

// Marks where a table read by the statement is named: a character no name or keyword holds;
// one inside a quoted literal or name is text like any other.
inline constexpr char kSourceMark = '\x01';

// `sql` with each mark outside quotes replaced by `"sourceSchema".`, or dropped when the
// schema is empty.
std::string withSources(std::string_view sql, std::string_view sourceSchema);

// Translates one Jet SQL text. Throws runtime::Error with a syntax-error number (3075 in
// an expression, 3129 unknown statement, 3131 FROM, 3134 INSERT, 3135 JOIN, 3141 SELECT,
// 3142 text after the end, 3144 UPDATE, 3346 values and columns differ in number) for a
// text that is not well formed or uses a form this engine does not know, and 3464 for a
// text compared with a number; nothing is ever passed on half understood. The error keeps
// the text (runtime::Error::statement).
// Arithmetic on anything but number literals calls the engine's functions jet_add, jet_sub,
// jet_mul, jet_div and jet_neg (SqlFunctions.h), which give the operators Jet's meaning:
// "+" joins texts, and a text that is no number is refused. A comparison used as a value
// is -1 when true, as in Jet. The types of fields are not known here: a field compared with
// a literal of another type follows SQLite's conversions.
TranslatedStatement translateJet(std::string_view jetSql);

// The condition of a WHERE clause (the text after the word) as SQLite text, with the
// errors of translateJet. A statement holding the same condition translates it alike.
std::string translateJetCondition(std::string_view jetCondition);

// translateJet with a process-wide cache keyed by the text, so that a text run again is
// not translated again. The cache keeps the most recently used texts only (statements
// that embed a client number are each run once). Thread-safe.
std::shared_ptr<const TranslatedStatement> translateJetCached(std::string_view jetSql);

} // namespace engine
