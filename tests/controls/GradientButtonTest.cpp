// The gradient button: its defaults and schemes, the shaded face line by line, where glyph
// and caption go in each layout and state, the states a mouse drag passes through, keys,
// a button of no height, and paints that leave no GDI objects behind.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "controls/GradientButton.h"
#include "framework/Edit.h"
#include "tests/support/ProcessCounters.h"

namespace dorvane {
namespace {

using testing::ControlTest;

constexpr TColor kSkyBorder = 0x00B35900, kSkyLight = 0x00FFECD9, kSkyDark = 0x00FFA851;

// A glyph of 15 x 9: a key colour at its top-left corner and around a red block, so that
// transparency shows.
std::unique_ptr<TBitmap> OddGlyph() {
  auto glyph = std::make_unique<TBitmap>(15, 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 15; ++x) glyph->SetPixel(x, y, (x >= 2 && x < 13 && y >= 2 && y < 7) ? clRed : clFuchsia);
  return glyph;
}

class GradientButtonTest : public ControlTest {
 protected:
  // A button with flat faces in four distinct colours, so the state shows in its pixels.
  TGradientButton* FlatButton(int w, int h) {
    auto* b = Make<TGradientButton>(w, h);
    b->SetTabStop(false);
    b->SetColorScheme(csSilver);  // flat
    b->SetColorAt(bcFace, 0x00C0FFC0);
    b->SetColorAt(bcOverFace, 0x00FFC0C0);
    b->SetColorAt(bcDownFace, 0x00C0C0FF);
    b->SetColorAt(bcDisabledFace, 0x00C0C0C0);
    return b;
  }

