// The gauge: its range and percentage rules, and its five kinds checked pixel by pixel
// under the real GDI.
#include <gtest/gtest.h>

#include <string>

#include "ControlTestSupport.h"
#include "controls/Gauges.h"
#include "framework/FormReader.h"
#include "framework/SysUtils.h"

namespace dorvane {
namespace {

using testing::ControlTest;
using testing::Difference;
using testing::SamePixels;

constexpr TColor kPanel = 0x00EBB27E;
constexpr TColor kFore = 0x000000FF;
constexpr TColor kBack = clWhite;

std::string RangeError(TGauge& gauge, bool setMin, int value) {
  try {
    if (setMin) gauge.SetMinValue(value);
    else gauge.SetMaxValue(value);
  } catch (const EInvalidOperation& e) {
    return e.Message();
  }
  return "no error";
}

// -- values -----------------------------------------------------------------------------

class GaugeValues : public ControlTest {
 protected:
  TGauge* gauge_ = nullptr;
  void SetUp() override {
    ControlTest::SetUp();
    gauge_ = Make<TGauge>(100, 100);
  }
};

TEST_F(GaugeValues, PercentDoneTruncatesAndAnEmptyRangeIsZero) {
  gauge_->SetMaxValue(3);
  gauge_->SetProgress(1);
  EXPECT_EQ(gauge_->PercentDone(), 33);
  gauge_->SetProgress(2);
  EXPECT_EQ(gauge_->PercentDone(), 66);  // 66.67 is truncated, not rounded

  gauge_->SetMinValue(-50);
  gauge_->SetMaxValue(50);
  gauge_->SetProgress(0);
  EXPECT_EQ(gauge_->PercentDone(), 50);

  gauge_->SetMinValue(0);
  gauge_->SetMaxValue(0);
  EXPECT_EQ(gauge_->Progress(), 0);
  EXPECT_EQ(gauge_->PercentDone(), 0);
}

TEST_F(GaugeValues, ProgressStaysWithinTheRange) {
  gauge_->SetProgress(150);
  EXPECT_EQ(gauge_->Progress(), 100);
  gauge_->SetProgress(-5);
  EXPECT_EQ(gauge_->Progress(), 0);

  gauge_->SetProgress(80);
  gauge_->SetMaxValue(60);
  EXPECT_EQ(gauge_->Progress(), 60);
  gauge_->SetMinValue(40);
  EXPECT_EQ(gauge_->Progress(), 60);
  gauge_->SetProgress(10);
  EXPECT_EQ(gauge_->Progress(), 40);
  gauge_->SetProgress(50);
  gauge_->SetMinValue(55);
  EXPECT_EQ(gauge_->Progress(), 55);
}

TEST_F(GaugeValues, RangeErrorsNameTheAllowedValuesAndChangeNothing) {
  gauge_->SetProgress(30);
  EXPECT_EQ(RangeError(*gauge_, true, 101), "Value must be between -2147483647 and 99");
  EXPECT_EQ(RangeError(*gauge_, false, -1), "Value must be between 1 and 2147483647");
  EXPECT_EQ(gauge_->MinValue(), 0);
  EXPECT_EQ(gauge_->MaxValue(), 100);
  EXPECT_EQ(gauge_->Progress(), 30);

  gauge_->SetMinValue(10);
  gauge_->SetMaxValue(20);
  EXPECT_EQ(RangeError(*gauge_, false, 9), "Value must be between 11 and 2147483647");
  EXPECT_EQ(RangeError(*gauge_, true, 21), "Value must be between -2147483647 and 19");
  // Equal bounds are allowed.
  EXPECT_EQ(RangeError(*gauge_, true, 20), "no error");
}

TEST_F(GaugeValues, FormLoadingAcceptsTheBoundsInAnyOrder) {
  LoadFormText(*form_,
               "Form1: TForm {\n"
               "  G: TGauge {\n"
               "    MaxValue: -5\n"
               "    MinValue: -10\n"
               "    Progress: -7\n"
               "    Kind: gkPie\n"
               "    ForeColor: clGray\n"
               "  }\n"
               "}\n");
  auto* g = form_->Require<TGauge>("G");
  EXPECT_EQ(g->MinValue(), -10);
  EXPECT_EQ(g->MaxValue(), -5);
  EXPECT_EQ(g->Progress(), -7);
  EXPECT_EQ(g->Kind(), gkPie);
  EXPECT_EQ(g->ForeColor(), clGray);
  EXPECT_EQ(g->PercentDone(), 60);
  // Once loaded the range is checked again.
  EXPECT_THROW(g->SetMaxValue(-11), EInvalidOperation);
}

// -- pie ---------------------------------------------------------------------------------

class GaugePie : public ControlTest {
 protected:
  TGauge* gauge_ = nullptr;
  void SetUp() override {
    ControlTest::SetUp();
    gauge_ = Make<TGauge>(37, 26);  // the drive panels' gauge
    gauge_->SetKind(gkPie);
    gauge_->SetBorderStyle(bsNone);
    gauge_->SetColor(kPanel);
    gauge_->SetForeColor(kFore);
    gauge_->SetBackColor(kBack);
    gauge_->SetShowText(false);
  }
  // Well inside the ellipse of the box (0, 0)-(37, 26), clear of its outline.
  static bool Inside(int x, int y) {
    const double dx = (x + 0.5 - 18.5) / 18.5, dy = (y + 0.5 - 13.0) / 13.0;
    return dx * dx + dy * dy < 0.7;
  }
  void ExpectCornersAndOutline(const TBitmap& b) {
    for (auto [x, y] : {std::pair{0, 0}, {36, 0}, {0, 25}, {36, 25}}) EXPECT_EQ(b.Pixel(x, y), kPanel) << x << "," << y;
    for (auto [x, y] : {std::pair{18, 0}, {0, 13}, {36, 13}, {18, 25}}) EXPECT_EQ(b.Pixel(x, y), kFore) << x << "," << y;
  }
};

// Inside the ellipse, clear of the outline and of two pixels either side of the radials
// (x = 18, y = 13): the wedge in the fore colour, the rest in the back colour.
TEST_F(GaugePie, TheWedgeCoversItsShareClockwiseFromTheTop) {
  using Region = bool (*)(int, int);
  const struct {
    int progress;
    Region wedge, rest;
    int minWedge, minRest;
  } cases[] = {
      {25, [](int x, int y) { return x >= 21 && y <= 10; }, [](int x, int y) { return x <= 16 || y >= 15; }, 40, 150},
      {50, [](int x, int) { return x >= 21; }, [](int x, int) { return x <= 16; }, 150, 150},
      {100, [](int, int) { return true; }, [](int, int) { return false; }, 400, 0},
      {0, [](int, int) { return false; }, [](int, int) { return true; }, 0, 400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.progress);
    gauge_->SetProgress(c.progress);
    auto b = Render(*gauge_);
    ExpectCornersAndOutline(*b);
    int wedge = 0, rest = 0;
    for (int y = 0; y < 26; ++y)
      for (int x = 0; x < 37; ++x) {
        if (!Inside(x, y)) continue;
        if (c.wedge(x, y)) {
          EXPECT_EQ(b->Pixel(x, y), kFore) << x << "," << y;
          ++wedge;
        } else if (c.rest(x, y)) {
          EXPECT_EQ(b->Pixel(x, y), kBack) << x << "," << y;
          ++rest;
        }
      }
    EXPECT_GE(wedge, c.minWedge);
    EXPECT_GE(rest, c.minRest);
  }
}

TEST_F(GaugePie, EmptyRangeShowsTheBareEllipseAndZeroPercent) {
  gauge_->SetShowText(true);
  gauge_->SetProgress(0);
  auto atZero = Render(*gauge_);
  gauge_->SetProgress(60);
  gauge_->SetMaxValue(0);  // lowers Progress to 0 as well
  EXPECT_EQ(gauge_->PercentDone(), 0);
  auto empty = Render(*gauge_);
  EXPECT_TRUE(SamePixels(*empty, *atZero));
  gauge_->SetShowText(false);
  auto bare = Render(*gauge_);
  EXPECT_GT(Difference(*empty, *bare).count, 5);  // the "0%" is there
}

// -- drawing of the other kinds, border and text ---------------------------------------------

class GaugeDrawing : public ControlTest {
 protected:
  TGauge* Gauge(int w, int h, TGaugeKind kind, TBorderStyle border) {
    TGauge* g = Make<TGauge>(w, h);
    g->SetKind(kind);
    g->SetBorderStyle(border);
    g->SetColor(clBlue);
    g->SetForeColor(kFore);
    g->SetBackColor(kBack);
    g->SetShowText(false);
    return g;
  }

