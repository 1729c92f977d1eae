#pragma once
// When a drive will be full, from the recent trend of its free-space series.
//
// The trend is a Theil-Sen line (the median of the slopes between every two points: a
// third of the points can be wild without moving it) over the minute points of the last
// three hours; when those are too few, over the ten-minute points of the last day. Rules:
//  - Enough history: at least 10 minute points spanning at least 15 minutes, or else at
//    least 6 ten-minute points spanning at least 2 hours. Less gives no estimate.
//  - A delete (free space rising between two points by more than 32 MiB, or by more than
//    eight times the spread of the point-to-point changes when the drive is noisy, and
//    staying up at the next point) restarts the trend after the rise. A single reading
//    that leaps up and comes back is noise, not a delete.
//  - A gap (the machine was off) is only missing points: the line goes by the points'
//    times, and the level the estimate starts from is taken from the last ten minutes'
//    points, never from a line drawn across the gap.
//  - Stable: the line is not falling, or falls by no more than five standard errors of its
//    slope (noise, not a trend: the points' spread about the line over their number and
//    span), or would take more than a year to reach zero.
//  - No points for more than ten minutes (the drive is not read any more): no estimate.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/FreeSpaceSeries.h"

namespace dorvane {

struct FullEstimate {
  enum class Kind {
    kNotYet,   // not enough history (or none lately): nothing is shown
    kStable,   // not filling up, or too slowly to matter within a year
    kFilling,  // full in `seconds`
  };
  Kind kind = Kind::kNotYet;
  std::int64_t seconds = 0;  // kFilling: from the time asked until free space reaches zero

  bool operator==(const FullEstimate&) const = default;
  static FullEstimate Stable() { return {Kind::kStable, 0}; }
  static FullEstimate Filling(std::int64_t seconds) { return {Kind::kFilling, seconds}; }
};

inline constexpr int kRecentWindowMinutes = 3 * 60;
inline constexpr int kRecentMinPoints = 10;
inline constexpr int kRecentMinSpanMinutes = 15;
inline constexpr int kDayWindowBlocks = 24 * 6;
inline constexpr int kDayMinPoints = 6;
inline constexpr int kDayMinSpanMinutes = 2 * 60;
inline constexpr int kStaleMinutes = 10;
inline constexpr int kLevelMinutes = 10;
inline constexpr std::int64_t kStableBeyondSeconds = std::int64_t{365} * 24 * 3600;
inline constexpr std::int64_t kDeleteFloorBytes = std::int64_t{32} << 20;

// Holds the scratch space of the fit, taken once, so that estimating allocates nothing.
// One estimate over a full three-hour window takes about 16,000 slopes.
class TimeToFullEstimator {
 public:
  TimeToFullEstimator();
  FullEstimate Estimate(const FreeSpaceSeries& series, HistorySeconds now);

 private:
  struct Point {
    double minute;  // minutes after the newest point (zero or less)
    double free;
  };
  bool FitTrend(std::size_t minPoints, double minSpan, HistorySeconds sinceNewest, FullEstimate& out);
  std::size_t TrendStart();
  double Median(std::span<double> values);

  std::vector<Point> points_;
  std::vector<double> scratch_;
};

// The text of an estimate, for the drive list's column, a panel's hint and the tooltip:
//   not yet  -> ""                 (nothing is shown)
//   stable   -> "stable"
//   filling  -> "full in <1 min"   below 30 seconds
//               "full in ~N min"   N = seconds / 60 rounded half up, 1 to 59
//               "full in ~N h"     N = seconds / 3600 rounded half up, 1 to 47 (from
//                                  59.5 minutes on)
//               "full in ~N days"  N = seconds / 86400 rounded half up, 2 and more (from
//                                  47.5 hours on)
// Minutes below an hour, hours below two days, days beyond: a trend gives no more
// precision than that, and "~1 day" would hide the difference between 13 and 35 hours.
std::string FullEstimateText(const FullEstimate& estimate);

}  // namespace dorvane
