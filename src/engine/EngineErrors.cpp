#include "engine/EngineErrors.h"

#include "runtime/Error.h"

#include <algorithm>
#include <iterator>
#include <sqlite3.h>
#include <utility>

namespace engine {

namespace {

struct Entry {
    int number;
    const char* text;
};

// Kept in ascending order: looked up by binary search. `|` stands where the detail goes;
// a part in [] is shown only with a detail.
constexpr Entry kTexts[] = {
    {err::ReservedError, "Reserved error (|); there is no message for this error."},
    {err::InvalidArgument, "Invalid argument."},
    {err::TooManyTransactions,
     "Could not start transaction; too many transactions already nested."},
    {err::InvalidDatabaseName, "'|' is not a valid database name."},
    {err::TableAlreadyExists, "Table '|' already exists."},
    {err::ObjectNotFound, "The database engine could not find the object '|'."},
    {err::ObjectAlreadyExists, "Object '|' already exists."},
    {err::NoCurrentIndex, "Operation invalid without a current index."},
    {err::UpdateWithoutAddNewOrEdit, "Update or CancelUpdate without AddNew or Edit."},
    {err::NoCurrentRecord, "No current record."},
    {err::DuplicateValue,
     "The changes you requested to the table were not successful because they would create "
     "duplicate values in the index, primary key, or relationship."},
    {err::FileNotFound, "Could not find file '|'."},
    {err::DiskFull, "Not enough space on disk."},
    {err::ReadOnly, "Cannot update. Database or object is read-only."},
    {err::InvalidPassword, "Not a valid password."},
    {err::NoPermission, "You do not have the necessary permissions to use the '|' object."},
    {err::NoTransaction,
     "You tried to commit or rollback a transaction without first beginning a transaction."},
    {err::DiskOrNetworkError, "Disk or network error."},
    {err::InvalidPath, "'|' is not a valid path."},
    {err::FileInUse, "Could not use '|'; file already in use."},
    {err::DatabaseCorrupt,
     "Cannot open database '|'. It may not be a database that your application recognizes, "
     "or the file may be corrupt."},
    {err::CouldNotLockFile, "Could not lock file."},
    {err::CouldNotOpenFile,
     "The database engine cannot open the file '|'. It is already opened exclusively by "
     "another user, or you need permission to view its data."},
    {err::CanceledByUser, "Operation canceled by user."},
    {err::TooFewParameters, "Too few parameters. Expected |."},
    {err::CannotExecuteSelect, "Cannot execute a select query."},
    {err::SyntaxErrorInExpression, "Syntax error (missing operator) in query expression '|'."},
    {err::InputTableNotFound, "The database engine cannot find the input table or query '|'."},
    {err::AmbiguousField,
     "The specified field '|' could refer to more than one table listed in the FROM clause "
     "of your SQL statement."},
    {err::TooManyAutoNumberFields,
     "Resultant table not allowed to have more than one AutoNumber field."},
    {err::InvalidName,
     "'|' is not a valid name. Make sure that it does not include invalid characters or "
     "punctuation and that it is not too long."},
    {err::UnknownInsertField,
     "The INSERT INTO statement contains the following unknown field name: '|'. Make sure you "
     "have typed the name correctly, and try the operation again."},
    {err::InvalidSqlStatement,
     "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'."},
    {err::SyntaxErrorInFrom, "Syntax error in FROM clause."},
    {err::SyntaxErrorInInsert, "Syntax error in INSERT INTO statement."},
    {err::SyntaxErrorInJoin, "Syntax error in JOIN operation."},
    {err::SyntaxErrorInOrderBy, "Syntax error in ORDER BY clause."},
    {err::SyntaxErrorInSelect,
     "The SELECT statement includes a reserved word or an argument name that is misspelled "
     "or missing, or the punctuation is incorrect."},
    {err::CharactersAfterEnd, "Characters found after end of SQL statement."},
    {err::SyntaxErrorInUpdate, "Syntax error in UPDATE statement."},
    {err::FieldTooSmall,
     "The field is too small to accept the amount of data you attempted to add. Try "
     "inserting or pasting less data."},
    {err::FieldNotUpdatable, "Field cannot be updated."},
    {err::RecordDeleted, "Record is deleted."},
    {err::FieldDefinedTwice, "Can't define field more than once."},
    {err::DatabaseAlreadyExists, "Database already exists."},
    {err::TableInUse,
     "The database engine could not lock table '|' because it is already in use by another "
     "person or process."},
    {err::InvalidOperation, "Invalid operation."},
    {err::OperationNotSupported, "Operation is not supported for this type of object."},
    {err::InvalidFieldType, "Invalid field data type."},
    {err::Locked, "Couldn't update; currently locked."},
    {err::NoFieldDefined, "No field defined--cannot append TableDef or Index."},
    {err::ItemNotFound, "Item not found in this collection."},
    {err::FieldInIndex,
     "Can't delete a field that is part of an index or is needed by the system for "
     "relationships."},
    {err::IndexAlreadyExists, "Index already exists."},
    {err::RequiredFieldNull,
     "The field '|' can't contain a Null value because the Required property for this field "
     "is set to True. Enter a value in this field."},
    {err::ZeroLengthNotAllowed, "Field '|' can't be a zero-length string."},
    {err::UnrecognizedFormat, "Unrecognized database format '|'."},
    {err::QueryValuesMismatch, "Number of query values and destination fields are not the same."},
    {err::NumericOverflow, "Numeric field overflow.[ Field '|'.]"},
    {err::QueryTooComplex, "Query is too complex."},
    {err::NameAlreadyInCollection,
     "Cannot append. An object with that name already exists in the collection."},
    {err::ObjectInvalid, "Object invalid or no longer set."},
    {err::DataTypeConversion, "Data type conversion error.[ Field '|'.]"},
    {err::TypeMismatchInCriteria, "Data type mismatch in criteria expression."},
    {err::NotAnIndex, "'|' is not an index in this table."},
};

const Entry* find(int number) {
    const auto* it = std::lower_bound(std::begin(kTexts), std::end(kTexts), number,
                                      [](const Entry& e, int n) { return e.number < n; });
    return it != std::end(kTexts) && it->number == number ? it : nullptr;
}

} // namespace

std::string engineErrorText(int number) {
    const Entry* e = find(number);
    std::string text = e ? e->text : find(err::ReservedError)->text;
    if (const auto open = text.find('['); open != std::string::npos)
        text.erase(open, text.find(']', open) + 1 - open);
    return text;
}

const std::vector<int>& engineErrorNumbers() {
    static const std::vector<int> numbers = [] {
        std::vector<int> v;
        for (const Entry& e : kTexts)
            v.push_back(e.number);
        return v;
    }();
    return numbers;
}

std::string engineErrorMessage(int number, const std::string& detail) {
    const Entry* e = find(number);
    const std::string text = e ? e->text : find(err::ReservedError)->text;
    const std::string fill = e ? detail : std::to_string(number);
    std::string out;
    out.reserve(text.size() + fill.size());
    bool shown = true;
    for (char c : text) {
        if (c == '[' || c == ']')
            shown = c == ']' || !fill.empty();
        else if (!shown)
            continue;
        else if (c == '|')
            out += fill;
        else
            out += c;
    }
    return out;
}

void raiseEngine(int number, const std::string& detail) {
    throw runtime::Error(number, engineErrorMessage(number, detail));
}

void raiseEngine(int number, const std::string& detail, std::string statement, int sqliteCode) {
    // A runtime number (division by zero in a query ...) keeps the runtime's text.
    runtime::Error e(number, number < err::ReservedError ? runtime::runtimeErrorText(number)
                                                         : engineErrorMessage(number, detail));
    throw e.from(std::move(statement), sqliteCode);
}

int engineNumberForSqlite(int code) {
    switch (code) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return err::DuplicateValue;
    case SQLITE_CONSTRAINT_NOTNULL:
        return err::RequiredFieldNull;
    default:
        break;
    }
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return err::Locked;
    case SQLITE_NOTADB:
        return err::UnrecognizedFormat;
    case SQLITE_CORRUPT:
        return err::DatabaseCorrupt;
    case SQLITE_IOERR:
        return err::DiskOrNetworkError;
    case SQLITE_FULL:
        return err::DiskFull;
    case SQLITE_READONLY:
        return err::ReadOnly;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return err::CouldNotOpenFile;
    case SQLITE_INTERRUPT:
        return err::CanceledByUser;
    case SQLITE_TOOBIG:
        return err::FieldTooSmall;
    case SQLITE_MISMATCH:
        return err::DataTypeConversion;
    default:
        return err::ReservedError;
    }
}

} // namespace engine