  // The percentage text as it must be XOR-ed onto a borderless gauge: white in the gauge's
  // font on black, centred in the gauge. Compared pixel for pixel with what the gauge
  // draws, so that neither the face's metrics nor smoothed edges matter.
  static std::unique_ptr<TBitmap> TextMask(TGauge& g, const std::string& text) {
    auto mask = std::make_unique<TBitmap>(g.Width(), g.Height());
    TCanvas& canvas = mask->Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clBlack);
    canvas.FillRect(RECT{0, 0, g.Width(), g.Height()});
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().Assign(g.Font());
    canvas.Font().SetColor(clWhite);
    const SIZE extent = canvas.TextExtent(text);
    canvas.TextOut((g.Width() + 1 - extent.cx) / 2, (g.Height() + 1 - extent.cy) / 2, text);
    return mask;
  }
};

TEST_F(GaugeDrawing, HorizontalBarFillsItsShareFromTheLeft) {
  TGauge* g = Gauge(100, 20, gkHorizontalBar, bsNone);
  g->SetProgress(50);
  auto b = Render(*g);
  // W = 101 (the right edge counts as a pixel), so half is 50 columns.
  for (int y : {0, 10, 19}) testing::ExpectPixels(*b, {{0, y, kFore}, {49, y, kFore}, {50, y, kBack}, {99, y, kBack}});
}

TEST_F(GaugeDrawing, HorizontalBarScalesByAHundredthAndTruncates) {
  // 29 * 0.01 * 100 comes out just below 29: the bar is 28 pixels, one short.
  TGauge* g = Gauge(101, 20, gkHorizontalBar, bsSingle);
  g->SetProgress(29);
  testing::ExpectPixels(*Render(*g), {{1, 5, kFore}, {27, 5, kFore}, {28, 5, kBack}, {99, 5, kBack}, {100, 5, clBlack}});
}

TEST_F(GaugeDrawing, VerticalBarFillsFromTheBottom) {
  TGauge* g = Gauge(20, 100, gkVerticalBar, bsNone);
  g->SetProgress(50);
  auto b = Render(*g);
  // H = 101; 50 rows are filled from y = 51 down to the edge.
  for (int x : {0, 10, 19}) testing::ExpectPixels(*b, {{x, 50, kBack}, {x, 51, kFore}, {x, 99, kFore}});
  g->SetProgress(100);  // never more than H - 1 rows: the top row stays empty
  testing::ExpectPixels(*Render(*g), {{10, 0, kBack}, {10, 1, kFore}});
}

TEST_F(GaugeDrawing, TextKindFillsWithBackColor) {
  TGauge* g = Gauge(60, 30, gkText, bsNone);
  g->SetProgress(70);
  auto b = Render(*g);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(b->Pixel(x, y), kBack) << x << "," << y;
}

TEST_F(GaugeDrawing, NeedlePointsAlongThePercentage) {
  TGauge* g = Gauge(100, 50, gkNeedle, bsNone);
  g->SetProgress(25);
  auto b = Render(*g);
  // From (50, 49) toward (round(50 (1 - cos 45°)), round(49 (1 - sin 45°))) = (15, 14).
  for (int k = 2; k <= 30; ++k) EXPECT_EQ(b->Pixel(50 - k, 49 - k), kFore) << k;
  // Outside the half ellipse the gauge's colour.
  testing::ExpectPixels(*b, {{60, 39, kBack}, {50, 30, kBack}, {0, 0, clBlue}, {99, 0, clBlue}});

  g->SetProgress(75);
  b = Render(*g);
  for (int k = 2; k <= 30; ++k) EXPECT_EQ(b->Pixel(50 + k, 49 - k), kFore) << k;
  EXPECT_EQ(b->Pixel(40, 39), kBack);

  g->SetProgress(0);
  testing::ExpectPixels(*Render(*g), {{40, 39, kBack}, {60, 39, kBack}});
}

TEST_F(GaugeDrawing, SingleBorderIsBlackWhateverTheColours) {
  for (TGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle}) {
    // Low enough that the percentage text would overflow the frame if it were not clipped.
    // The needle's base line would fall on the bottom frame row.
    TGauge* g = Gauge(40, 10, kind, bsSingle);
    g->SetColor(clWhite);
    g->SetForeColor(clWhite);
    g->SetBackColor(clWhite);
    g->SetShowText(true);
    g->SetProgress(50);
    SCOPED_TRACE(kind);
    auto b = Render(*g);
    testing::ExpectFrame(*b, RECT{0, 0, 40, 10}, clBlack, clBlack);
    EXPECT_EQ(b->Pixel(1, 1), clWhite);
    g->Free();
  }
}

