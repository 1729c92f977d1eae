#include "core/TimeToFull.h"

#include <algorithm>
#include <cmath>

namespace dorvane {
namespace {

// The spread of normally distributed noise is 1.4826 times its median absolute deviation.
constexpr double kMadToSpread = 1.4826;
constexpr double kDeleteSpreads = 8.0;
// A trend must fall by more than this many standard errors of the fitted slope. The
// slope's standard error over n evenly spread points with spread s across a span T is
// s * sqrt(12 / n) / T.
constexpr double kTrendErrors = 5.0;

}  // namespace

TimeToFullEstimator::TimeToFullEstimator() {
  points_.reserve(kRecentWindowMinutes);
  const std::size_t most = std::max(kRecentWindowMinutes, kDayWindowBlocks);
  scratch_.reserve(most * (most - 1) / 2);
}

double TimeToFullEstimator::Median(std::span<double> values) {
  const std::size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
  const double upper = values[mid];
  if (values.size() % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
  return lower + (upper - lower) / 2;
}

// The first point after the last delete, or 0.
std::size_t TimeToFullEstimator::TrendStart() {
  const std::size_t n = points_.size();
  if (n < 2) return 0;
  scratch_.clear();
  for (std::size_t i = 1; i < n; ++i) scratch_.push_back(points_[i].free - points_[i - 1].free);
  const double typical = Median(scratch_);
  for (double& d : scratch_) d = std::fabs(d - typical);
  const double spread = kMadToSpread * Median(scratch_);
  const double rise = std::max(static_cast<double>(kDeleteFloorBytes), kDeleteSpreads * spread);
  for (std::size_t i = n - 1; i >= 1; --i) {
    const double before = points_[i - 1].free;
    if (points_[i].free - before > rise && (i + 1 == n || points_[i + 1].free - before > rise)) return i;
  }
  return 0;
}

bool TimeToFullEstimator::FitTrend(std::size_t minPoints, double minSpan, HistorySeconds sinceNewest,
                                   FullEstimate& out) {
  const std::size_t start = TrendStart();
  const std::span<const Point> trend(points_.data() + start, points_.size() - start);
  if (trend.size() < minPoints) return false;
  const double span = trend.back().minute - trend.front().minute;
  if (span < minSpan) return false;

  scratch_.clear();
  for (std::size_t i = 0; i < trend.size(); ++i) {
    for (std::size_t j = i + 1; j < trend.size(); ++j) {
      scratch_.push_back((trend[j].free - trend[i].free) / (trend[j].minute - trend[i].minute));
    }
  }
  const double slope = Median(scratch_);  // bytes a minute

  // The spread of the points about the line, and the level now: the last ten minutes'
  // points carried along the line to the newest point's time.
  scratch_.clear();
  for (const Point& p : trend) scratch_.push_back(p.free - slope * p.minute);
  const double intercept = Median(scratch_);
  for (double& r : scratch_) r = std::fabs(r - intercept);
  const double spread = kMadToSpread * Median(scratch_);
  scratch_.clear();
  const double last = trend.back().minute;
  for (const Point& p : trend) {
    if (p.minute >= last - kLevelMinutes) scratch_.push_back(p.free - slope * (p.minute - last));
  }
  const double level = std::max(0.0, Median(scratch_));

  const double slopeError = spread * std::sqrt(12.0 / static_cast<double>(trend.size())) / span;
  if (!(slope < 0) || -slope <= kTrendErrors * slopeError) {
    out = FullEstimate::Stable();
    return true;
  }
  const double seconds = level / -slope * 60 - static_cast<double>(sinceNewest);
  if (seconds > static_cast<double>(kStableBeyondSeconds)) {
    out = FullEstimate::Stable();
  } else {
    out = FullEstimate::Filling(std::max<std::int64_t>(0, std::llround(seconds)));
  }
  return true;
}

FullEstimate TimeToFullEstimator::Estimate(const FreeSpaceSeries& series, HistorySeconds now) {
  if (series.Empty()) return {};
  const HistorySeconds sinceNewest = std::max<HistorySeconds>(0, now - series.NewestTime());
  if (sinceNewest > HistorySeconds{kStaleMinutes} * 60) return {};
  FullEstimate estimate;

  const std::int64_t newestMinute = series.NewestMinute();
  points_.clear();
  for (std::int64_t m = newestMinute - kRecentWindowMinutes + 1; m <= newestMinute; ++m) {
    const std::int64_t free = series.MinutePoint(m);
    if (free != FreeSpaceSeries::kNoPoint) {
      points_.push_back({static_cast<double>(m - newestMinute), static_cast<double>(free)});
    }
  }
  if (FitTrend(kRecentMinPoints, kRecentMinSpanMinutes, sinceNewest, estimate)) return estimate;

  // A block's point is its last reading, taken at its last minute at the latest.
  const std::int64_t newestBlock = series.NewestBlock();
  points_.clear();
  for (std::int64_t b = newestBlock - kDayWindowBlocks + 1; b <= newestBlock; ++b) {
    const std::int64_t free = series.BlockPoint(b);
    if (free != FreeSpaceSeries::kNoPoint) {
      const std::int64_t minute = std::min(b * FreeSpaceSeries::kBlockMinutes + FreeSpaceSeries::kBlockMinutes - 1,
                                           newestMinute);
      points_.push_back({static_cast<double>(minute - newestMinute), static_cast<double>(free)});
    }
  }
  if (FitTrend(kDayMinPoints, kDayMinSpanMinutes, sinceNewest, estimate)) return estimate;
  return {};
}

std::string FullEstimateText(const FullEstimate& estimate) {
  switch (estimate.kind) {
    case FullEstimate::Kind::kNotYet:
      return "";
    case FullEstimate::Kind::kStable:
      return "stable";
    case FullEstimate::Kind::kFilling:
      break;
  }
  const std::int64_t s = std::clamp<std::int64_t>(estimate.seconds, 0, kStableBeyondSeconds * 100);
  const std::int64_t minutes = (s + 30) / 60;
  if (minutes == 0) return "full in <1 min";
  if (minutes < 60) return "full in ~" + std::to_string(minutes) + " min";
  const std::int64_t hours = (s + 1800) / 3600;
  if (hours < 48) return "full in ~" + std::to_string(hours) + " h";
  return "full in ~" + std::to_string((s + 43200) / 86400) + " days";
}

}  // namespace dorvane
