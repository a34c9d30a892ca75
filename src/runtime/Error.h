#pragma once

#include <exception>
#include <string>

namespace runtime {

// Every failure of the engine, the runtime or the file system carries the number the
// system's code tests (3024, 3021, 53, 70, 32755 ...) and a text for messages.
class Error : public std::exception {
public:
    explicit Error(int number, std::string text = {});

    int number() const noexcept { return number_; }
    const std::string& text() const noexcept { return text_; }
    const char* what() const noexcept override { return text_.c_str(); }

private:
    int number_;
    std::string text_;
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