TEST_F(GaugeDrawing, TextInvertsWhatIsBeneathIt) {
  for (TColor back : {clWhite, clBlack, TColor{0x00336699}}) {
    TGauge* g = Gauge(60, 30, gkText, bsNone);
    g->SetBackColor(back);
    g->SetProgress(42);
    auto plain = Render(*g);
    g->SetShowText(true);
    auto text = Render(*g);
    auto mask = TextMask(*g, "42%");
    int ink = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 60; ++x) {
        ASSERT_EQ(plain->Pixel(x, y), back) << x << "," << y;
        // Where the letters are solid this is the inverse of the background.
        ASSERT_EQ(text->Pixel(x, y), back ^ mask->Pixel(x, y)) << std::hex << back << " at " << x << "," << y;
        if (mask->Pixel(x, y) != clBlack) ++ink;
      }
    EXPECT_GT(ink, 10) << std::hex << back;
    g->Free();
  }
}

TEST_F(GaugeDrawing, TextOverABarInvertsBothParts) {
  TGauge* g = Gauge(60, 30, gkHorizontalBar, bsNone);
  g->SetProgress(50);  // columns 0..29 filled; the text straddles the edge
  auto plain = Render(*g);
  g->SetShowText(true);
  auto text = Render(*g);
  auto mask = TextMask(*g, "50%");
  int overFore = 0, overBack = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      const TColor under = plain->Pixel(x, y), letters = mask->Pixel(x, y);
      ASSERT_EQ(text->Pixel(x, y), under ^ letters) << x << "," << y;
      if (letters != clBlack) (under == kFore ? overFore : overBack)++;
    }
  EXPECT_GT(overFore, 3);
  EXPECT_GT(overBack, 3);
}

