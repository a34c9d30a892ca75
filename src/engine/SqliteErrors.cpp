#include "engine/SqliteErrors.h"

#include "engine/EngineErrors.h"

#include <charconv>
#include <optional>
#include <sqlite3.h>

namespace engine::detail {

namespace {

// Far above SQLite's own extended codes; the low byte stays SQLITE_ERROR, so that SQLite
// treats the failure as an ordinary error of the statement.
constexpr int kFunctionFailure = 1 << 30;

std::optional<int> functionFailureNumber(int code) {
    if (!(code & kFunctionFailure) || (code & 0xff) != SQLITE_ERROR) return std::nullopt;
    return (code & ~kFunctionFailure) >> 8;
}

std::optional<std::string_view> after(std::string_view message, std::string_view prefix) {
    const auto pos = message.find(prefix);
    if (pos == std::string_view::npos) return std::nullopt;
    return message.substr(pos + prefix.size());
}

// The failures below have no code of their own: SQLite names the constraint, the column
// or the table only in its message. Every reading of SQLite's message text is here.
std::optional<JetFailure> fromMessage(int code, std::string_view message) {
    if (code == SQLITE_CONSTRAINT_CHECK) {
        // The engine names each CHECK "jet<number> <field>".
        const auto rest = after(message, "CHECK constraint failed: jet");
        if (!rest) return std::nullopt;
        int number = 0;
        const auto [end, ec] = std::from_chars(rest->data(), rest->data() + rest->size(), number);
        if (ec != std::errc()) return std::nullopt;
        std::string_view field(end, static_cast<std::size_t>(rest->data() + rest->size() - end));
        if (!field.empty() && field.front() == ' ') field.remove_prefix(1);
        return JetFailure{number, std::string(field)};
    }
    if (code == SQLITE_CONSTRAINT_NOTNULL) {
        const auto field = after(message, "NOT NULL constraint failed: ");
        return JetFailure{err::RequiredFieldNull, std::string(field.value_or(""))};
    }
    if ((code & 0xff) != SQLITE_ERROR) return std::nullopt;
    if (auto table = after(message, "no such table: ")) {
        if (const auto dot = table->find('.'); dot != std::string_view::npos)
            table->remove_prefix(dot + 1); // the schema name
        return JetFailure{err::InputTableNotFound, std::string(*table)};
    }
    // A column an INSERT writes that its table lacks is named, so that the user learns
    // which field of the file is missing.
    if (const auto field = after(message, "has no column named "))
        return JetFailure{err::UnknownInsertField, std::string(*field)};
    // A name that is no field is a parameter to Jet, whose value was not given.
    if (after(message, "no such column: ")) return JetFailure{err::TooFewParameters, "1"};
    if (const auto field = after(message, "ambiguous column name: "))
        return JetFailure{err::AmbiguousField, std::string(*field)};
    // A statement past one of SQLite's size limits: Jet's refusal of a query too big.
    for (const std::string_view limit : {"Expression tree is too large", "too many terms in",
                                         "too many SQL variables", "parser stack overflow"})
        if (after(message, limit)) return JetFailure{err::QueryTooComplex, std::string(message)};
    return std::nullopt;
}

} // namespace

int functionFailureCode(int jetNumber) {
    return kFunctionFailure | (jetNumber << 8) | SQLITE_ERROR;
}

JetFailure jetFailureFor(int code, std::string_view message, const std::string& path) {
    if (const auto number = functionFailureNumber(code)) return {*number, std::string(message)};
    if (auto failure = fromMessage(code, message)) return std::move(*failure);
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return {err::UnrecognizedFormat, path};
    case SQLITE_CANTOPEN:
        return {err::CouldNotOpenFile, path};
    default:
        return {engineNumberForSqlite(code), std::string(message)};
    }
}

} // namespace engine::detail
