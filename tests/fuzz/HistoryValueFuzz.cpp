// Fuzz target: a stored history value, whatever its bytes, decodes to a series that
// encodes and decodes back the same, or to nothing; and a decoded series takes readings
// and gives an estimate and its text without fault. Each input is tried as it is (which
// the check value mostly turns away) and with its last four bytes replaced by the check
// of the rest, so that the fuzzer reaches the fields behind the check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "core/HistoryStorage.h"
#include "core/TimeToFull.h"

namespace {

void Try(const std::vector<std::uint8_t>& value) {
  std::optional<dorvane::FreeSpaceSeries> series = dorvane::DecodeSeries(value);
  if (!series) return;
  const std::vector<std::uint8_t> again = dorvane::EncodeSeries(*series);
  if (again.size() > dorvane::kMaxHistoryValueBytes) std::abort();
  const std::optional<dorvane::FreeSpaceSeries> back = dorvane::DecodeSeries(again);
  if (!back || !(*back == *series)) std::abort();
  if (dorvane::EncodeSeries(*back) != again) std::abort();

  dorvane::TimeToFullEstimator estimator;
  const dorvane::HistorySeconds newest = series->NewestTime();
  (void)dorvane::FullEstimateText(estimator.Estimate(*series, newest));
  // Readings after, before and far from the newest one, with the figures it holds.
  const std::int64_t total = series->TotalBytes();
  const std::int64_t free = series->MinutePoint(series->NewestMinute());
  for (dorvane::HistorySeconds step : {dorvane::HistorySeconds{61}, dorvane::HistorySeconds{-3600},
                                       dorvane::HistorySeconds{40} * 86400}) {
    const bool inRange = newest + step >= -dorvane::FreeSpaceSeries::kTimeLimit &&
                         newest + step <= dorvane::FreeSpaceSeries::kTimeLimit;
    if (series->Record(newest + step, free <= total ? free : total, total) != inRange) std::abort();
    if (inRange && series->MinutePoint(series->NewestMinute()) < 0) std::abort();
    (void)dorvane::FullEstimateText(estimator.Estimate(*series, series->NewestTime()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> value(data, data + size);
  Try(value);
  if (size >= 4) {
    const std::uint32_t crc = dorvane::Crc32(std::span(value).first(size - 4));
    for (int i = 0; i < 4; ++i) value[size - 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
    Try(value);
  }
  return 0;
}
