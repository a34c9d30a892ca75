#pragma once

#include <string>
#include <vector>

// The numbers the engine raises and their texts. Every failure of the engine is a
// runtime::Error carrying one of these numbers; callers test the number.
namespace engine {

namespace err {
inline constexpr int ReservedError = 3000; // detail: the number
inline constexpr int InvalidArgument = 3001;
inline constexpr int TooManyTransactions = 3003;
inline constexpr int InvalidDatabaseName = 3005; // detail: name
inline constexpr int TableAlreadyExists = 3010;  // detail: table name
inline constexpr int ObjectNotFound = 3011;      // detail: object name
inline constexpr int ObjectAlreadyExists = 3012; // detail: object name
inline constexpr int NoCurrentIndex = 3019;      // Seek without an Index set
inline constexpr int UpdateWithoutAddNewOrEdit = 3020;
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int DuplicateValue = 3022; // unique index refused the row
inline constexpr int FileNotFound = 3024;   // detail: path
inline constexpr int DiskFull = 3026;
inline constexpr int ReadOnly = 3027; // database or object is read-only
inline constexpr int InvalidPassword = 3031;
inline constexpr int NoPermission = 3033;  // detail: object name
inline constexpr int NoTransaction = 3034; // commit/rollback without begin
inline constexpr int DiskOrNetworkError = 3043;
inline constexpr int InvalidPath = 3044;     // detail: path
inline constexpr int FileInUse = 3045;       // detail: path
inline constexpr int DatabaseCorrupt = 3049; // detail: path
inline constexpr int CouldNotLockFile = 3050;
inline constexpr int CouldNotOpenFile = 3051; // detail: path
inline constexpr int CanceledByUser = 3059;
inline constexpr int TooFewParameters = 3061;        // detail: expected count
inline constexpr int CannotExecuteSelect = 3065;     // Execute given a SELECT
inline constexpr int SyntaxErrorInExpression = 3075; // detail: the expression
inline constexpr int InputTableNotFound = 3078;      // detail: table or query name
inline constexpr int AmbiguousField = 3079;          // detail: field name
inline constexpr int TooManyAutoNumberFields = 3090;
inline constexpr int InvalidName = 3125;        // detail: the name
inline constexpr int UnknownInsertField = 3127; // detail: field name
inline constexpr int InvalidSqlStatement = 3129;
inline constexpr int SyntaxErrorInFrom = 3131;
inline constexpr int SyntaxErrorInInsert = 3134;
inline constexpr int SyntaxErrorInJoin = 3135;
inline constexpr int SyntaxErrorInOrderBy = 3138;
inline constexpr int SyntaxErrorInSelect = 3141;
inline constexpr int CharactersAfterEnd = 3142;
inline constexpr int SyntaxErrorInUpdate = 3144;
inline constexpr int FieldTooSmall = 3163;
inline constexpr int FieldNotUpdatable = 3164;
inline constexpr int RecordDeleted = 3167;
inline constexpr int FieldDefinedTwice = 3191;
inline constexpr int DatabaseAlreadyExists = 3204;
inline constexpr int TableInUse = 3211; // detail: table name
inline constexpr int InvalidOperation = 3219;
inline constexpr int OperationNotSupported = 3251; // not supported for this object type
inline constexpr int InvalidFieldType = 3259;
inline constexpr int Locked = 3260;         // busy file or row: waited, then refused
inline constexpr int NoFieldDefined = 3264; // TableDef or Index without fields
inline constexpr int ItemNotFound = 3265;
inline constexpr int FieldInIndex = 3280; // a field an index uses cannot go
inline constexpr int IndexAlreadyExists = 3284;
inline constexpr int RequiredFieldNull = 3314;    // detail: field name
inline constexpr int ZeroLengthNotAllowed = 3315; // detail: field name
inline constexpr int UnrecognizedFormat = 3343;   // detail: path
inline constexpr int QueryValuesMismatch = 3346;  // query values and fields differ in number
inline constexpr int NumericOverflow = 3349;      // detail: table.field
inline constexpr int QueryTooComplex = 3360;      // beyond a size limit of statements
inline constexpr int NameAlreadyInCollection = 3367;
inline constexpr int ObjectInvalid = 3420;
inline constexpr int DataTypeConversion = 3421; // detail: table.field
inline constexpr int TypeMismatchInCriteria = 3464;
inline constexpr int NotAnIndex = 3800; // detail: index name
} // namespace err

// The text for an engine number, with `|` standing where the detail goes, less the parts
// shown only with a detail. An unknown number gives the text of 3000.
std::string engineErrorText(int number);

// Every number of the table, in ascending order.
const std::vector<int>& engineErrorNumbers();

// The text with every `|` replaced by detail.
std::string engineErrorMessage(int number, const std::string& detail = "");

// Throws runtime::Error(number, engineErrorMessage(number, detail)). An unknown number
// is raised as itself with the text of 3000 naming it.
[[noreturn]] void raiseEngine(int number, const std::string& detail = "");
// The same, keeping the statement (or table) that failed and SQLite's extended result
// code in the error (runtime::Error::statement, sqliteCode).
[[noreturn]] void raiseEngine(int number, const std::string& detail, std::string statement,
                              int sqliteCode);

// The engine number for an SQLite result code (extended codes understood), for failures
// that reach the engine from SQLite: busy/locked 3260, not a database 3343, corrupt 3049,
// I/O 3043, full 3026, read-only 3027, cannot open 3051, unique 3022, not null 3314,
// anything else 3000.
int engineNumberForSqlite(int sqliteResultCode);

} // namespace engine
