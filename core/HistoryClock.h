#pragma once
// The clock the free-space history goes by: whole seconds since 1970 (UTC) of the system
// clock, or, for tests, a clock that runs a set number of times faster from a set moment,
// so that hours of a draining drive go by in minutes.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace dorvane {

// The environment variables that make the program's history clock run faster: the factor
// (a whole number from 1 to kMaxClockScale) and the moment from which it runs faster, in
// seconds since 1970 (the program's start when unset). Two runs given the same moment
// agree on the time, so a history kept across a restart lines up with the next run's.
inline constexpr const char* kClockScaleVariable = "DORVANE_CLOCK_SCALE";
inline constexpr const char* kClockStartVariable = "DORVANE_CLOCK_START";
inline constexpr int kMaxClockScale = 3600;

// The factor a text names; nothing for an unset, empty or senseless value.
std::optional<int> ParseClockScale(std::string_view text);
// The moment a text names: whole seconds, 0 to 10^12; nothing otherwise.
std::optional<std::int64_t> ParseClockStart(std::string_view text);

class HistoryClock {
 public:
  using Seconds = std::int64_t;
  HistoryClock() = default;
  HistoryClock(int scale, Seconds start) : scale_(scale), start_(start) {}
  Seconds Now() const { return scale_ == 1 ? WallSeconds() : Scaled(WallMillis(), start_, scale_); }

  // The time at a moment of the system clock (milliseconds since 1970): `start`, plus the
  // time since it times the scale.
  static Seconds Scaled(std::int64_t wallMillis, Seconds start, int scale) {
    return start + (wallMillis - start * 1000) * scale / 1000;
  }
  static std::int64_t WallMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
  static Seconds WallSeconds() { return WallMillis() / 1000; }

 private:
  int scale_ = 1;
  Seconds start_ = 0;
};

}  // namespace dorvane
