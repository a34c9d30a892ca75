#pragma once

#include <exception>
#include <string>
#include <utility>

namespace runtime {

// Every failure of the engine, the runtime or the file system carries the number the
// system's code tests (3024, 3021, 53, 70, 32755 ...) and a text for messages.
class Error : public std::exception {
public:
    explicit Error(int number, std::string text = {});

    int number() const noexcept { return number_; }
    const std::string& text() const noexcept { return text_; }
    const char* what() const noexcept override { return text_.c_str(); }

    // Where an engine failure arose, for diagnosis; never part of the text shown. The
    // statement (or table) that failed, and the extended result code the SQL library gave
    // (0 when the failure did not come from it).
    const std::string& statement() const noexcept { return statement_; }
    int sqliteCode() const noexcept { return sqliteCode_; }
    Error& from(std::string statement, int sqliteCode) {
        statement_ = std::move(statement);
        sqliteCode_ = sqliteCode;
        return *this;
    }

private:
    int number_;
    std::string text_;
    std::string statement_;
    int sqliteCode_ = 0;
};

// The platform's own text for a runtime error number ("Type mismatch" for 13 ...);
// an unknown number gives "Application-defined or object-defined error".
std::string runtimeErrorText(int number);

// Well-known runtime error numbers.
namespace err {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIOError = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectVariableNotSet = 91;
inline constexpr int InvalidUseOfNull = 94;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int CancelError = 32755;
} // namespace err

} // namespace runtime
