#include "errors.h"

#include <new>

namespace qb41 {

std::string ErrorDescription(ErrorNumber number) {
    switch (number) {
    case ErrorNumber::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case ErrorNumber::Overflow:
        return "Overflow";
    case ErrorNumber::OutOfMemory:
        return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange:
        return "Subscript out of range";
    case ErrorNumber::TypeMismatch:
        return "Type mismatch";
    case ErrorNumber::BadFileNameOrNumber:
        return "Bad file name or number";
    case ErrorNumber::FileNotFound:
        return "File not found";
    case ErrorNumber::BadFileMode:
        return "Bad file mode";
    case ErrorNumber::DeviceIoError:
        return "Device I/O error";
    case ErrorNumber::DiskFull:
        return "Disk full";
    case ErrorNumber::InputPastEndOfFile:
        return "Input past end of file";
    case ErrorNumber::PermissionDenied:
        return "Permission denied";
    case ErrorNumber::PathFileAccessError:
        return "Path/File access error";
    case ErrorNumber::PathNotFound:
        return "Path not found";
    case ErrorNumber::DeviceTimeout:
        return "Device timeout";
    case ErrorNumber::PortAlreadyOpen:
        return "Port already open";
    case ErrorNumber::PortNotAvailable:
        return "The device port is not available";
    }
    return "Application-defined or object-defined error";
}

RuntimeError::RuntimeError(ErrorNumber number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(ErrorNumber number, std::string description)
    : std::runtime_error(std::to_string(static_cast<int>(number)) + description), number_(number),
      description_(std::move(description)) {}

std::string ErrorText(const RuntimeError& error) {
    return std::to_string(static_cast<int>(error.number())) + error.description();
}

std::string ErrorText(const std::exception& error) {
    if (auto* runtime = dynamic_cast<const RuntimeError*>(&error)) return ErrorText(*runtime);
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return ErrorText(RuntimeError(ErrorNumber::OutOfMemory));
    return std::to_string(static_cast<int>(ErrorNumber::InvalidProcedureCall)) + error.what();
}

} // namespace qb41
