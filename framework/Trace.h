#pragma once
// A start-up and shut-down trace for finding where time goes. With the environment variable
// DORVANE_TRACE naming a file, every mark appends one line to it:
//   <system time in microseconds since 1970> <milliseconds since the process was created> <text>
// The absolute time lets a benchmark line the marks up with its own clock (it records when
// it launched the program). Without the variable a mark costs one flag test.
#include <string>
#include <string_view>

namespace dorvane {

bool TraceEnabled();
void TraceMark(std::string_view text);

// Marks "+text" when made and "-text" when it ends.
class TraceScope {
 public:
  explicit TraceScope(std::string_view text);
  ~TraceScope();
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

 private:
  bool on_;
  std::string text_;  // kept only while tracing
};

}  // namespace dorvane
