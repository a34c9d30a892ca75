#include "engine/EngineErrors.h"

#include "engine/SqliteErrors.h"
#include "runtime/Error.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using namespace engine;

TEST(EngineErrors, EveryNumberHasItsOwnTextInAscendingOrder) {
    const int constants[] = {
        err::ReservedError,
        err::InvalidArgument,
        err::TooManyTransactions,
        err::InvalidDatabaseName,
        err::TableAlreadyExists,
        err::ObjectNotFound,
        err::ObjectAlreadyExists,
        err::NoCurrentIndex,
        err::UpdateWithoutAddNewOrEdit,
        err::NoCurrentRecord,
        err::DuplicateValue,
        err::FileNotFound,
        err::DiskFull,
        err::ReadOnly,
        err::InvalidPassword,
        err::NoPermission,
        err::NoTransaction,
        err::DiskOrNetworkError,
        err::InvalidPath,
        err::FileInUse,
        err::DatabaseCorrupt,
        err::CouldNotLockFile,
        err::CouldNotOpenFile,
        err::CanceledByUser,
        err::TooFewParameters,
        err::CannotExecuteSelect,
        err::SyntaxErrorInExpression,
        err::InputTableNotFound,
        err::AmbiguousField,
        err::TooManyAutoNumberFields,
        err::UnknownInsertField,
        err::InvalidName,
        err::InvalidSqlStatement,
        err::SyntaxErrorInFrom,
        err::SyntaxErrorInInsert,
        err::SyntaxErrorInJoin,
        err::SyntaxErrorInOrderBy,
        err::SyntaxErrorInSelect,
        err::CharactersAfterEnd,
        err::SyntaxErrorInUpdate,
        err::FieldTooSmall,
        err::FieldNotUpdatable,
        err::RecordDeleted,
        err::FieldDefinedTwice,
        err::DatabaseAlreadyExists,
        err::TableInUse,
        err::InvalidOperation,
        err::OperationNotSupported,
        err::InvalidFieldType,
        err::Locked,
        err::NoFieldDefined,
        err::ItemNotFound,
        err::FieldInIndex,
        err::IndexAlreadyExists,
        err::RequiredFieldNull,
        err::ZeroLengthNotAllowed,
        err::UnrecognizedFormat,
        err::QueryValuesMismatch,
        err::NumericOverflow,
        err::QueryTooComplex,
        err::NameAlreadyInCollection,
        err::ObjectInvalid,
        err::DataTypeConversion,
        err::TypeMismatchInCriteria,
        err::NotAnIndex,
    };
    const auto& numbers = engineErrorNumbers();
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
    EXPECT_EQ(numbers.size(), std::size(constants));
    const std::string reserved = engineErrorText(err::ReservedError);
    for (int n : constants) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(std::binary_search(numbers.begin(), numbers.end(), n));
        const std::string text = engineErrorText(n);
        EXPECT_FALSE(text.empty());
        if (n != err::ReservedError) {
            EXPECT_NE(text, reserved);
        }
    }
}

TEST(EngineErrors, RaiseFillsTheDetailIntoTheText) {
    struct Case {
        int number;
        std::string detail;
        std::string message;
    };
    const Case cases[] = {
        {3024, "/srv/data/Qolb2018Lan.mdb", "Could not find file '/srv/data/Qolb2018Lan.mdb'."},
        {3045, "/srv/a.mdb", "Could not use '/srv/a.mdb'; file already in use."},
        {3011, "UserNames", "The database engine could not find the object 'UserNames'."},
        {3061, "2", "Too few parameters. Expected 2."},
        {3021, "", "No current record."},
        {3800, "indxSurname", "'indxSurname' is not an index in this table."},
        {3349, "Qolb2018.PERS5", "Numeric field overflow. Field 'Qolb2018.PERS5'."},
        {3421, "", "Data type conversion error."},
        {3999, "", "Reserved error (3999); there is no message for this error."},
    };
    for (const Case& c : cases) {
        try {
            raiseEngine(c.number, c.detail);
            ADD_FAILURE() << c.number << " not raised";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_EQ(e.text(), c.message);
        }
    }
}

TEST(EngineErrors, SqliteResultCodesMapToEngineNumbers) {
    EXPECT_EQ(engineNumberForSqlite(SQLITE_BUSY), err::Locked);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_BUSY_SNAPSHOT), err::Locked);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_NOTADB), err::UnrecognizedFormat);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_CORRUPT), err::DatabaseCorrupt);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_IOERR_SHORT_READ), err::DiskOrNetworkError);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_READONLY), err::ReadOnly);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_CONSTRAINT_UNIQUE), err::DuplicateValue);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_CONSTRAINT_NOTNULL), err::RequiredFieldNull);
    EXPECT_EQ(engineNumberForSqlite(SQLITE_ERROR), err::ReservedError);
}

// Decided by the code; SQLite's message is read only where it alone names the constraint,
// field or table, and never for a number.
TEST(EngineErrors, SqliteFailuresBecomeJetNumbersByTheirCode) {
    using detail::functionFailureCode;
    const struct {
        int code;
        const char* message;
        int number;
        const char* detail;
    } cases[] = {
        {functionFailureCode(err::FieldTooSmall), "T.Name", err::FieldTooSmall, "T.Name"},
        {functionFailureCode(err::TypeMismatchInCriteria), "", err::TypeMismatchInCriteria, ""},
        {SQLITE_ERROR, "JET:3022:x", err::ReservedError, "JET:3022:x"},
        {SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed: jet3315 Name",
         err::ZeroLengthNotAllowed, "Name"},
        {SQLITE_CONSTRAINT_NOTNULL, "NOT NULL constraint failed: T.Name", err::RequiredFieldNull,
         "T.Name"},
        {SQLITE_ERROR, "no such table: jet_in.Kinds", err::InputTableNotFound, "Kinds"},
        {SQLITE_ERROR, "no such column: Nothing", err::TooFewParameters, "1"},
        {SQLITE_ERROR, "table CARALL has no column named TA106", err::UnknownInsertField, "TA106"},
        {SQLITE_ERROR, "Expression tree is too large (maximum depth 1000)", err::QueryTooComplex,
         "Expression tree is too large (maximum depth 1000)"},
        {SQLITE_BUSY_SNAPSHOT, "no such table: X", err::Locked, "no such table: X"},
        {SQLITE_CORRUPT_INDEX, "database disk image is malformed", err::UnrecognizedFormat,
         "/f.mdb"},
        {SQLITE_IOERR_SHORT_READ, "disk I/O error", err::DiskOrNetworkError, "disk I/O error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const auto failure = detail::jetFailureFor(c.code, c.message, "/f.mdb");
        EXPECT_EQ(failure.number, c.number);
        EXPECT_EQ(failure.detail, c.detail);
    }
}

} // namespace