TEST_F(GaugeDrawing, TextIsCentredInThePaintRect) {
  TGauge* g = Gauge(80, 40, gkText, bsSingle);
  g->SetProgress(100);
  auto plain = Render(*g);
  g->SetShowText(true);
  auto text = Render(*g);
  const SIZE extent = testing::TextSize(g->Font(), "100%");
  // The paint rectangle is (1, 1)-(79, 39); its size plus one, less the text, halved.
  const int x = (78 + 1 - extent.cx) / 2, y = (38 + 1 - extent.cy) / 2;
  const auto diff = Difference(*plain, *text);
  ASSERT_GT(diff.count, 10);
  EXPECT_GE(diff.bounds.left, x);
  EXPECT_LE(diff.bounds.right, x + extent.cx);
  EXPECT_GE(diff.bounds.top, y);
  EXPECT_LE(diff.bounds.bottom, y + extent.cy);
  // The ink is not pushed to one side of the box.
  EXPECT_LE(diff.bounds.left - x, extent.cx / 4);
  EXPECT_LE(x + extent.cx - diff.bounds.right, extent.cx / 4);
}

TEST_F(GaugeDrawing, ParentPaintsTheGaugeOpaquelyAtItsPlace) {
  TGauge* g = Gauge(37, 26, gkPie, bsNone);
  g->SetBounds(12, 48, 37, 26);
  g->SetProgress(25);
  auto own = Render(*g);
  TBitmap whole(form_->ClientWidth(), form_->ClientHeight());
  form_->PaintTo(whole.Canvas().Handle());
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 37; ++x) ASSERT_EQ(whole.Pixel(12 + x, 48 + y), own->Pixel(x, y)) << x << "," << y;
}

TEST_F(GaugeDrawing, BltBitmapTakesTheSizeAndTheFrameColour) {
  const TColor frame = testing::SysColor(COLOR_WINDOWFRAME);
  TBitmap model(7, 5);
  TBltBitmap same;
  same.SetSize(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) same.SetPixel(x, y, frame ^ 0x808080);
  same.MakeLike(model);
  TBltBitmap other;
  other.MakeLike(model);
  for (TBltBitmap* b : {&same, &other}) {
    ASSERT_EQ(b->Width(), 7);
    ASSERT_EQ(b->Height(), 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) EXPECT_EQ(b->Pixel(x, y), frame);
  }
}

// -- repaints ---------------------------------------------------------------------------------

class GaugeRepaint : public ControlTest {};

TEST_F(GaugeRepaint, OnlyVisibleChangesRepaint) {
  TGauge* g = Make<TGauge>(60, 30);
  ShowForm();
  g->SetMaxValue(1000);
  g->SetProgress(500);
  std::uint64_t paints = PaintCount();
  g->SetProgress(504);  // still 50 %
  EXPECT_EQ(g->Progress(), 504);
  EXPECT_EQ(PaintCount(), paints);
  g->SetProgress(510);
  EXPECT_GT(PaintCount(), paints);

  paints = PaintCount();
  g->SetForeColor(g->ForeColor());
  g->SetBackColor(g->BackColor());
  g->SetKind(g->Kind());
  g->SetShowText(g->ShowText());
  g->SetBorderStyle(g->BorderStyle());
  g->SetMinValue(g->MinValue());
  EXPECT_EQ(PaintCount(), paints);
  g->SetForeColor(0x0000C0);
  EXPECT_GT(PaintCount(), paints);
  paints = PaintCount();
  g->SetKind(gkPie);
  EXPECT_GT(PaintCount(), paints);
}

}  // namespace
}  // namespace dorvane
