// What the free-space history costs the tick: one reading taken into a series (the
// steady state: 26 drives, 30 days of history, read once a second for a day), one
// time-to-full estimate made afresh and one answered from the minute's result, and the
// encoding and decoding of the stored values. Beside them, in the same run, the size text
// the tick already makes for every monitored drive, as a yardstick. Prints figures
// (the median of five rounds); asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/FreeSpaceHistory.h"
#include "core/HistoryStorage.h"
#include "core/NumberFormat.h"
#include "core/TimeToFull.h"

namespace {

using Clock = std::chrono::steady_clock;
using dorvane::HistorySeconds;

constexpr HistorySeconds kT0 = 1'700'000'400;
constexpr std::int64_t kTotal = 20'000'000'000'000;  // 20 TB drives
constexpr int kDrives = 26;
volatile std::int64_t gSink = 0;

std::string Root(int i) { return std::string(1, static_cast<char>('a' + i)) + ":\\"; }

// Free bytes of drive i at second k: a drain with some jitter, in whole clusters; drive
// 0 (the one whose estimate is shown) fills within days, the others slowly.
std::int64_t FreeAt(int i, HistorySeconds k) {
  const std::int64_t perSecond = i == 0 ? 750 * 4096 : 8 * 4096 * i;
  return kTotal / 2 - k * perSecond - ((k * 7919 + i * 104729) % 613) * 4096;
}

template <class F>
double MedianNanos(int rounds, std::int64_t calls, F run) {
  std::vector<double> each;
  for (int r = 0; r < rounds; ++r) {
    const auto start = Clock::now();
    run(r);
    const auto took = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    each.push_back(took / static_cast<double>(calls));
  }
  std::sort(each.begin(), each.end());
  return each[each.size() / 2];
}

}  // namespace

int main() {
  dorvane::SetCurrentSeparators({".", ","});
  std::vector<std::string> roots;
  for (int i = 0; i < kDrives; ++i) roots.push_back(Root(i));

  // 30 days of history first, one reading a minute, so that every slot is filled; then
  // the measured rounds, a reading a second for 4.8 hours each, continuing one another.
  constexpr HistorySeconds kHistory = 30 * 86400;
  constexpr HistorySeconds kSecondsPerRound = 86400 / 5;
  dorvane::FreeSpaceHistory history;
  for (HistorySeconds k = 0; k < kHistory; k += 60) {
    for (int i = 0; i < kDrives; ++i) history.Record(roots[static_cast<std::size_t>(i)], 1, kT0 + k, FreeAt(i, k), kTotal);
  }
  const double perReading = MedianNanos(5, kSecondsPerRound * kDrives, [&](int round) {
    const HistorySeconds from = kHistory + round * kSecondsPerRound;
    for (HistorySeconds k = from; k < from + kSecondsPerRound; ++k) {
      for (int i = 0; i < kDrives; ++i) {
        history.Record(roots[static_cast<std::size_t>(i)], 1, kT0 + k, FreeAt(i, k), kTotal);
      }
    }
  });
  const HistorySeconds now = kT0 + kHistory + 5 * kSecondsPerRound - 1;

  // The yardstick: the size text of every monitored drive's tooltip line.
  constexpr std::int64_t kTexts = 200'000;
  const double perSizeText = MedianNanos(5, kTexts, [&](int) {
    for (std::int64_t n = 0; n < kTexts; ++n) gSink = gSink + static_cast<std::int64_t>(dorvane::FormatSize(FreeAt(0, n)).size());
  });

  // An estimate made afresh over a full three-hour window (180 minute points), and one
  // from ten-minute points only (the day's fallback: 144 points).
  dorvane::TimeToFullEstimator estimator;
  const dorvane::FreeSpaceSeries& full = *history.Find(roots[0]);
  constexpr int kEstimates = 400;
  const double perEstimate = MedianNanos(5, kEstimates, [&](int) {
    for (int n = 0; n < kEstimates; ++n) gSink = gSink + estimator.Estimate(full, now).seconds;
  });
  // Ten-minute points for 20 hours, off for three and a half, five minutes back: too few
  // minute points, so the day's ten-minute points are fitted.
  dorvane::FreeSpaceSeries sparse("s:\\", 2);
  for (HistorySeconds k = 0; k < 20 * 3600; k += 600) sparse.Record(kT0 + k, FreeAt(0, k), kTotal);
  for (HistorySeconds k = 0; k < 300; ++k) sparse.Record(kT0 + 23 * 3600 + 1800 + k, FreeAt(0, 20 * 3600 + k), kTotal);
  const double perDayEstimate = MedianNanos(5, kEstimates, [&](int) {
    for (int n = 0; n < kEstimates; ++n) gSink = gSink + estimator.Estimate(sparse, sparse.NewestTime()).seconds;
  });
  // What a row asks every tick: the minute's result.
  constexpr int kAsks = 1'000'000;
  (void)history.Estimate(roots[0], now);
  const double perCachedEstimate = MedianNanos(5, kAsks, [&](int) {
    for (int n = 0; n < kAsks; ++n) gSink = gSink + history.Estimate(roots[0], now).seconds;
  });
  const dorvane::FullEstimate shown = history.Estimate(roots[0], now);

  // Storage: every slot of both tiers filled.
  std::size_t bytes = 0;
  std::vector<dorvane::StoredHistoryValue> values;
  const double perSave = MedianNanos(5, 1, [&](int) { values = history.Save(now); });
  for (const auto& v : values) bytes += v.data.size();
  const double perDecode = MedianNanos(5, 100, [&](int) {
    for (int n = 0; n < 100; ++n) gSink = gSink + dorvane::DecodeSeries(values[0].data).has_value();
  });
  const double perLoad = MedianNanos(5, 1, [&](int) {
    dorvane::FreeSpaceHistory loaded;
    loaded.Load(values, now);
    gSink = gSink + (loaded.Find(roots[0]) != nullptr);
  });

  std::printf("free-space history, %d drives read once a second\n", kDrives);
  std::printf("  one reading taken (steady state)     %8.1f ns\n", perReading);
  std::printf("  one size text (yardstick)            %8.1f ns   reading / size text = %.2f\n", perSizeText,
              perReading / perSizeText);
  std::printf("  all %d drives, each second           %8.2f us   (%.6f %% of one core)\n", kDrives,
              perReading * kDrives / 1000, perReading * kDrives / 1e9 * 100);
  std::printf("  estimate made afresh, 3 h of minutes %8.1f us\n", perEstimate / 1000);
  std::printf("  estimate made afresh, day of blocks  %8.1f us\n", perDayEstimate / 1000);
  std::printf("  estimate asked again that minute     %8.1f ns\n", perCachedEstimate);
  std::printf("  estimate shown for a drive losing 3 MB a second: \"%s\"; the fallback: \"%s\"\n",
              dorvane::FullEstimateText(shown).c_str(),
              dorvane::FullEstimateText(estimator.Estimate(sparse, sparse.NewestTime())).c_str());
  std::printf("  save (encode %zu full series)        %8.2f ms, %zu bytes (%zu a drive)\n", values.size(),
              perSave / 1e6, bytes, bytes / std::max<std::size_t>(1, values.size()));
  std::printf("  decode one series                    %8.1f us\n", perDecode / 1000);
  std::printf("  load (decode all, keep them)         %8.2f ms\n", perLoad / 1e6);
  return gSink == 42 ? 1 : 0;
}
