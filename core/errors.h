// Run-time failures of QB41.
//
// Every failure that an operation traps is a RuntimeError carrying one of the
// classic BASIC run-time error numbers and its description. The operation that
// catches it logs ErrorText(e) (number immediately followed by description)
// and shows its own fixed message; callers then test the error and cancel flags.
#pragma once

#include <stdexcept>
#include <string>

namespace qb41 {

enum class ErrorNumber : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    BadFileMode = 54,
    DeviceIoError = 57,
    DiskFull = 61,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    DeviceTimeout = 8002,
    PortAlreadyOpen = 8005,
    PortNotAvailable = 8012,
};

// The standard description of a run-time error number.
std::string ErrorDescription(ErrorNumber number);

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(ErrorNumber number);
    RuntimeError(ErrorNumber number, std::string description);

    ErrorNumber number() const { return number_; }
    const std::string& description() const { return description_; }

private:
    ErrorNumber number_;
    std::string description_;
};

// The text LogError records: the number in decimal directly followed by the
// description, e.g. "9Subscript out of range".
std::string ErrorText(const RuntimeError& error);
// For failures that did not come as a RuntimeError (std::bad_alloc, ...).
std::string ErrorText(const std::exception& error);

} // namespace qb41
