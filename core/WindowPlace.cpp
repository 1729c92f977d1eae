#include "core/WindowPlace.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace dorvane {
namespace {

// The overlap of [a0, a1) and [b0, b1), computed in 64 bits (remembered positions can be
// anywhere in the int range).
std::int64_t Overlap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
  return std::max<std::int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}

// The gap between [a0, a1) and [b0, b1); 0 when they overlap.
std::int64_t Gap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
  if (a1 <= b0) return b0 - a1;
  if (b1 <= a0) return a0 - b1;
  return 0;
}

// As far inside [lo, hi) as a span of `size` goes, starting from `at`; the start of the
// range when it is narrower than the span.
int Inside(std::int64_t at, int size, int lo, int hi) {
  return static_cast<int>(std::max<std::int64_t>(lo, std::min<std::int64_t>(at, std::int64_t{hi} - size)));
}

}  // namespace

ScreenPoint VisibleWindowPlace(ScreenPoint place, int width, int height,
                               const std::vector<ScreenRect>& workAreas, ScreenPoint fallback) {
  const std::int64_t left = place.x, top = place.y, right = left + width, bottom = top + height;
  const std::int64_t needX = std::min(width, kVisibleWindowPart), needY = std::min(height, kVisibleWindowPart);
  const ScreenRect* nearest = nullptr;
  std::int64_t nearestDistance = std::numeric_limits<std::int64_t>::max();
  for (const ScreenRect& area : workAreas) {
    if (area.right <= area.left || area.bottom <= area.top) continue;
    if (Overlap(left, right, area.left, area.right) >= needX && Overlap(top, bottom, area.top, area.bottom) >= needY)
      return place;
    const std::int64_t dx = Gap(left, right, area.left, area.right), dy = Gap(top, bottom, area.top, area.bottom);
    const std::int64_t distance = dx + dy;
    if (distance < nearestDistance) {
      nearestDistance = distance;
      nearest = &area;
    }
  }
  if (!nearest) return fallback;
  return {Inside(left, width, nearest->left, nearest->right), Inside(top, height, nearest->top, nearest->bottom)};
}

}  // namespace dorvane
