#pragma once
// Exception classes of the window framework, on top of the core's Exception and
// EConvertError.
#include <cstdint>
#include <string>

#include "core/Exceptions.h"

namespace dorvane {

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EInvalidOperation"; }
};

// A picture that cannot be read (a corrupt JPEG, a malformed form picture).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EInvalidGraphic"; }
};

// An unknown property or a value of the wrong kind for a property.
class EPropertyError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EPropertyError"; }
};

// A component name that is not an identifier or already taken.
class EComponentError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EComponentError"; }
};

// A malformed form description; the message names the line and what was expected.
class EReadError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EReadError"; }
};

// A failed system call, carrying the system's error code.
class EOSError : public Exception {
 public:
  EOSError(const std::string& message, std::uint32_t code) : Exception(message), code_(code) {}
  std::uint32_t ErrorCode() const { return code_; }
  const char* ClassName() const noexcept override { return "EOSError"; }

 private:
  std::uint32_t code_;
};

// The running program's full path.
std::string ExecutablePath();
// The file version of a program's version resource as four numbers joined by "."
// ("3.3.0.0"); empty when it has none.
std::string FileVersionText(const std::string& path);

// Raises EOSError with the calling thread's last system error and its text.
[[noreturn]] void RaiseLastOSError(const std::string& operation);
[[noreturn]] void RaiseOSError(const std::string& operation, std::uint32_t code);

}  // namespace dorvane
