#include "core/FreeSpaceSeries.h"

#include <algorithm>
#include <utility>

namespace dorvane {

FreeSpaceSeries::FreeSpaceSeries(std::string root, std::uint32_t serial)
    : root_(std::move(root)), serial_(serial), minutes_(kMinuteSlots, kNoPoint), blocks_(kBlockSlots, kNoPoint) {}

void FreeSpaceSeries::Reset(std::uint32_t serial) {
  serial_ = serial;
  total_ = 0;
  newestTime_ = kNoTime;
  std::fill(minutes_.begin(), minutes_.end(), kNoPoint);
  std::fill(blocks_.begin(), blocks_.end(), kNoPoint);
}

// Empties the slots of the minutes (or blocks) after `from` up to and including `to`; a
// span longer than the ring empties all of it.
void FreeSpaceSeries::ClearAfter(std::vector<std::int64_t>& ring, std::int64_t from, std::int64_t to) {
  const auto size = static_cast<std::int64_t>(ring.size());
  if (to - from >= size) {
    std::fill(ring.begin(), ring.end(), kNoPoint);
    return;
  }
  for (std::int64_t at = from + 1; at <= to; ++at) ring[static_cast<std::size_t>(FloorMod(at, size))] = kNoPoint;
}

bool FreeSpaceSeries::Record(HistorySeconds time, std::int64_t freeBytes, std::int64_t totalBytes) {
  if (!Takes(time, freeBytes, totalBytes)) return false;
  const std::int64_t minute = FloorDiv(time, 60);
  const std::int64_t block = FloorDiv(minute, kBlockMinutes);
  if (!Empty()) {
    const std::int64_t newestMinute = NewestMinute();
    const std::int64_t newestBlock = NewestBlock();
    if (minute > newestMinute) {
      ClearAfter(minutes_, newestMinute, minute);
      ClearAfter(blocks_, newestBlock, block);
    } else if (minute < newestMinute) {
      ClearAfter(minutes_, minute, newestMinute);
      ClearAfter(blocks_, block, newestBlock);
    }
  }
  newestTime_ = time;
  total_ = totalBytes;
  minutes_[static_cast<std::size_t>(FloorMod(minute, kMinuteSlots))] = freeBytes;
  blocks_[static_cast<std::size_t>(FloorMod(block, kBlockSlots))] = freeBytes;
  return true;
}

std::int64_t FreeSpaceSeries::MinutePoint(std::int64_t minute) const {
  if (Empty()) return kNoPoint;
  const std::int64_t newest = NewestMinute();
  if (minute > newest || minute <= newest - kMinuteSlots) return kNoPoint;
  return minutes_[static_cast<std::size_t>(FloorMod(minute, kMinuteSlots))];
}

std::int64_t FreeSpaceSeries::BlockPoint(std::int64_t block) const {
  if (Empty()) return kNoPoint;
  const std::int64_t newest = NewestBlock();
  if (block > newest || block <= newest - kBlockSlots) return kNoPoint;
  return blocks_[static_cast<std::size_t>(FloorMod(block, kBlockSlots))];
}

// The ring from the slot after the newest one (the oldest) round to the newest.
std::vector<std::int64_t> FreeSpaceSeries::OldestFirst(const std::vector<std::int64_t>& ring, std::int64_t newest) {
  const auto oldest = static_cast<std::ptrdiff_t>(FloorMod(newest + 1, static_cast<std::int64_t>(ring.size())));
  std::vector<std::int64_t> slots(ring.begin() + oldest, ring.end());
  slots.insert(slots.end(), ring.begin(), ring.begin() + oldest);
  return slots;
}

void FreeSpaceSeries::PutOldestFirst(std::vector<std::int64_t>& ring, std::int64_t newest,
                                     const std::vector<std::int64_t>& slots) {
  const auto oldest = static_cast<std::ptrdiff_t>(FloorMod(newest + 1, static_cast<std::int64_t>(ring.size())));
  std::copy(slots.begin(), slots.end() - oldest, ring.begin() + oldest);
  std::copy(slots.end() - oldest, slots.end(), ring.begin());
}

std::optional<FreeSpaceSeries> FreeSpaceSeries::Restore(std::string root, std::uint32_t serial,
                                                        std::int64_t totalBytes, HistorySeconds newestTime,
                                                        const std::vector<std::int64_t>& minutes,
                                                        const std::vector<std::int64_t>& blocks) {
  if (root.empty() || root.size() > kMaxRootBytes || totalBytes <= 0 || newestTime < -kTimeLimit ||
      newestTime > kTimeLimit || minutes.size() != kMinuteSlots || blocks.size() != kBlockSlots ||
      minutes.back() < 0 || blocks.back() < 0) {
    return std::nullopt;
  }
  const auto sane = [](std::int64_t v) { return v == kNoPoint || v >= 0; };
  if (!std::all_of(minutes.begin(), minutes.end(), sane) || !std::all_of(blocks.begin(), blocks.end(), sane)) {
    return std::nullopt;
  }
  FreeSpaceSeries series(std::move(root), serial);
  series.total_ = totalBytes;
  series.newestTime_ = newestTime;
  PutOldestFirst(series.minutes_, series.NewestMinute(), minutes);
  PutOldestFirst(series.blocks_, series.NewestBlock(), blocks);
  return series;
}

}  // namespace dorvane