  static LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }
  static void Send(TWinControl& c, UINT msg, WPARAM wp, LPARAM lp) { SendMessageW(c.Handle(), msg, wp, lp); }
};

TEST_F(GradientButtonTest, NewButtonHoldsItsDefaults) {
  TGradientButton loose(nullptr);
  EXPECT_EQ(loose.Width(), 75);
  EXPECT_EQ(loose.Height(), 25);
  EXPECT_EQ(loose.ColorScheme(), csNeoDesert);
  EXPECT_EQ(loose.ColorAt(bcFace), 0x00C6ECFF);
  EXPECT_EQ(loose.ColorAt(bcGrad), 0x0037BEFF);
  // The over, down and disabled gradients of a new button end in white.
  EXPECT_EQ(loose.ColorAt(bcOverGrad), 0x00FFFFFF);
  EXPECT_EQ(loose.ColorAt(bcDownGrad), 0x00FFFFFF);
  EXPECT_EQ(loose.ColorAt(bcDisabledGrad), 0x00FFFFFF);
  EXPECT_EQ(loose.ColorAt(bcFocusRect), 0x004080FF);
  EXPECT_TRUE(loose.Gradient());
  EXPECT_TRUE(loose.TabStop());
  EXPECT_EQ(loose.State(), vsNormal);
}

TEST_F(GradientButtonTest, SchemesSetTheirColumnAndTheGradientSwitch) {
  TGradientButton b(nullptr);
  struct Case {
    TColorScheme scheme;
    TButtonColor index;
    TColor value;
    bool gradient;
  };
  for (const Case& c : {Case{csNeoSky, bcOverGrad, 0x00FFA346, true}, Case{csNeoSun, bcDownFace, 0x0005D1F5, true},
                        Case{csNeoRose, bcFocusRect, 0x005E5EFF, true}, Case{csGrass, bcFocusRect, 0x0000A421, false},
                        Case{csSilver, bcOverDark, 0x00797979, false}, Case{csRose, bcDownDark, 0x008888FF, false},
                        Case{csDesert, bcDisabledBorder, 0x00C4C4C4, false}}) {
    b.SetColorScheme(c.scheme);
    EXPECT_EQ(b.ColorScheme(), c.scheme);
    EXPECT_EQ(b.ColorAt(c.index), c.value) << c.scheme;
    EXPECT_EQ(b.Gradient(), c.gradient) << c.scheme;
  }
  // A classic scheme keeps the gradient ends of the one before, now unused.
  b.SetColorScheme(csNeoSky);
  b.SetColorScheme(csSky);
  EXPECT_EQ(b.ColorAt(bcGrad), 0x00FFB66C);
  EXPECT_EQ(b.ColorAt(bcFace), 0x00FFE0C1);
  EXPECT_FALSE(b.Gradient());
  // Any single colour makes the scheme custom; choosing custom changes no colour.
  b.SetColorAt(bcOverText, clRed);
  EXPECT_EQ(b.ColorScheme(), csCustom);
  b.SetColorScheme(csNeoGrass);
  SetOrdProp(b, "DownColorLight", 0x123456);
  EXPECT_EQ(b.ColorScheme(), csCustom);
  b.SetColorScheme(csCustom);
  EXPECT_EQ(b.ColorAt(bcDownLight), 0x123456);
  EXPECT_EQ(b.ColorAt(bcFace), 0x00DDF9E8);
}

// The 22 x 20 csNeoSky face: red falls by 5.65 and green by 2.8 per line from 0xFFEEDD,
// blue stays; the lines as a running sum rounds them (worked out by hand, line 0 first).
const std::vector<TColor> kSkyLines{0xFFEEDD, 0xFFEBD7, 0xFFE8D2, 0xFFE6CC, 0xFFE3C6, 0xFFE0C1, 0xFFDDBB,
                                    0xFFDAB5, 0xFFD8B0, 0xFFD5AA, 0xFFD2A4, 0xFFCF9F, 0xFFCC99, 0xFFCA94,
                                    0xFFC78E, 0xFFC488, 0xFFC183, 0xFFBE7D, 0xFFBC77, 0xFFB972};

TEST_F(GradientButtonTest, SkyFaceIsShadedLineByLineInsideItsBorder) {
  auto* b = Make<TGradientButton>(22, 20);
  b->SetColorScheme(csNeoSky);
  b->SetCtl3D(false);
  auto bmp = Render(*b);
  for (int y = 1; y < 19; ++y)
    for (int x = 1; x < 21; ++x) ASSERT_EQ(bmp->Pixel(x, y), kSkyLines[static_cast<std::size_t>(y)]) << x << "," << y;
  testing::ExpectFrame(*bmp, RECT{0, 0, 22, 20}, kSkyBorder, kSkyBorder);
  // The last line is close to the gradient's end, not on it.
  EXPECT_NE(kSkyLines[19], 0x00FFB66C);

  // With the 3-D lines: highlight left and top, shadow right and bottom, inside the border.
  b->SetCtl3D(true);
  bmp = Render(*b);
  for (int y = 1; y < 19; ++y) EXPECT_EQ(bmp->Pixel(1, y), kSkyLight) << y;
  for (int x = 1; x < 20; ++x) EXPECT_EQ(bmp->Pixel(x, 1), kSkyLight) << x;
  for (int y = 1; y < 19; ++y) EXPECT_EQ(bmp->Pixel(20, y), kSkyDark) << y;
  for (int x = 2; x < 21; ++x) EXPECT_EQ(bmp->Pixel(x, 18), kSkyDark) << x;
  EXPECT_EQ(bmp->Pixel(10, 10), kSkyLines[10]);
}

// Steps of exactly a half (red 0.5, green 1.5 a line over 8 lines) put every other line on
// a tie, rounded to the even neighbour: red 0, 0.5, 1, 1.5, ... gives 0 0 1 2 2 2 3 4 where
// rounding halves up would give 0 1 1 2 2 3 3 4; green 16, 17.5, 19, 20.5, ... gives
// 16 18 19 20 22 24 25 26 (halves up: 16 18 19 21 22 24 25 27). Lines 1 to 6 lie inside
// the border.
TEST_F(GradientButtonTest, ATieBetweenTwoShadesRoundsToTheEvenOne) {
  auto* b = Make<TGradientButton>(22, 8);
  b->SetColorAt(bcFace, RGB(0, 16, 64));
  b->SetColorAt(bcGrad, RGB(4, 28, 64));
  b->SetCtl3D(false);
  ASSERT_TRUE(b->Gradient());
  const int red[] = {0, 0, 1, 2, 2, 2, 3, 4};
  const int green[] = {16, 18, 19, 20, 22, 24, 25, 26};
  auto bmp = Render(*b);
  for (int y = 1; y < 7; ++y)
    for (int x = 1; x < 21; ++x) ASSERT_EQ(bmp->Pixel(x, y), RGB(red[y], green[y], 64)) << x << "," << y;
}

TEST_F(GradientButtonTest, ZeroHeightDrawsNothingAndDoesNotFail) {
  auto* b = Make<TGradientButton>(22, 20);
  b->SetColorScheme(csNeoSky);
  ShowForm();
  for (auto [w, h] : {std::pair{22, 0}, std::pair{0, 20}, std::pair{0, 0}}) {
    b->SetBounds(0, 0, w, h);
    TBitmap under(22, 20);
    testing::Fill(under, 0x00123456);
    b->PaintTo(under.Canvas().Handle());
    EXPECT_EQ(testing::CountPixels(under, 0x00123456, RECT{0, 0, 22, 20}), 22 * 20) << w << "x" << h;
    b->Repaint();
    Application().ProcessMessages();
  }
  b->SetBounds(0, 0, 22, 20);
  EXPECT_EQ(Render(*b)->Pixel(5, 5), kSkyLines[5]);
}

TEST_F(GradientButtonTest, GlyphWithoutCaptionIsCentredAndPressedMovesIt) {
  // 23 wide, no caption: text left (23 - 0) div 2 = 11, glyph left 11 - 15 div 2 = 4,
  // glyph top (20 - 9) div 2 = 5; pressed, one pixel right and down.
  auto* b = FlatButton(23, 20);
  b->SetCtl3D(false);
  b->SetGlyph(*OddGlyph());
  for (bool pressed : {false, true}) {
    if (pressed) b->MouseDown(mbLeft, 0, 5, 5);
    ASSERT_EQ(b->State(), pressed ? vsDown : vsNormal);
    const TColor face = pressed ? 0x00C0C0FF : 0x00C0FFC0;
    const int left = pressed ? 5 : 4, top = pressed ? 6 : 5;
    auto bmp = Render(*b);
    for (int y = 1; y < 19; ++y)
      for (int x = 1; x < 22; ++x) {
        const bool red = x >= left + 2 && x < left + 13 && y >= top + 2 && y < top + 7;
        ASSERT_EQ(bmp->Pixel(x, y), red ? clRed : face) << x << "," << y << (pressed ? " pressed" : "");
      }
  }
  b->MouseUp(mbLeft, 0, 5, 5);
  // Opaque glyph: its key colour shows too.
  b->SetTransparentGlyph(false);
  EXPECT_EQ(Render(*b)->Pixel(6, 6), clFuchsia);
}

// Caption and glyph in every layout, up and pressed: the button against a picture drawn
// here with the same font at the places the layout arithmetic gives.
TEST_F(GradientButtonTest, GlyphAndCaptionFollowTheLayoutArithmetic) {
  constexpr int W = 90, H = 50, S = 5;  // odd spacing: halves 2 and 3
  const std::string caption = "Go";
  const auto glyph = OddGlyph();
  const int GW = 15, GH = 9;
  for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom}) {
    for (bool pressed : {false, true}) {
      auto* b = FlatButton(W, H);
      b->SetColorAt(bcDownFace, 0x00C0FFC0);  // the same face pressed: only the layout differs
      b->SetCtl3D(false);
      b->SetCaption(caption);
      b->SetSpacing(S);
      b->SetLayout(layout);
      b->SetGlyph(*glyph);
      if (pressed) b->MouseDown(mbLeft, 0, 5, 5);

      const SIZE t = testing::TextSize(b->Font(), caption);
      int textLeft = (W - t.cx) / 2, textTop = (H - t.cy) / 2, glyphLeft = 0, glyphTop = 0;
      switch (layout) {
        case blGlyphLeft:
          glyphLeft = textLeft - GW / 2 - 3, glyphTop = (H - GH) / 2, textLeft += GW / 2 + 2;
          break;
        case blGlyphRight:
          glyphLeft = textLeft + t.cx - GW / 2 + 3, glyphTop = (H - GH) / 2, textLeft -= GW / 2 + 2;
          break;
        case blGlyphTop:
          glyphLeft = (W - GW) / 2, glyphTop = textTop - GH / 2 - 1 - 3, textTop += GH / 2 + 2;
          break;
        case blGlyphBottom:
          glyphLeft = (W - GW) / 2, glyphTop = textTop + t.cy - GH / 2 + 3, textTop -= GH / 2 + 2;
          break;
      }
      const int shift = pressed ? 1 : 0;
      TBitmap expected(W, H);
      TCanvas& c = expected.Canvas();
      c.Brush().SetColor(0x00C0FFC0);
      c.FillRect(RECT{0, 0, W, H});
      TBitmap g;
      g.Assign(*glyph);
      g.SetTransparentColor(clFuchsia);
      g.SetTransparent(true);
      c.Draw(glyphLeft + shift, glyphTop + shift, g);
      c.Font().Assign(b->Font());
      c.Font().SetColor(clBlack);
      c.Brush().SetStyle(bsClear);
      RECT tr{textLeft + shift, textTop + shift, textLeft + shift + t.cx, textTop + shift + t.cy};
      c.DrawText(caption, tr, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOCLIP);
      c.Pen().SetColor(b->ColorAt(pressed ? bcDownBorder : bcBorder));
      c.Rectangle(0, 0, W, H);

      const testing::Diff d = testing::Difference(*Render(*b), expected);
      EXPECT_EQ(d.count, 0) << "layout " << layout << (pressed ? " pressed" : "") << ": differs in " << d.bounds.left
                            << "," << d.bounds.top << "-" << d.bounds.right << "," << d.bounds.bottom;
      b->MouseUp(mbLeft, 0, 5, 5);
      b->Free();
    }
  }
}

