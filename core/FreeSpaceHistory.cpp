#include "core/FreeSpaceHistory.h"

#include <algorithm>
#include <optional>

#include "core/HistoryStorage.h"
#include "core/Text.h"

namespace dorvane {

FreeSpaceHistory::FreeSpaceHistory() { entries_.reserve(kMaxSeries); }

FreeSpaceHistory::Entry* FreeSpaceHistory::FindEntry(std::string_view root) {
  for (Entry& e : entries_) {
    if (e.series.Root() == root) return &e;
  }
  return nullptr;
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
    entry = &entries_.emplace_back(FreeSpaceSeries(std::string(root), serial));
  } else if (entry->series.Serial() != serial) {
    entry->series.Reset(serial);
    entry->cached = false;
  }
  entry->series.Record(now, freeBytes, totalBytes);
}

FullEstimate FreeSpaceHistory::Estimate(std::string_view root, HistorySeconds now) {
  Entry* entry = FindEntry(root);
  if (!entry) return {};
  const std::int64_t minute = FloorDiv(now, 60);
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
    entries_.emplace_back(std::move(series));
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
