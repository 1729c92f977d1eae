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

// Raises EOSError with the calling thread's last system error and its text.
[[noreturn]] void RaiseLastOSError(const std::string& operation);
[[noreturn]] void RaiseOSError(const std::string& operation, std::uint32_t code);

}  // namespace dorvane
