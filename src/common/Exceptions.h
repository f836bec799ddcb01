#pragma once
// Exception kinds shared by the whole program. Free routines raise these with
// fixed English messages; only frames and the status bar talk to the user.
#include <stdexcept>
#include <string>

namespace pem {

// Base of every exception the program raises on purpose.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

// The silent abort: ends the current operation; the handler guard swallows it
// without telling the user anything.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// Failures of the file routines ("Can not open file %s" and the like).
class EFileError : public Exception {
public:
    using Exception::Exception;
};

// A text that should have been a number or a boolean and is not.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Raises the silent abort.
[[noreturn]] inline void Abort() { throw EAbort(); }

} // namespace pem
