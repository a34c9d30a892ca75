#include "runtime/Error.h"

#include <utility>

namespace runtime {

Error::Error(int number, std::string text) : number_(number), text_(std::move(text)) {
    if (text_.empty()) text_ = runtimeErrorText(number);
}

std::string runtimeErrorText(int number) {
    switch (number) {
    case err::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case err::Overflow:
        return "Overflow";
    case err::SubscriptOutOfRange:
        return "Subscript out of range";
    case err::DivisionByZero:
        return "Division by zero";
    case err::TypeMismatch:
        return "Type mismatch";
    case err::BadFileNameOrNumber:
        return "Bad file name or number";
    case err::FileNotFound:
        return "File not found";
    case err::FileAlreadyOpen:
        return "File already open";
    case err::DeviceIOError:
        return "Device I/O error";
    case err::FileAlreadyExists:
        return "File already exists";
    case err::DiskFull:
        return "Disk full";
    case err::InputPastEndOfFile:
        return "Input past end of file";
    case err::TooManyFiles:
        return "Too many files";
    case err::DeviceUnavailable:
        return "Device unavailable";
    case err::PermissionDenied:
        return "Permission denied";
    case err::DiskNotReady:
        return "Disk not ready";
    case err::PathFileAccessError:
        return "Path/File access error";
    case err::PathNotFound:
        return "Path not found";
    case err::ObjectVariableNotSet:
        return "Object variable or With block variable not set";
    case err::InvalidUseOfNull:
        return "Invalid use of Null";
    case err::InvalidPropertyValue:
        return "Invalid property value";
    case err::CancelError:
        return "Cancel was selected.";
    default:
        return "Application-defined or object-defined error";
    }
}

} // namespace runtime