TEST_F(GradientButtonTest, DragOutAndBackInShowsDownNormalDownAndReleasingOutsideDoesNotClick) {
  auto* b = FlatButton(40, 20);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  std::vector<TButtonVisualState> states;
  std::vector<TColor> faces;
  auto record = [&] {
    states.push_back(b->State());
    faces.push_back(Render(*b)->Pixel(20, 10));
  };
  Send(*b, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  record();
  EXPECT_EQ(GetCapture(), b->Handle());
  Send(*b, WM_MOUSEMOVE, MK_LBUTTON, At(60, 10));  // out
  record();
  Send(*b, WM_MOUSEMOVE, MK_LBUTTON, At(30, 10));  // back in
  record();
  Send(*b, WM_MOUSEMOVE, MK_LBUTTON, At(30, 40));  // out below
  record();
  Send(*b, WM_LBUTTONUP, 0, At(30, 40));           // released outside
  record();
  EXPECT_EQ(states, (std::vector<TButtonVisualState>{vsDown, vsNormal, vsDown, vsNormal, vsNormal}));
  EXPECT_EQ(faces, (std::vector<TColor>{0x00C0C0FF, 0x00C0FFC0, 0x00C0C0FF, 0x00C0FFC0, 0x00C0FFC0}));
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->Pressed());
  EXPECT_NE(GetCapture(), b->Handle());

  // Released inside: one click, and the pointer still over it shows the over state.
  Send(*b, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  Send(*b, WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), vsOver);
  EXPECT_EQ(Render(*b)->Pixel(20, 10), 0x00FFC0C0);
  // On the edge is not inside: the state stays as the click left it.
  b->SetHotTrack(false);
  Send(*b, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
  Send(*b, WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_EQ(b->State(), vsNormal);
  b->MouseLeave();
  b->SetEnabled(false);
  EXPECT_EQ(Render(*b)->Pixel(20, 10), 0x00C0C0C0);
}

TEST_F(GradientButtonTest, ClickCopiesTheModalResultEvenZero) {
  auto* b = Make<TGradientButton>(40, 20);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->SetModalResult(mrCancel);
  b->Click();
  EXPECT_EQ(form_->ModalResult(), mrCancel);
  b->SetModalResult(0);
  b->Click();
  EXPECT_EQ(form_->ModalResult(), 0);
  EXPECT_EQ(clicks, 2);
  TGradientButton loose(nullptr);  // no form: still clicks
  loose.OnClick = [&](TObject*) { ++clicks; };
  loose.Click();
  EXPECT_EQ(clicks, 3);
}

TEST_F(GradientButtonTest, KeysSpaceReturnEscapeDefaultAndAccelerator) {
  auto* b = FlatButton(40, 20);
  b->SetCaption("&Go");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Send(*b, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(b->State(), vsDown);
  EXPECT_EQ(clicks, 0);
  Send(*b, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(b->State(), vsNormal);
  EXPECT_EQ(clicks, 1);

  struct Case {
    bool isDefault, cancel;
    WORD key;
    TShiftState shift;
    bool taken;
  };
  for (const Case& c : {Case{false, false, VK_RETURN, 0, false},  // not focused
                        Case{true, false, VK_RETURN, 0, true},
                        Case{true, false, VK_RETURN, ShiftOf(ssCtrl), true},
                        Case{true, false, VK_ESCAPE, 0, false},  // Default takes Return only
                        Case{true, false, VK_TAB, 0, false},
                        Case{false, true, VK_ESCAPE, 0, true},
                        Case{false, true, VK_ESCAPE, ShiftOf(ssShift), false},
                        Case{false, true, VK_RETURN, 0, false}}) {
    b->SetDefault(c.isDefault);
    b->SetCancel(c.cancel);
    const int before = clicks;
    EXPECT_EQ(b->DialogKey(c.key, c.shift), c.taken) << c.key << " default " << c.isDefault;
    EXPECT_EQ(clicks - before, c.taken ? 1 : 0);
  }
  b->SetDefault(false);
  b->SetCancel(false);
  EXPECT_TRUE(b->DialogChar(U'g'));
  EXPECT_FALSE(b->DialogChar(U'o'));
  Send(*b, WM_CHAR, 'G', 0);
  EXPECT_EQ(clicks, 6);
  b->SetEnabled(false);
  EXPECT_FALSE(b->DialogChar(U'g'));
}

TEST_F(GradientButtonTest, FormOffersReturnToTheFocusedOrDefaultButtonAndEscapeToCancel) {
  ShowForm();
  auto* ok = Make<TGradientButton>(40, 20);
  auto* cancel = Make<TGradientButton>(40, 20);
  auto* other = Make<TGradientButton>(40, 20);
  auto* edit = Make<TEdit>(60, 20);
  cancel->SetLeft(50);
  other->SetLeft(100);
  edit->SetLeft(150);
  ok->SetDefault(true);
  cancel->SetCancel(true);
  std::vector<std::string> clicked;
  for (auto [b, name] : {std::pair{ok, "ok"}, std::pair{cancel, "cancel"}, std::pair{other, "other"}})
    b->OnClick = [&clicked, name = std::string(name)](TObject*) { clicked.push_back(name); };
  auto press = [&](TWinControl& focus, WPARAM key) {
    focus.SetFocus();
    PostMessageW(focus.Handle(), WM_KEYDOWN, key, 0);
    Application().ProcessMessages();
  };
  press(*edit, VK_RETURN);
  press(*edit, VK_ESCAPE);
  press(*other, VK_RETURN);  // a focused button answers Return itself
  press(*other, VK_ESCAPE);
  EXPECT_EQ(clicked, (std::vector<std::string>{"ok", "cancel", "other", "cancel"}));
}

TEST_F(GradientButtonTest, FocusDrawsTheFocusRectangleAndLosingItShowsNormal) {
  ShowForm();
  auto* b = Make<TGradientButton>(40, 20);
  b->SetColorScheme(csNeoSky);
  auto* other = Make<TGradientButton>(40, 20);
  other->SetLeft(50);
  int enters = 0, exits = 0;
  b->OnEnter = [&](TObject*) { ++enters; };
  b->OnExit = [&](TObject*) { ++exits; };
  b->SetFocus();
  ASSERT_TRUE(b->HasFocus());
  auto bmp = Render(*b);
  for (int x = 3; x < 37; ++x) EXPECT_EQ(bmp->Pixel(x, 3), 0x00FFA953) << x;
  for (int y = 3; y < 17; ++y) EXPECT_EQ(bmp->Pixel(3, y), 0x00FFA953) << y;
  Send(*b, WM_KEYDOWN, VK_SPACE, 0);
  other->SetFocus();
  EXPECT_FALSE(b->HasFocus());
  EXPECT_EQ(b->State(), vsNormal);
  EXPECT_EQ(Render(*b)->Pixel(3, 10), kSkyLines[10]);
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(exits, 1);
}

TEST_F(GradientButtonTest, ThousandPaintsInEveryStateLeaveNoGdiObjects) {
  ShowForm();
  auto* b = Make<TGradientButton>(40, 20);
  b->SetCaption("&Go");
  b->SetGlyph(*OddGlyph());
  TBitmap target(40, 20);
  auto round = [&](int i) {
    switch (i % 5) {
      case 0: b->MouseLeave(); break;
      case 1: b->MouseEnter(); break;
      case 2: Send(*b, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5)); break;  // down and focused
      case 3: Send(*b, WM_LBUTTONUP, 0, At(5, 5)); break;
      default: b->SetEnabled(!b->Enabled()); break;
    }
    b->PaintTo(target.Canvas().Handle());
    b->Repaint();
  };
  for (int i = 0; i < 5; ++i) round(i);  // what is made once per process exists from here on
  const int before = testing::CountGdiObjects();
  for (int i = 0; i < 5000; ++i) round(i);
  EXPECT_EQ(testing::CountGdiObjects(), before);
}

}  // namespace
}  // namespace dorvane
