#include "framework/Trace.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace dorvane {

namespace {

constexpr unsigned long long kUnixEpochAsFileTime = 116444736000000000ULL;

unsigned long long FileTimeTicks(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

struct TraceFile {
  std::FILE* file = nullptr;
  unsigned long long created = 0;  // process creation, 100 ns ticks

  TraceFile() {
    const wchar_t* path = _wgetenv(L"DORVANE_TRACE");
    if (!path || !*path) return;
    file = _wfopen(path, L"ab");
    FILETIME creation, exit, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) created = FileTimeTicks(creation);
  }
  ~TraceFile() {
    if (file) std::fclose(file);
  }
};

TraceFile& File() {
  static TraceFile trace;
  return trace;
}

}  // namespace

bool TraceEnabled() { return File().file != nullptr; }

void TraceMark(std::string_view text) {
  TraceFile& trace = File();
  if (!trace.file) return;
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const unsigned long long ticks = FileTimeTicks(now);
  const double sinceStart = trace.created ? static_cast<double>(ticks - trace.created) / 1e4 : 0.0;
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.3f", sinceStart);
  const std::string line =
      std::to_string((ticks - kUnixEpochAsFileTime) / 10) + " " + elapsed + " " + std::string(text) + "\n";
  std::fputs(line.c_str(), trace.file);
  std::fflush(trace.file);
}

TraceScope::TraceScope(std::string_view text) : on_(TraceEnabled()) {
  if (!on_) return;
  text_ = text;
  TraceMark("+" + text_);
}

TraceScope::~TraceScope() {
  if (on_) TraceMark("-" + text_);
}

}  // namespace dorvane
