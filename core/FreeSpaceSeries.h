#pragma once
// The free-space history of one volume: the readings the tick takes anyway, kept as a
// point per minute for the last day and a point per ten minutes for the last 30 days.
//
// Both tiers are rings of fixed size indexed by the point's own minute (or ten-minute
// block), so a point's time is its position: no time is stored per point, a reading
// costs two stores and memory stays the same whatever the sampling rate. A slot holds the
// free bytes of the last reading taken in its minute (or block), or kNoPoint. The
// ten-minute tier is written by the same readings, so it also covers the last day.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

// Whole seconds of a clock the caller owns. The program passes seconds since 1970 (UTC)
// of the system clock, so that a history kept across restarts lines up with the next
// run's readings; tests and the compressed-time end-to-end test pass their own.
using HistorySeconds = std::int64_t;

// Rounding down, also for times before 1970.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}
constexpr std::int64_t FloorMod(std::int64_t a, std::int64_t b) { return a - FloorDiv(a, b) * b; }

class FreeSpaceSeries {
 public:
  static constexpr int kMinuteSlots = 24 * 60;          // a day of minute points
  static constexpr int kBlockMinutes = 10;
  static constexpr int kBlockSlots = 30 * 24 * 6;       // 30 days of ten-minute points
  static constexpr std::int64_t kNoPoint = -1;
  // Readings further than this from 1970 either way are not taken (about two million
  // years): it keeps every difference of minutes far from overflowing.
  static constexpr HistorySeconds kTimeLimit = HistorySeconds{1} << 46;
  // The longest root kept (a folder mount point may be long; a drive root is 3 bytes).
  static constexpr std::size_t kMaxRootBytes = 1024;

  FreeSpaceSeries(std::string root, std::uint32_t serial);

  // One reading of the volume. A failed or senseless reading (free below zero, total not
  // above zero, free above total, a time out of range) is not taken; returns whether it
  // was. A reading later than the newest one clears the slots of the minutes between them
  // (the machine was off: a gap, not a line); an earlier one (the clock was set back)
  // drops the points after its own minute, which the new clock has not reached yet, so
  // the series never holds points from the future. Each costs O(1) in the steady state
  // (one new minute a minute) and at most one pass over the rings for any jump.
  bool Record(HistorySeconds time, std::int64_t freeBytes, std::int64_t totalBytes);
  // Whether Record would take this reading.
  static bool Takes(HistorySeconds time, std::int64_t freeBytes, std::int64_t totalBytes) {
    return freeBytes >= 0 && totalBytes > 0 && freeBytes <= totalBytes && time >= -kTimeLimit && time <= kTimeLimit;
  }

  // Forgets every point: the root now holds another volume.
  void Reset(std::uint32_t serial);

  const std::string& Root() const { return root_; }
  std::uint32_t Serial() const { return serial_; }
  // Total bytes of the newest reading.
  std::int64_t TotalBytes() const { return total_; }
  bool Empty() const { return newestTime_ == kNoTime; }
  // Time of the newest reading; only meaningful when not Empty().
  HistorySeconds NewestTime() const { return newestTime_; }
  std::int64_t NewestMinute() const { return FloorDiv(newestTime_, 60); }
  std::int64_t NewestBlock() const { return FloorDiv(NewestMinute(), kBlockMinutes); }

  // Free bytes of the last reading in minute m (minutes since 1970, time / 60 rounded
  // down), or kNoPoint when that minute had none or lies outside the last day.
  std::int64_t MinutePoint(std::int64_t minute) const;
  // Free bytes of the last reading in ten-minute block b (minute / 10 rounded down), or
  // kNoPoint likewise for the last 30 days.
  std::int64_t BlockPoint(std::int64_t block) const;

  // The slots of the day ending with the newest minute and of the 30 days ending with
  // the newest block, oldest first (what BlockPoint and MinutePoint give for each).
  std::vector<std::int64_t> MinutesOldestFirst() const { return OldestFirst(minutes_, NewestMinute()); }
  std::vector<std::int64_t> BlocksOldestFirst() const { return OldestFirst(blocks_, NewestBlock()); }

  // A series put back from storage: the minute points of the day ending with the newest
  // minute and the block points of the 30 days ending with its block, oldest first.
  // Nothing when the parts do not make a series Record could have made (wrong counts, a
  // figure below zero, no point at the newest minute or block, a time out of range).
  static std::optional<FreeSpaceSeries> Restore(std::string root, std::uint32_t serial, std::int64_t totalBytes,
                                                HistorySeconds newestTime, const std::vector<std::int64_t>& minutes,
                                                const std::vector<std::int64_t>& blocks);

  bool operator==(const FreeSpaceSeries&) const = default;

 private:
  static constexpr HistorySeconds kNoTime = INT64_MIN;
  static void ClearAfter(std::vector<std::int64_t>& ring, std::int64_t from, std::int64_t to);
  static std::vector<std::int64_t> OldestFirst(const std::vector<std::int64_t>& ring, std::int64_t newest);
  static void PutOldestFirst(std::vector<std::int64_t>& ring, std::int64_t newest, const std::vector<std::int64_t>& slots);

  std::string root_;
  std::uint32_t serial_;
  std::int64_t total_ = 0;
  HistorySeconds newestTime_ = kNoTime;
  std::vector<std::int64_t> minutes_;
  std::vector<std::int64_t> blocks_;
};

}  // namespace dorvane
