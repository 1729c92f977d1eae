#pragma once
// The free-space history of the drives the tick reads, their time-to-full estimates, and
// what of it is kept across restarts. Nothing here touches a drive or the registry; all
// of it runs on the window thread.
//
// How the program uses it:
//  - The tick, for every drive it has just read (the figures it shows anyway, no extra
//    query), after reading:
//        history.Record(root, serial, now, freeBytes, totalBytes);
//    `now` is the system clock in whole seconds since 1970 (UTC), or the end-to-end
//    test's compressed clock; `serial` is the volume serial number of the drive model. A
//    failed reading (-1) may be passed as it is: it is not taken. The cost is O(1) and
//    allocates nothing, except the first reading of a volume not seen before, which sets
//    up its series (about 46 KB for the two rings).
//  - A row's column, a panel's hint, the tooltip:
//        FullEstimateText(history.Estimate(root, now))
//    The fit runs at most once a minute per drive (some 45 us over three hours of
//    minute points, bench/HistoryBenchmark.cpp); the other calls of that minute return
//    its result. The drives take
//    their turns at different seconds of the minute, so one tick makes one or two fits.
//  - The low-space warning: LowSpaceWarning(freePct, freeBytes, history.Estimate(root,
//    now), settings) (core/WarningRule.h).
//  - The chart: Find(root) gives the series, whose MinutePoint and BlockPoint give the
//    last day and the last 30 days.
//  - At start, before the first tick: read every value under kHistoryKey and pass them
//    to Load(values, now) (some 0.1 ms a drive with every slot filled). What does not
//    decode, is not named as its content says, or is older than 30 days is left out
//    without a word.
//  - Every kHistorySaveSeconds and once at exit, from a timer of its own rather than in
//    the tick: `values = history.Save(now)` encodes a copy (about 16 KB and 0.1 ms for a
//    steady drive with every slot filled; kMaxHistoryValueBytes at worst). Writing it is
//    not the window thread's: a worker (or an idle turn) writes each value as REG_BINARY
//    and deletes the names StaleHistoryValues(namesFound, values) returns, so the key
//    never holds more than one value per root. Only those bytes leave the window thread,
//    never the history itself.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/FreeSpaceSeries.h"
#include "core/TimeToFull.h"

namespace dorvane {

// Under HKEY_CURRENT_USER, apart from the stored settings.
inline constexpr const char* kHistoryKey = "Software\\dorvane\\History";
inline constexpr HistorySeconds kHistorySaveSeconds = 5 * 60;
// A series whose newest reading is older than this is neither loaded nor saved again.
inline constexpr HistorySeconds kHistoryKeepSeconds = HistorySeconds{30} * 24 * 3600;

struct StoredHistoryValue {
  std::string name;
  std::vector<std::uint8_t> data;
};

class FreeSpaceHistory {
 public:
  // One series per root; a 27th root (a folder mount point, say) replaces the series that
  // was read longest ago.
  static constexpr std::size_t kMaxSeries = 26;

  FreeSpaceHistory();

  // A reading of the volume `serial` on `root`. Another serial on a known root (another
  // disk on the letter) starts that root's series afresh.
  void Record(std::string_view root, std::uint32_t serial, HistorySeconds now, std::int64_t freeBytes,
              std::int64_t totalBytes);

  // The series of a root, or null.
  const FreeSpaceSeries* Find(std::string_view root) const;

  // When the root's drive will be full; not yet when it has no series.
  FullEstimate Estimate(std::string_view root, HistorySeconds now);

  // Replaces the series with those of the stored values (the newest one when several
  // name the same root).
  void Load(const std::vector<StoredHistoryValue>& values, HistorySeconds now);
  // The values to store: one per series read within kHistoryKeepSeconds.
  std::vector<StoredHistoryValue> Save(HistorySeconds now) const;

 private:
  struct Entry {
    Entry(FreeSpaceSeries s, int turn) : series(std::move(s)), turnSecond(turn) {}
    FreeSpaceSeries series;
    int turnSecond;  // the second of each minute at which its estimate is made anew
    bool cached = false;
    std::int64_t cachedMinute = 0;  // the minute (from turnSecond on) the estimate was made in
    std::int64_t cachedNewest = 0;  // the newest minute of the series it was made from
    FullEstimate estimate;
  };
  Entry* FindEntry(std::string_view root);
  Entry& Add(FreeSpaceSeries series);

  std::vector<Entry> entries_;
  std::size_t lastFound_ = 0;
  int added_ = 0;
  TimeToFullEstimator estimator_;
};

// The names among those found under the key that the values being written do not
// replace (registry names compared without regard to letter case): dropped volumes,
// damaged and foreign values.
std::vector<std::string> StaleHistoryValues(const std::vector<std::string>& namesFound,
                                            const std::vector<StoredHistoryValue>& written);

}  // namespace dorvane
