// The gradient fill: each style's bands and rings at the pixels they must cover, the
// lowering of Steps, and rebuilding only on a change of size or property.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "controls/GradientFill.h"

namespace dorvane {
namespace {

using testing::ControlTest;
using testing::RoundEven;

constexpr TColor kPanel = 0x00EBB27E;

// Colour step i of n from s to e.
TColor Step(TColor s, TColor e, int n, int i) {
  auto channel = [&](int a, int b) { return RoundEven(a + i * ((b - a) / static_cast<double>(n))); };
  return RGBColor(channel(GetRValue32(s), GetRValue32(e)), channel(GetGValue32(s), GetGValue32(e)),
                  channel(GetBValue32(s), GetBValue32(e)));
}

void ExpectAll(const TBitmap& b, TColor color) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) ASSERT_EQ(b.Pixel(x, y), color) << x << "," << y;
}

class GradientFillTest : public ControlTest {
 protected:
  TGradientFill* Fill(int w, int h, TGradStyle style, int steps, TColor start = kPanel, TColor end = clWhite) {
    TGradientFill* fill = Make<TGradientFill>(w, h);
    fill->SetStyle(style);
    fill->SetSteps(static_cast<std::uint16_t>(steps));
    fill->SetStartColor(start);
    fill->SetEndColor(end);
    return fill;
  }
};

TEST_F(GradientFillTest, HorizontalBandsAreOneColumnPerStepAtFullWidth) {
  TGradientFill* fill = Fill(42, 30, grHorizontal, 42);
  auto b = Render(*fill);
  EXPECT_EQ(fill->Steps(), 42);
  for (int x = 0; x < 42; ++x)
    for (int y : {0, 15, 29}) EXPECT_EQ(b->Pixel(x, y), Step(kPanel, clWhite, 42, x)) << x;
  EXPECT_EQ(b->Pixel(0, 0), kPanel);
  EXPECT_NE(b->Pixel(41, 0), clWhite);  // the end colour falls on the band beyond the edge
}

TEST_F(GradientFillTest, NarrowHorizontalLowersStepsForGood) {
  TGradientFill* fill = Fill(10, 20, grHorizontal, 100, clBlack, clWhite);
  auto b = Render(*fill);
  EXPECT_EQ(fill->Steps(), 10);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b->Pixel(x, 7), Step(clBlack, clWhite, 10, x)) << x;

  fill->SetBounds(0, 0, 20, 20);  // wider again: the property kept the lower value
  b = Render(*fill);
  EXPECT_EQ(fill->Steps(), 10);
  for (int x = 0; x < 20; ++x) EXPECT_EQ(b->Pixel(x, 7), Step(clBlack, clWhite, 10, x / 2)) << x;
}

TEST_F(GradientFillTest, VerticalBandsRunDown) {
  TGradientFill* fill = Fill(20, 50, grVertical, 25);
  auto b = Render(*fill);
  EXPECT_EQ(fill->Steps(), 25);
  for (int y = 0; y < 50; ++y)
    for (int x : {0, 19}) EXPECT_EQ(b->Pixel(x, y), Step(kPanel, clWhite, 25, y / 2)) << y;
}

TEST_F(GradientFillTest, PyramidRingsShrinkTowardTheCentre) {
  TGradientFill* fill = Fill(100, 60, grPyramid, 10, clBlack, clWhite);
  auto b = Render(*fill);
  // Ring i covers x in [5i, 100 - 5i) and y in [3i, 60 - 3i).
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(b->Pixel(5 * i, 30), Step(clBlack, clWhite, 10, i)) << i;
    EXPECT_EQ(b->Pixel(99 - 5 * i, 30), Step(clBlack, clWhite, 10, i)) << i;
    EXPECT_EQ(b->Pixel(50, 3 * i), Step(clBlack, clWhite, 10, i)) << i;
    EXPECT_EQ(b->Pixel(50, 59 - 3 * i), Step(clBlack, clWhite, 10, i)) << i;
  }
  EXPECT_EQ(b->Pixel(0, 0), clBlack);
  EXPECT_EQ(b->Pixel(50, 30), Step(clBlack, clWhite, 10, 9));
}

