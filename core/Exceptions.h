#pragma once
// The exception classes every layer raises. Unexpected conditions raise an Exception;
// it is not caught locally but reaches the application's exception event.
#include <stdexcept>
#include <string>

namespace dorvane {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
  // The class name shown in error reports.
  virtual const char* ClassName() const noexcept { return "Exception"; }
};

// A text that is not a number where a number is required.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EConvertError"; }
};

}  // namespace dorvane
