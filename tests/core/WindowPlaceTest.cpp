#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "core/WindowPlace.h"

namespace dorvane {
namespace {

// Two monitors side by side: a 1920 x 1080 one with a 40-pixel taskbar at the bottom,
// and a 1280 x 1024 one to its right, lower down.
const std::vector<ScreenRect> kDesk = {{0, 0, 1920, 1040}, {1920, 200, 3200, 1224}};
constexpr ScreenPoint kCentre{960, 540};
constexpr int kW = 261, kH = 143;

TEST(WindowPlace, SeenPlacesAreKeptOthersComeBackOntoTheNearestMonitor) {
  struct Case {
    ScreenPoint remembered;
    ScreenPoint shown;
    const char* why;
  };
  const Case cases[] = {
      {{120, -5}, {120, -5}, "mostly on the first monitor"},
      {{1900, 600}, {1900, 600}, "across both monitors"},
      {{-kW + 32, 100}, {-kW + 32, 100}, "32 pixels of it still on the left"},
      {{3200 - 32, 1224 - 32}, {3200 - 32, 1224 - 32}, "the corner square on the second monitor"},
      {{-kW + 31, 100}, {0, 100}, "one pixel too few: back to the left edge"},
      {{2500, 0}, {2500, 200}, "above the lower monitor: down onto it"},
      {{5000, 500}, {3200 - kW, 500}, "where a third monitor was"},
      {{-32768, 32767}, {0, 1040 - kH}, "far off: the nearest corner of the work area"},
      {{INT_MIN, 99999}, {0, 1040 - kH}, "a damaged setting"},
      {{INT_MAX - kW, INT_MIN}, {3200 - kW, 200}, "the other extremes"},
      {{100, 1030}, {100, 1040 - kH}, "on the taskbar"},
  };
  for (const Case& c : cases) {
    const ScreenPoint p = VisibleWindowPlace(c.remembered, kW, kH, kDesk, kCentre);
    EXPECT_EQ(p.x, c.shown.x) << c.why;
    EXPECT_EQ(p.y, c.shown.y) << c.why;
  }
}

TEST(WindowPlace, AWindowLargerThanTheWorkAreaStartsAtItsCornerAndNoMonitorGivesTheFallback) {
  const std::vector<ScreenRect> small = {{0, 0, 200, 100}};
  const ScreenPoint p = VisibleWindowPlace({-900, -900}, kW, kH, small, kCentre);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  const ScreenPoint none = VisibleWindowPlace({-900, -900}, kW, kH, {}, kCentre);
  EXPECT_EQ(none.x, kCentre.x);
  EXPECT_EQ(none.y, kCentre.y);
  const ScreenPoint empty = VisibleWindowPlace({-900, -900}, kW, kH, {{10, 10, 10, 10}}, kCentre);
  EXPECT_EQ(empty.x, kCentre.x) << "an empty work area is no monitor";
}

}  // namespace
}  // namespace dorvane