TEST_F(GradientFillTest, MountOfTheMemoryPanelKeepsItsSteps) {
  TGradientFill* fill = Fill(39, 97, grMount, 19);
  auto b = Render(*fill);
  EXPECT_EQ(fill->Steps(), 19);  // 19 is not above 39 div 2
  testing::ExpectPixels(*b, {{0, 0, kPanel}, {38, 96, kPanel}});
  // The straight top edge of rounded rectangle i lies at round(i * 97 / 19 / 2).
  for (int i = 0; i < 19; ++i)
    EXPECT_EQ(b->Pixel(19, RoundEven(i * (97.0 / 19 / 2))), Step(kPanel, clWhite, 19, i)) << i;
}

TEST_F(GradientFillTest, EllipseRingsMeetAtTheCentre) {
  TGradientFill* fill = Fill(100, 100, grEllipse, 10, clBlack, clWhite);
  auto b = Render(*fill);
  EXPECT_EQ(fill->Steps(), 10);
  testing::ExpectPixels(*b, {{0, 0, clBlack}, {99, 99, clBlack}});
  // The left and top extremes of ellipse i are at 5i on the middle lines.
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(b->Pixel(5 * i, 50), Step(clBlack, clWhite, 10, i)) << i;
    EXPECT_EQ(b->Pixel(50, 5 * i), Step(clBlack, clWhite, 10, i)) << i;
  }
}

TEST_F(GradientFillTest, PropertyChangeRebuildsAtTheNextPaint) {
  TGradientFill* fill = Fill(42, 20, grHorizontal, 42);
  EXPECT_EQ(Render(*fill)->Pixel(0, 0), kPanel);
  fill->SetStartColor(clRed);  // same size: only the setter can ask for the rebuild
  auto b = Render(*fill);
  EXPECT_EQ(b->Pixel(0, 0), clRed);
  EXPECT_EQ(b->Pixel(20, 10), Step(clRed, clWhite, 42, 20));
  fill->SetStyle(grFilled);
  ExpectAll(*Render(*fill), clRed);
}

TEST_F(GradientFillTest, HalfwayChannelsRoundToEven) {
  // Halfway between black and (1, 3, 5) is (0.5, 1.5, 2.5): ties, rounded to even.
  TGradientFill* fill = Fill(2, 4, grHorizontal, 2, clBlack, RGBColor(1, 3, 5));
  testing::ExpectPixels(*Render(*fill), {{0, 0, clBlack}, {1, 0, RGBColor(0, 2, 2)}});
}

// Filled, equal colours, no steps (also when the size lowers Steps to 0): one colour
// everywhere, system colours resolved.
TEST_F(GradientFillTest, OneColourWhereThereIsNothingToShade) {
  constexpr TColor kFlat = 0x00336699;
  const struct {
    int w, h;
    TGradStyle style;
    int steps;
    TColor start, end, all;
    int stepsAfter;  // -1: not lowered to a value of interest
  } cases[] = {
      {30, 20, grFilled, 10, kPanel, clWhite, kPanel, -1},
      {39, 97, grMount, 19, kFlat, kFlat, kFlat, -1},
      {42, 20, grHorizontal, 42, kFlat, kFlat, kFlat, -1},
      {20, 20, grFilled, 10, clBtnFace, clWhite, testing::SysColor(COLOR_BTNFACE), -1},
      {30, 20, grHorizontal, 0, kPanel, clWhite, kPanel, 0},
      {30, 20, grVertical, 0, kPanel, clWhite, kPanel, 0},
      {1, 40, grEllipse, 100, kPanel, clWhite, kPanel, 0},  // 1 div 2 lowers Steps to 0
      {30, 1, grMount, 100, kPanel, clWhite, kPanel, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << " style " << c.style << " steps " << c.steps);
    TGradientFill* fill = Fill(c.w, c.h, c.style, c.steps, c.start, c.end);
    ExpectAll(*Render(*fill), c.all);
    if (c.stepsAfter >= 0) {
      EXPECT_EQ(fill->Steps(), c.stepsAfter);
    }
    fill->Free();
  }
}

}  // namespace
}  // namespace dorvane
