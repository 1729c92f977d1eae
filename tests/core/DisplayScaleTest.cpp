#include <gtest/gtest.h>

#include "core/DisplayScale.h"

namespace dorvane {
namespace {

// The four display scales the program is drawn for, with the window's specified figures
// worked out by hand at each (x 1.25, 1.5, 2; halves away from zero).
struct Scale {
  int dpi;
  int percent;
  int baseWidth;     // 257: the window without drive panels
  int panelWidth;    // 64
  int compact;       // 143: the normal view's height
  int expanded;      // 448: the settings view's height
  int firstSlot;     // 230: where panel 1 goes to be put back in order
  int fontHeight;    // -11: the window's font
  int cornerEllipse; // 9
  int trayIcon;      // the small icon's side
};
constexpr Scale kScales[] = {
    {96, 100, 257, 64, 143, 448, 230, -11, 9, 16},
    {120, 125, 321, 80, 179, 560, 288, -14, 11, 20},
    {144, 150, 386, 96, 215, 672, 345, -17, 14, 24},
    {192, 200, 514, 128, 286, 896, 460, -22, 18, 32},
};

TEST(DisplayScale, SpecifiedFiguresAtEachScale) {
  for (const Scale& s : kScales) {
    SCOPED_TRACE(s.dpi);
    EXPECT_EQ(ScalePercent(s.dpi), s.percent);
    EXPECT_EQ(ScaleForDpi(257, s.dpi), s.baseWidth);
    EXPECT_EQ(ScaleForDpi(64, s.dpi), s.panelWidth);
    EXPECT_EQ(ScaleForDpi(143, s.dpi), s.compact);
    EXPECT_EQ(ScaleForDpi(448, s.dpi), s.expanded);
    EXPECT_EQ(ScaleForDpi(230, s.dpi), s.firstSlot);
    EXPECT_EQ(ScaleForDpi(-11, s.dpi), s.fontHeight);
    EXPECT_EQ(ScaleForDpi(9, s.dpi), s.cornerEllipse);
    EXPECT_EQ(SmallIconSizeForDpi(s.dpi), s.trayIcon);
    // Twelve checked rows: the width the window needs is the base and one panel each,
    // whether the sum is scaled or its parts (a panel scales to whole pixels at all four).
    EXPECT_EQ(ScaleForDpi(257 + 64 * 12, s.dpi), s.baseWidth + 12 * s.panelWidth);
  }
}

TEST(DisplayScale, HalvesRoundAwayFromZeroAlike) {
  // 1.5 x an odd figure ends in a half: up for positive figures, down for negative ones.
  EXPECT_EQ(ScaleForDpi(1, 144), 2);
  EXPECT_EQ(ScaleForDpi(-1, 144), -2);
  EXPECT_EQ(ScaleForDpi(3, 144), 5);
  EXPECT_EQ(ScaleForDpi(-3, 144), -5);
  // 1.25 x 2 = 2.5, x 6 = 7.5.
  EXPECT_EQ(ScaleForDpi(2, 120), 3);
  EXPECT_EQ(ScaleForDpi(6, 120), 8);
  EXPECT_EQ(ScaleForDpi(0, 192), 0);
  // Below the half: down.
  EXPECT_EQ(ScaleForDpi(1, 120), 1);   // 1.25
  EXPECT_EQ(ScaleForDpi(-1, 120), -1);
  // Figures far beyond any screen do not overflow on the way.
  EXPECT_EQ(ScaleForDpi(1'000'000'000, 192), 2'000'000'000);
}

TEST(DisplayScale, UnknownDpiLeavesFiguresAlone) {
  EXPECT_EQ(ScaleForDpi(257, 0), 257);
  EXPECT_EQ(ScaleForDpi(257, -96), 257);
  EXPECT_EQ(Rescale(257, 0, 144), 257);
  EXPECT_EQ(RescaleForDpi(386, 144, 0), 386);
}

TEST(DisplayScale, FiguresComeHomeFromEveryScale) {
  // Scaled up from 96 dpi and read back, every figure is itself again; moved from one
  // scale to another, it is what scaling it there directly gives (no drift however often
  // the window changes monitors).
  for (const Scale& from : kScales) {
    for (int figure = -300; figure <= 2000; ++figure) {
      const int shown = ScaleForDpi(figure, from.dpi);
      ASSERT_EQ(FigureAtDesignDpi(shown, from.dpi), figure) << from.dpi;
      for (const Scale& to : kScales)
        ASSERT_EQ(RescaleForDpi(shown, from.dpi, to.dpi), ScaleForDpi(figure, to.dpi)) << from.dpi << "->" << to.dpi;
    }
  }
  // A pixel figure made at a scale (a width the user chose) goes to the nearest one.
  EXPECT_EQ(FigureAtDesignDpi(100, 144), 67);  // 66.67
  EXPECT_EQ(RescaleForDpi(100, 144, 192), 134);
}

}  // namespace
}  // namespace dorvane
