#include "core/FreeSpaceHistory.h"

#include <algorithm>
#include <optional>

#include "core/HistoryStorage.h"
#include "core/Text.h"

namespace dorvane {

FreeSpaceHistory::FreeSpaceHistory() { entries_.reserve(kMaxSeries); }

// The tick reads the drives, and the rows ask for their estimates, in the same order
// every second, a drive often twice in a row: the entry last found is tried first, then
// the one after it.
FreeSpaceHistory::Entry* FreeSpaceHistory::FindEntry(std::string_view root) {
  const std::size_t n = entries_.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t at = (lastFound_ + i) % n;
    if (entries_[at].series.Root() == root) {
      lastFound_ = at;
      return &entries_[at];
    }
  }
  return nullptr;
}

// Successive series take their turns 23 seconds apart (23 and 60 have no common factor,
// so 26 drives get 26 different seconds).
FreeSpaceHistory::Entry& FreeSpaceHistory::Add(FreeSpaceSeries series) {
  const int turn = added_ * 23 % 60;
  added_ = (added_ + 1) % 60;
  return entries_.emplace_back(std::move(series), turn);
}

const FreeSpaceSeries* FreeSpaceHistory::Find(std::string_view root) const {
  for (const Entry& e : entries_) {
    if (e.series.Root() == root) return &e.series;
  }
  return nullptr;
}

void FreeSpaceHistory::Record(std::string_view root, std::uint32_t serial, HistorySeconds now,
                              std::int64_t freeBytes, std::int64_t totalBytes) {
  // A drive that is not ready gets no series until it answers.
  if (root.empty() || root.size() > FreeSpaceSeries::kMaxRootBytes ||
      !FreeSpaceSeries::Takes(now, freeBytes, totalBytes)) {
    return;
  }
  Entry* entry = FindEntry(root);
  if (!entry) {
    if (entries_.size() == kMaxSeries) {
      const auto oldest = std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.series.NewestTime() < b.series.NewestTime();
      });
      entries_.erase(oldest);
    }
    entry = &Add(FreeSpaceSeries(std::string(root), serial));
  } else if (entry->series.Serial() != serial) {
    entry->series.Reset(serial);
    entry->cached = false;
  }
  entry->series.Record(now, freeBytes, totalBytes);
}

FullEstimate FreeSpaceHistory::Estimate(std::string_view root, HistorySeconds now) {
  Entry* entry = FindEntry(root);
  if (!entry) return {};
  const std::int64_t minute = FloorDiv(now - entry->turnSecond, 60);
  if (!entry->cached || entry->cachedMinute != minute || entry->cachedNewest != entry->series.NewestMinute()) {
    entry->estimate = estimator_.Estimate(entry->series, now);
    entry->cached = true;
    entry->cachedMinute = minute;
    entry->cachedNewest = entry->series.NewestMinute();
  }
  return entry->estimate;
}

void FreeSpaceHistory::Load(const std::vector<StoredHistoryValue>& values, HistorySeconds now) {
  std::vector<FreeSpaceSeries> found;
  for (const StoredHistoryValue& value : values) {
    std::optional<FreeSpaceSeries> series = DecodeSeries(value.data);
    if (!series || !SameText(value.name, HistoryValueName(series->Root(), series->Serial())) ||
        series->NewestTime() < now - kHistoryKeepSeconds) {
      continue;
    }
    found.push_back(std::move(*series));
  }
  std::stable_sort(found.begin(), found.end(), [](const FreeSpaceSeries& a, const FreeSpaceSeries& b) {
    return a.NewestTime() > b.NewestTime();
  });
  entries_.clear();
  for (FreeSpaceSeries& series : found) {
    if (entries_.size() == kMaxSeries) break;
    if (FindEntry(series.Root())) continue;
    Add(std::move(series));
  }
}

std::vector<StoredHistoryValue> FreeSpaceHistory::Save(HistorySeconds now) const {
  std::vector<StoredHistoryValue> values;
  for (const Entry& e : entries_) {
    if (e.series.Empty() || e.series.NewestTime() < now - kHistoryKeepSeconds) continue;
    values.push_back({HistoryValueName(e.series.Root(), e.series.Serial()), EncodeSeries(e.series)});
  }
  return values;
}

std::vector<std::string> StaleHistoryValues(const std::vector<std::string>& namesFound,
                                            const std::vector<StoredHistoryValue>& written) {
  std::vector<std::string> stale;
  for (const std::string& name : namesFound) {
    const bool replaced = std::any_of(written.begin(), written.end(),
                                      [&](const StoredHistoryValue& v) { return SameText(v.name, name); });
    if (!replaced) stale.push_back(name);
  }
  return stale;
}

}  // namespace dorvane
