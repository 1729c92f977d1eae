// The gradient progress bar: bar length and block layout, the gradient columns, text,
// frames, and that nothing is rendered or repainted when nothing visible changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "controls/SpecialProgress.h"
#include "framework/FormReader.h"

namespace dorvane {
namespace {

using testing::ControlTest;
using testing::Difference;
using testing::RoundEven;
using testing::SamePixels;
using testing::SysColor;

constexpr TColor kBarEnd = 0x00FFA851;
constexpr TColor Grey(int v) { return RGBColor(v, v, v); }

// Column i (1-based) of a solid bar of `length` pixels from start to end.
TColor SolidColumn(TColor start, TColor end, int length, int i) {
  auto channel = [&](int s, int e) { return RoundEven(s + (i - 1) * ((e - s) / static_cast<double>(length))); };
  return RGBColor(channel(GetRValue32(start), GetRValue32(end)), channel(GetGValue32(start), GetGValue32(end)),
                  channel(GetBValue32(start), GetBValue32(end)));
}

class ProgressBar : public ControlTest {
 protected:
  TSpecialProgress* Bar(int w, int h, bool solid) {
    TSpecialProgress* bar = Make<TSpecialProgress>(w, h);
    bar->SetColor(clWhite);
    bar->SetSolid(solid);
    return bar;
  }
  // The colour of the inner column x on the rows inside the frame, which must agree.
  static TColor Column(const TBitmap& b, int x) {
    const TColor c = b.Pixel(x, 1);
    for (int y = 2; y < b.Height() - 1; ++y) EXPECT_EQ(b.Pixel(x, y), c) << "column " << x << " row " << y;
    return c;
  }
};

// -- layout and gradients -----------------------------------------------------------------------

class ProgressBarLayout : public ProgressBar {};

TEST_F(ProgressBarLayout, SolidBarShadesEveryColumnFromStartTowardEnd) {
  TSpecialProgress* bar = Bar(169, 16, true);
  bar->SetEndColor(kBarEnd);
  bar->SetGradientBlocks(true);  // no effect on a solid bar
  bar->SetPosition(50);
  EXPECT_EQ(bar->BarLength(), 83);  // 167 * 50 div 100
  auto b = Render(*bar);
  for (int i = 1; i <= 83; ++i) EXPECT_EQ(Column(*b, i), SolidColumn(clWhite, kBarEnd, 83, i)) << "column " << i;
  EXPECT_EQ(Column(*b, 1), clWhite);
  EXPECT_NE(Column(*b, 83), kBarEnd);  // the last column stops one step short
  for (int x = 84; x <= 167; ++x) EXPECT_EQ(Column(*b, x), clWhite) << x;
  testing::ExpectFrame(*b, RECT{0, 0, 169, 16}, clWhite, clWhite);
}

TEST_F(ProgressBarLayout, HalfwayChannelsRoundToEven) {
  TSpecialProgress* bar = Bar(4, 5, true);  // two inner columns
  bar->SetStartColor(clBlack);
  bar->SetEndColor(RGBColor(1, 3, 5));
  bar->SetPosition(100);
  auto b = Render(*bar);
  EXPECT_EQ(Column(*b, 1), clBlack);
  EXPECT_EQ(Column(*b, 2), RGBColor(0, 2, 2));  // (0.5, 1.5, 2.5)
}

TEST_F(ProgressBarLayout, BlocksAreDrawnOnlyWhenMoreThanHalfReached) {
  TSpecialProgress* bar = Bar(150, 15, false);
  bar->SetColor(clLime);
  bar->SetPosition(50);  // L = 74: 7 blocks and 4 pixels, not enough for an eighth
  EXPECT_EQ(bar->BlockWidth(), 10);
  EXPECT_EQ(bar->BlockCount(), 7);
  EXPECT_EQ(bar->BarLength(), 70);
  // Blocks of nine columns, each a grey of its own, and a separator in the bar's colour.
  auto expectBlocks = [&](const TBitmap& b, std::initializer_list<int> greys) {
    int k = 0;
    for (int grey : greys) {
      for (int j = 1; j <= 9; ++j) EXPECT_EQ(Column(b, 10 * k + j), Grey(grey)) << "block " << k;
      EXPECT_EQ(Column(b, 10 * ++k), clLime) << "separator " << k;
    }
  };
  auto b = Render(*bar);
  expectBlocks(*b, {255, 219, 182, 146, 109, 73, 36});  // 255 - k * 10 * 255 / 70
  for (int x = 71; x <= 148; ++x) EXPECT_EQ(Column(*b, x), clLime) << x;

  bar->SetMaximum(148);
  bar->SetPosition(75);  // L = 75: exactly half-way into the eighth block is not enough
  EXPECT_EQ(bar->BlockCount(), 7);
  EXPECT_EQ(bar->BarLength(), 70);

  bar->SetMaximum(100);
  bar->SetPosition(54);  // L = 79: 9 pixels into the eighth block
  EXPECT_EQ(bar->BlockCount(), 8);
  EXPECT_EQ(bar->BarLength(), 80);
  b = Render(*bar);
  expectBlocks(*b, {255, 223, 191, 159, 128, 96, 64, 32});  // 255 - k * 10 * 255 / 80
  EXPECT_EQ(Column(*b, 81), clLime);
}

TEST_F(ProgressBarLayout, NarrowLastBlockEndsAtTheInnerEdge) {
  TSpecialProgress* bar = Bar(95, 15, false);  // 93 inner pixels: 9 blocks and 3 left
  bar->SetColor(clLime);
  bar->SetPosition(100);
  EXPECT_EQ(bar->BlockCount(), 10);
  EXPECT_EQ(bar->BarLength(), 93);
  auto b = Render(*bar);
  EXPECT_EQ(Column(*b, 90), clLime);  // separator after the ninth block
  for (int x = 91; x <= 93; ++x) EXPECT_EQ(Column(*b, x), Grey(8)) << x;  // 255 - 90 * 255 / 93
  EXPECT_EQ(b->Pixel(94, 7), clLime);  // the frame
}

TEST_F(ProgressBarLayout, GradientBlocksShadeEveryColumn) {
  TSpecialProgress* bar = Bar(150, 15, false);
  bar->SetColor(clLime);
  bar->SetGradientBlocks(true);
  bar->SetPosition(50);
  auto b = Render(*bar);
  // One step per pixel of the bar, separators included.
  const double step = -255.0 / 70;
  double v = 255;
  for (int x = 1; x <= 70; ++x, v += step) {
    if (x % 10 == 0) {
      EXPECT_EQ(Column(*b, x), clLime) << x;
    } else {
      EXPECT_EQ(Column(*b, x), Grey(RoundEven(v))) << x;
    }
  }
}

TEST_F(ProgressBarLayout, EqualColoursGiveOneFlatColour) {
  constexpr TColor flat = 0x00336699;
  for (bool solid : {true, false}) {
    TSpecialProgress* bar = Bar(150, 15, solid);
    bar->SetGradientBlocks(true);
    bar->SetStartColor(flat);
    bar->SetEndColor(flat);
    bar->SetPosition(100);
    auto b = Render(*bar);
    for (int x = 1; x <= bar->BarLength(); ++x)
      if (solid || x % 10 != 0) {
        EXPECT_EQ(Column(*b, x), flat) << solid << " " << x;
      }
    bar->Free();
  }
}

TEST_F(ProgressBarLayout, EmptyRangeKeepsTheBarAndShowsZero) {
  TSpecialProgress* bar = Bar(169, 16, true);
  bar->SetEndColor(kBarEnd);
  bar->SetPosition(50);
  bar->SetTextOption(toPercent);
  bar->SetTextCentered(true);
  bar->SetMinimum(100);  // raises Position to 100 too
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(bar->Percent(), 0);
  EXPECT_EQ(bar->BarLength(), 83);
  auto zero = Render(*bar);
  bar->SetCaption("0%");
  bar->SetTextOption(toCaption);
  EXPECT_TRUE(SamePixels(*zero, *Render(*bar)));
}

TEST_F(ProgressBarLayout, TooSmallShowsNothing) {
  TSpecialProgress* bar = Bar(2, 15, true);
  bar->SetPosition(100);
  EXPECT_EQ(testing::CountPixels(*Render(*bar, 0x00123456), 0x00123456, RECT{0, 0, 2, 15}), 30);
}

TEST_F(ProgressBarLayout, ResizeLaysTheBarOutAgain) {
  TSpecialProgress* bar = Bar(169, 16, true);
  bar->SetPosition(50);
  bar->SetBounds(0, 0, 102, 16);
  bar->SetColor(clYellow);  // a render right after the resize already uses the new length
  EXPECT_EQ(bar->BarLength(), 50);
  auto b = Render(*bar);
  EXPECT_NE(Column(*b, 50), clYellow);
  EXPECT_EQ(Column(*b, 51), clYellow);
}

// -- text ------------------------------------------------------------------------------------------

class ProgressBarText : public ProgressBar {
 protected:
  // The ink of the bar's text: what differs from the same bar without text.
  testing::Diff Ink(TSpecialProgress& bar) {
    const TTextOption option = bar.TextOption();
    auto with = Render(bar);
    bar.SetTextOption(toNoText);
    auto without = Render(bar);
    bar.SetTextOption(option);
    return Difference(*with, *without);
  }
};

// Centred, the percentage stands in the middle of the whole bar; otherwise in the middle
// of the filled part (83 pixels at 50 %).
TEST_F(ProgressBarText, PercentIsCentredOverTheWholeWidthOrTheFilledPart) {
  TSpecialProgress* bar = Bar(169, 16, true);
  bar->SetEndColor(kBarEnd);
  bar->SetPosition(50);
  bar->SetTextOption(toPercent);
  const SIZE extent = testing::TextSize(bar->Font(), "50%");
  const int y = std::max(0, (16 - static_cast<int>(extent.cy)) / 2);
  for (bool centred : {true, false}) {
    SCOPED_TRACE(centred);
    bar->SetTextCentered(centred);
    const int x = ((centred ? 169 : 83) - extent.cx) / 2;
    const auto ink = Ink(*bar);
    ASSERT_GT(ink.count, 10);
    EXPECT_GE(ink.bounds.left, x);
    EXPECT_LE(ink.bounds.right, x + extent.cx);
    EXPECT_LE(ink.bounds.left - x, extent.cx / 4);
    if (centred) {
      EXPECT_GE(ink.bounds.top, y);
      EXPECT_LE(ink.bounds.bottom, std::min(16L, y + extent.cy));
    }
  }
}

TEST_F(ProgressBarText, FormatPutsThePercentageIntoTheCaption) {
  TSpecialProgress* bar = Bar(169, 16, true);
  bar->SetPosition(42);
  bar->SetTextCentered(true);
  bar->SetCaption("Used %d%% of it");
  bar->SetTextOption(toFormat);
  auto formatted = Render(*bar);
  bar->SetTextOption(toCaption);
  auto raw = Render(*bar);
  EXPECT_FALSE(SamePixels(*formatted, *raw));
  bar->SetCaption("Used 42% of it");
  EXPECT_TRUE(SamePixels(*formatted, *Render(*bar)));
}

TEST(FormatPercentCaption, ReplacesOnlyPercentDAndDoubledPercent) {
  EXPECT_EQ(FormatPercentCaption("%d%%", 42), "42%");
  EXPECT_EQ(FormatPercentCaption("Free: %d %% / %d", 7), "Free: 7 % / 7");
  EXPECT_EQ(FormatPercentCaption("%%d", 7), "%d");
  EXPECT_EQ(FormatPercentCaption("%s %x %n %5d", 7), "%s %x %n %5d");
  EXPECT_EQ(FormatPercentCaption("100%", 7), "100%");
  EXPECT_EQ(FormatPercentCaption("", 7), "");
  EXPECT_EQ(FormatPercentCaption("Σ %d", -3), "Σ -3");
}

// -- frames ----------------------------------------------------------------------------------------

class ProgressBarFrame : public ProgressBar {};

TEST_F(ProgressBarFrame, NoneIsAOnePixelFrameInColor) {
  TSpecialProgress* bar = Bar(60, 15, true);
  bar->SetColor(clYellow);
  bar->SetStartColor(clRed);
  bar->SetEndColor(clRed);
  bar->SetPosition(100);
  auto b = Render(*bar);
  testing::ExpectFrame(*b, RECT{0, 0, 60, 15}, clYellow, clYellow);
  testing::ExpectPixels(*b, {{1, 1, clRed}, {58, 13, clRed}});
}

TEST_F(ProgressBarFrame, SingleIsThreeNestedBevelsOverTheBar) {
  TSpecialProgress* bar = Bar(60, 15, true);
  bar->SetStartColor(clRed);
  bar->SetEndColor(clRed);
  bar->SetPosition(100);
  bar->SetBorderStyle(bsSingle);
  auto b = Render(*bar);
  const TColor face = SysColor(COLOR_BTNFACE), shadow = SysColor(COLOR_BTNSHADOW),
               light = SysColor(COLOR_BTNHIGHLIGHT), dark = SysColor(COLOR_3DDKSHADOW);
  struct Ring {
    TColor topLeft, bottomRight;
  } rings[] = {{face, face}, {shadow, light}, {dark, face}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    testing::ExpectFrame(*b, RECT{i, i, 60 - i, 15 - i}, rings[i].topLeft, rings[i].bottomRight);
  }
  testing::ExpectPixels(*b, {{3, 3, clRed}, {56, 11, clRed}});
}

// -- rendering and repainting only on visible change ----------------------------------------------

class ProgressBarRepaint : public ProgressBar {};

TEST_F(ProgressBarRepaint, OnlyVisibleChangesRenderAgain) {
  TSpecialProgress* bar = Bar(169, 16, true);
  bar->SetMaximum(1000);
  bar->SetPosition(500);  // bar length 83, 50 %
  ShowForm();
  std::uint64_t paints = PaintCount();

  bar->SetPosition(500);
  bar->SetPosition(501);  // neither the length nor a printed percentage moves
  EXPECT_EQ(PaintCount(), paints);
  bar->SetPosition(503);  // the length becomes 84
  EXPECT_EQ(bar->BarLength(), 84);
  EXPECT_GT(PaintCount(), paints);

  bar->SetPosition(509);
  paints = PaintCount();
  bar->SetPosition(510);  // 51 %, length still 85: nothing printed, nothing to show
  EXPECT_EQ(bar->BarLength(), 85);
  EXPECT_EQ(PaintCount(), paints);

  bar->SetTextOption(toPercent);
  paints = PaintCount();
  bar->SetPosition(509);  // back to 50 %: the printed text changes
  EXPECT_GT(PaintCount(), paints);

  paints = PaintCount();
  bar->SetStep(3);
  bar->SetHintColor(clRed);
  bar->SetGradientBlocks(true);  // solid: nothing to shade
  bar->SetEndColor(bar->EndColor());
  EXPECT_EQ(PaintCount(), paints);
  bar->SetEndColor(kBarEnd);
  EXPECT_GT(PaintCount(), paints);
}

// -- hint colour, events, loading -------------------------------------------------------------------

class ProgressBarEvents : public ProgressBar {
 protected:
  void TearDown() override {
    Application().SetHintColor(clInfoBk);
    ProgressBar::TearDown();
  }
};

TEST_F(ProgressBarEvents, HintColorHoldsWhileTheMouseIsInside) {
  TSpecialProgress* bar = Bar(169, 16, true);
  std::vector<std::string> calls;
  bar->OnMouseEnter = [&](TObject* s) { calls.push_back(s == bar ? "enter" : "enter?"); };
  bar->OnMouseLeave = [&](TObject* s) { calls.push_back(s == bar ? "leave" : "leave?"); };
  bar->SetHintColor(clLime);
  Application().SetHintColor(clRed);
  bar->MouseEnter();
  EXPECT_EQ(Application().HintColor(), clLime);
  bar->MouseLeave();
  EXPECT_EQ(Application().HintColor(), clRed);
  EXPECT_EQ(calls, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(ProgressBarEvents, ParentColourChangeIsReported) {
  TSpecialProgress* bar = Make<TSpecialProgress>(60, 15);
  TObject* sender = nullptr;
  bar->OnParentColorChange = [&](TObject* s) { sender = s; };
  form_->SetColor(clYellow);
  EXPECT_EQ(sender, bar);
  EXPECT_EQ(bar->Color(), clYellow);  // ParentColor follows the form
  EXPECT_EQ(Render(*bar)->Pixel(0, 0), clYellow);
}

TEST_F(ProgressBarEvents, FormDescriptionRendersOnLoad) {
  LoadFormText(*form_,
               "Form1: TForm {\n"
               "  FreeBar: TSpecialProgress {\n"
               "    Left: 12; Top: 57; Width: 169; Height: 16\n"
               "    Caption: \"FreeBar\"\n"
               "    Color: clWhite\n"
               "    EndColor: 0x00FFA851\n"
               "    GradientBlocks: True\n"
               "    Solid: True\n"
               "    Position: 50\n"
               "    TextCentered: True\n"
               "    TextOption: toPercent\n"
               "  }\n"
               "}\n");
  auto* bar = form_->Require<TSpecialProgress>("FreeBar");
  EXPECT_FALSE(bar->ParentColor());
  EXPECT_EQ(bar->BarLength(), 83);
  auto b = Render(*bar);
  for (int i = 1; i <= 50; ++i) EXPECT_EQ(b->Pixel(i, 8), SolidColumn(clWhite, kBarEnd, 83, i)) << i;
  EXPECT_EQ(b->Pixel(140, 8), clWhite);
}

}  // namespace
}  // namespace dorvane
