#pragma once
// Where a remembered window position is shown: kept when the window would be seen there,
// brought back onto the desktop when it would not (a monitor taken away, a damaged
// setting).
#include <vector>

namespace dorvane {

// A rectangle in screen pixels, right and bottom exclusive.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// How much of a window must lie on one work area for it to count as seen there (or all of
// it, when it is smaller).
inline constexpr int kVisibleWindowPart = 32;

// The top-left corner for a window of the given size remembered at `place`. Kept as it is
// when a part of kVisibleWindowPart by kVisibleWindowPart (or the whole window) lies on a
// monitor's work area; otherwise moved onto the work area nearest to it, as far inside as
// its size allows; without any work area, `fallback`.
ScreenPoint VisibleWindowPlace(ScreenPoint place, int width, int height,
                               const std::vector<ScreenRect>& workAreas, ScreenPoint fallback);

}  // namespace dorvane
