// The main window at the display scale of the prefix the test runs in (96, 120, 144 or
// 192 dpi; ctest runs these suites once in each): the specified 96-dpi figures scaled
// by the window's DPI, and every text of the window within its bounds.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/DisplayScale.h"
#include "core/win32/WideString.h"
#include "framework/CheckBox.h"
#include "framework/DisplayMetrics.h"
#include "tests/main/MainWindowFixture.h"

namespace dorvane {
namespace {

// The figures worked out by hand at each scale (x 1.25, 1.5, 2; halves away from zero).
struct Figures {
  int dpi;
  int designWidth;    // 261: the window as designed
  int compact;        // 143: the normal view's height
  int base;           // 257: the width without drive panels
  int panelWidth;     // 64
  int panelHeight;    // 99
  int expandedWidth;  // 759
  int expanded;       // 448
  int gaugeWidth;     // 37
  int gaugeHeight;    // 26
  int firstSlot;      // 230
  int trayIcon;       // the small icon's side
  int lampX, lampY;   // the lamp's left top pixel in the tray picture: (10, 3) at 16
  int trayUsed14;     // the grey part of tray picture 14's bar: 13 of 16
};
constexpr Figures kFigures[] = {
    {96, 261, 143, 257, 64, 99, 759, 448, 37, 26, 230, 16, 10, 3, 13},
    {120, 326, 179, 321, 80, 124, 949, 560, 46, 33, 288, 20, 13, 3, 16},
    {144, 392, 215, 386, 96, 149, 1139, 672, 56, 39, 345, 24, 15, 5, 20},
    {192, 522, 286, 514, 128, 198, 1518, 896, 74, 52, 460, 32, 20, 6, 26},
};

// The DPI ctest gave this run's prefix, with its figures.
const Figures& ThisScale() {
  const char* given = std::getenv("DORVANE_TEST_DPI");
  const int dpi = given ? std::atoi(given) : 96;
  for (const Figures& f : kFigures)
    if (f.dpi == dpi) return f;
  ADD_FAILURE() << "no figures for " << dpi << " dpi";
  return kFigures[0];
}

class ScaleTest : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // Four drives with long figures and the widest memory caption of the report.
    machine.drives.drives.clear();
    machine.drives.drives['c'] = {kDriveFixed, "SYSTEM", true, 123'456'789'012, 999'999'999'999};
    machine.drives.drives['d'] = {kDriveFixed, "DATA", true, 7'654'321'098, 999'999'999'999};
    machine.drives.drives['e'] = {kDriveRemovable, "STICK", true, 1'000'000, 8'000'000'000};
    machine.drives.drives['f'] = {kDriveRemote, "SHARE", true, 555'555'555'555, 999'999'999'999};
    machine.memory.status = {63, 24'683'672ull * 1024};
  }
  const Figures& s = ThisScale();
};

TEST_F(ScaleTest, ThePrefixGivesTheWindowItsScale) {
  TForm1& f = Start();
  // The prefix really is at the scale ctest named: the window sees it.
  EXPECT_EQ(WindowDpi(f.Handle()), s.dpi);
  EXPECT_EQ(f.Dpi(), s.dpi);
  EXPECT_EQ(SmallIconSize(SystemDpi()), s.trayIcon);
}

// The tray picture comes drawn at the shell's size, not stretched from 16 pixels.
TEST_F(ScaleTest, TheTrayPictureIsDrawnAtTheSmallIconSize) {
  TForm1& f = Start();
  f.CbShowTray->SetChecked(true);
  f.Timer1Timer(nullptr);
  ASSERT_EQ(f.TrayIcon->IconIndex(), 14);  // c: 12 % free, 88 % used
  HICON icon = f.TrayIcon->Icon()->Handle();
  ASSERT_FALSE(desktop.shellCalls.empty());
  EXPECT_EQ(desktop.shellCalls.back().data.hIcon, icon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  ASSERT_EQ(bm.bmWidth, s.trayIcon);
  ASSERT_EQ(bm.bmHeight, s.trayIcon);
  TBitmap picture(s.trayIcon, s.trayIcon);
  picture.Canvas().Brush().SetColor(clWhite);
  picture.Canvas().FillRect(RECT{0, 0, s.trayIcon, s.trayIcon});
  DrawIconEx(picture.Canvas().Handle(), 0, 0, icon, s.trayIcon, s.trayIcon, 0, nullptr, DI_NORMAL);
  const int bottom = s.trayIcon - 1;
  // Around the box the picture is transparent: above it, left of it, and between it and the bar.
  EXPECT_EQ(picture.Pixel(0, 0), clWhite);
  EXPECT_EQ(picture.Pixel(0, s.trayIcon / 2), clWhite);
  EXPECT_EQ(picture.Pixel(s.trayIcon / 2, s.trayIcon * 13 / 16 - 1), clWhite);
  EXPECT_EQ(picture.Pixel(bottom, s.trayIcon * 13 / 16 - 1), clWhite);
  EXPECT_EQ(picture.Pixel(s.lampX, s.lampY), RGBColor(64, 232, 88));          // the lamp
  EXPECT_NE(picture.Pixel(s.lampX - 1, s.lampY), RGBColor(64, 232, 88));      // left of it
  EXPECT_EQ(picture.Pixel(s.trayUsed14 - 1, bottom), RGBColor(136, 136, 136)); // used: grey
  EXPECT_EQ(picture.Pixel(s.trayUsed14, bottom), RGBColor(232, 128, 16));      // free: orange
  EXPECT_EQ(picture.Pixel(bottom, bottom), RGBColor(232, 128, 16));
}

TEST_F(ScaleTest, WindowAndPanelsScaleAsSpecified) {
  TForm1& f = Start();
  EXPECT_EQ(f.Width(), s.designWidth);
  EXPECT_EQ(f.Height(), s.compact);
  EXPECT_EQ(f.requiredWidth, s.base);
  f.SpeedButton1Click(nullptr);  // all four drives monitored
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.requiredWidth, s.base + 4 * s.panelWidth);
  EXPECT_EQ(f.Width(), s.base + 4 * s.panelWidth);
  EXPECT_EQ(f.Height(), s.compact);
  // The panels stand side by side right of the status and switch columns, in order.
  int left = f.Panel3->Left() + f.Panel3->Width();
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k + 1);
    const TPanel& panel = *f.DrivePanels[static_cast<std::size_t>(k)];
    ASSERT_TRUE(panel.Visible());
    EXPECT_EQ(panel.Left(), left);
    EXPECT_EQ(panel.Width(), s.panelWidth);
    // Its height is what the skin's rows above and below leave of the window's, each
    // rounded on its own: within a pixel of the figure scaled whole.
    EXPECT_NEAR(panel.Height(), s.panelHeight, 1);
    EXPECT_EQ(f.Gauges[static_cast<std::size_t>(k)]->Width(), s.gaugeWidth);
    EXPECT_EQ(f.Gauges[static_cast<std::size_t>(k)]->Height(), s.gaugeHeight);
    left += s.panelWidth;
  }
}

TEST_F(ScaleTest, SettingsViewOpensAndClosesAtTheScale) {
  machine.screen = {4000, 3000};
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);
  f.Timer1Timer(nullptr);
  f.GradButton1Click(nullptr);
  EXPECT_EQ(f.Width(), s.expandedWidth);
  EXPECT_EQ(f.Height(), s.expanded);
  f.GradButton1Click(nullptr);
  EXPECT_EQ(f.Width(), s.base + 4 * s.panelWidth);
  EXPECT_EQ(f.Height(), s.compact);
}

// The window moved to a monitor of another scale (or the user changed the scale): the
// system's WM_DPICHANGED with its suggested rectangle.
void ChangeDpi(TForm1& f, const Figures& to, int width, int height) {
  RECT suggested{40, 30, 40 + width, 30 + height};
  SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(to.dpi, to.dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(ScaleTest, DpiChangesRescaleTheWindowAndComeBackExactly) {
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);
  f.Timer1Timer(nullptr);
  for (const Figures& to : kFigures) {
    SCOPED_TRACE(to.dpi);
    ChangeDpi(f, to, to.base + 4 * to.panelWidth, to.compact);
    f.Timer1Timer(nullptr);
    EXPECT_EQ(f.Dpi(), to.dpi);
    EXPECT_EQ(f.Left(), 40);  // the suggested place
    EXPECT_EQ(f.Top(), 30);
    EXPECT_EQ(f.Width(), to.base + 4 * to.panelWidth);
    EXPECT_EQ(f.Height(), to.compact);
    EXPECT_EQ(f.requiredWidth, to.base + 4 * to.panelWidth);
    EXPECT_EQ(f.DrivePanels[0]->Width(), to.panelWidth);
    EXPECT_NEAR(f.DrivePanels[0]->Height(), to.panelHeight, 1);
    EXPECT_EQ(f.Gauges[0]->Width(), to.gaugeWidth);
    EXPECT_EQ(f.Gauges[0]->Height(), to.gaugeHeight);
    EXPECT_EQ(f.Font().Height(), ScaleForDpi(-11, to.dpi));
  }
  // Back at the prefix's own scale, every figure is what the start gave it.
  ChangeDpi(f, s, s.base + 4 * s.panelWidth, s.compact);
  EXPECT_EQ(f.Gauges[3]->Width(), s.gaugeWidth);
  EXPECT_EQ(f.Gauges[3]->Height(), s.gaugeHeight);
}

// The size of a text in a font, as the window draws it.
SIZE TextSize(const std::string& text, const TFont& font) {
  const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const auto selected = SelectInto(dc.get(), font.Handle());
  const std::wstring wide = Widen(text);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// Every shown text of the form lies inside its control, and every shown control inside
// its parent: nothing is cut off by a control's edge or the window's.
void ExpectTextsFit(TForm& form, const char* view) {
  SCOPED_TRACE(view);
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* control = dynamic_cast<TControl*>(form.Components(i));
    if (!control || !control->Showing() || control->Width() == 0 || control->Height() == 0) continue;
    SCOPED_TRACE(control->Name() + " \"" + control->Caption() + "\"");
    if (const TWinControl* parent = control->Parent(); parent && !dynamic_cast<const TForm*>(control)) {
      EXPECT_GE(control->Left(), 0);
      EXPECT_GE(control->Top(), 0);
      // A panel whose own children are cut off is caught at those children.
      if (dynamic_cast<TLabel*>(control) || dynamic_cast<TCheckBox*>(control)) {
        EXPECT_LE(control->Left() + control->Width(), parent->ClientWidth());
        EXPECT_LE(control->Top() + control->Height(), parent->ClientHeight());
      }
    }
    const TFont& font = control->Font();
    if (auto* label = dynamic_cast<TLabel*>(control); label && !label->WordWrap()) {
      const SIZE text = TextSize(label->Caption(), font);
      EXPECT_LE(text.cx, label->Width());
      EXPECT_LE(text.cy, label->Height());
    } else if (auto* box = dynamic_cast<TCheckBox*>(control)) {
      // The box and the gap beside it take the small icon's side at most.
      const SIZE text = TextSize(box->Caption(), font);
      EXPECT_LE(text.cx + SmallIconSize(form.Dpi()), box->Width());
      EXPECT_LE(text.cy, box->Height());
    }
  }
}

// The faces the system really selects for the window's texts at this scale: the names the
// form gives, both sans faces, the gauges' Tahoma at its scaled height (its em, the cell
// less the internal leading: 11 pixels at 100 %). A fallback to another face, as when a
// name has no font at some size, shows here.
TEST_F(ScaleTest, TextsKeepTheirSansFacesAtTheScale) {
  TForm1& f = Start();
  const struct {
    const char* what;
    const TFont& font;
    const wchar_t* face;
  } texts[] = {{"the window's labels", f.FreeLabels[0]->Font(), L"MS Sans Serif"},
               {"a gauge's percent", f.Gauges[0]->Font(), L"Tahoma"}};
  for (const auto& t : texts) {
    SCOPED_TRACE(t.what);
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const auto selected = SelectInto(dc.get(), t.font.Handle());
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc.get(), LF_FACESIZE, face);
    EXPECT_STREQ(face, t.face);
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(dc.get(), &metrics));
    EXPECT_EQ(metrics.tmPitchAndFamily & 0xF0, FF_SWISS);
  }
  const int em = s.dpi == 96 ? 11 : s.dpi == 120 ? 14 : s.dpi == 144 ? 17 : 22;
  const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const auto selected = SelectInto(dc.get(), f.Gauges[0]->Font().Handle());
  TEXTMETRICW metrics{};
  ASSERT_TRUE(GetTextMetricsW(dc.get(), &metrics));
  EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, em);
}

TEST_F(ScaleTest, EveryTextFitsInBothViews) {
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);
  f.Timer1Timer(nullptr);
  ASSERT_EQ(f.PhysMem->Caption(), "Total Mem: 24,683,672 KB");
  ExpectTextsFit(f, "normal view");
  f.BtSwitchClick(nullptr);  // volume labels in the panels
  f.Timer1Timer(nullptr);
  ExpectTextsFit(f, "normal view, labels");
  f.GradButton1Click(nullptr);
  ExpectTextsFit(f, "settings view");
}

// A control as the window paints it, into a bitmap of its size.
template <typename C>
std::unique_ptr<TBitmap> Render(C& control) {
  auto bitmap = std::make_unique<TBitmap>(control.Width(), control.Height());
  control.PaintTo(bitmap->Canvas().Handle());
  return bitmap;
}

// The skin at each scale, worked out from its drawing by hand: the outermost band of the
// frame (its first 1.25 figures) mixes the frame's blue (100, 152, 216) towards the light
// (186, 216, 249) or the shade (52, 92, 150) by 0.9 x how squarely that edge faces the
// light from the upper left (0.55 sideways, 0.835 from above); the frame's innermost
// figure is its sunken edge (66, 108, 168). A pixel lies wholly in a band when its share
// of the 10-figure frame does: 10 / 13 and 10 / 15 of a figure at 125 and 150 %, half a
// figure at 200 % (two pixels).
TEST_F(ScaleTest, TheSkinIsDrawnInDevicePixelsAtEveryScale) {
  constexpr TColor kLeftBevel = 0x00E8B88F;    // (143, 184, 232): 0.495 towards the light
  constexpr TColor kTopBevel = 0x00F1C8A5;     // (165, 200, 241): 0.7515 towards the light
  constexpr TColor kRightBevel = 0x00B77A4C;   // (76, 122, 183): 0.495 towards the shade
  constexpr TColor kBottomBevel = 0x00A66B40;  // (64, 107, 166): 0.7515 towards the shade
  constexpr TColor kSunken = 0x00A86C42;       // (66, 108, 168)
  const struct {
    int dpi, frame, whole;  // the frame's pixels, and how many of them lie wholly in a band
  } scales[] = {{120, 13, 1}, {144, 15, 1}, {192, 20, 2}};
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);
  f.Timer1Timer(nullptr);
  // First at the prefix's own scale (the pictures chosen as the window is made), then
  // at each of the others as WM_DPICHANGED takes the window there.
  std::vector<const Figures*> order{&s};
  for (const Figures& to : kFigures) order.push_back(&to);
  for (const Figures* to : order) {
    SCOPED_TRACE(to->dpi);
    if (to->dpi != f.Dpi()) ChangeDpi(f, *to, to->base + 4 * to->panelWidth, to->compact);
    if (to->dpi == 96) {
      // The resources' own pictures, as ever.
      EXPECT_NE(dynamic_cast<TJpegImage*>(f.IL->Picture().Graphic()), nullptr);
      EXPECT_EQ(f.ITL->Picture().Width(), 10);
      continue;
    }
    const auto* scale = &scales[0];
    while (scale->dpi != to->dpi) ++scale;
    const int n = scale->frame;
    EXPECT_EQ(f.ITL->Picture().Width(), n);
    EXPECT_EQ(f.ITL->Picture().Height(), n);
    EXPECT_EQ(f.ITBL->Picture().Height(), ScaleForDpi(20, to->dpi));
    const auto left = Render(*f.IL), right = Render(*f.IR), top = Render(*f.ITM), bottom = Render(*f.IB);
    ASSERT_EQ(left->Width(), n);
    ASSERT_EQ(top->Height(), n);
    for (int i = 0; i < scale->whole; ++i)
      for (int along : {0, 7, left->Height() - 1}) {
        SCOPED_TRACE(::testing::Message() << "pixel " << i << " in, " << along << " along");
        EXPECT_EQ(left->Pixel(i, along), kLeftBevel);
        EXPECT_EQ(left->Pixel(n - 1 - i, along), kSunken);
        EXPECT_EQ(right->Pixel(n - 1 - i, along), kRightBevel);
        EXPECT_EQ(right->Pixel(i, along), kSunken);
        const int x = along * top->Width() / left->Height();
        EXPECT_EQ(top->Pixel(x, i), kTopBevel);
        EXPECT_EQ(top->Pixel(x, n - 1 - i), kSunken);
        EXPECT_EQ(bottom->Pixel(x, n - 1 - i), kBottomBevel);
        EXPECT_EQ(bottom->Pixel(x, i), kSunken);
      }
  }
}

// The other pictures of the window at each scale: the resources' own at 100 %, else their
// drawings at 200 % taken to the scaled size by area (the about picture from the program
// icon's 48-pixel image). At 200 % the drive picture is its drawing with every pixel doubled: its lamp, drawn at (29..30, 18)
// in (64, 232, 88) beside a highlight at (28, 18) in (190, 255, 196), covers (58..61,
// 36..37) with the highlight at (56..57, 36..37).
TEST_F(ScaleTest, ThePicturesComeAtTheScaledSize) {
  TForm1& f = Start();
  std::vector<const Figures*> order{&s};
  for (const Figures& to : kFigures) order.push_back(&to);
  for (const Figures* to : order) {
    SCOPED_TRACE(to->dpi);
    if (to->dpi != f.Dpi()) ChangeDpi(f, *to, to->base, to->compact);
    for (TImage* drive : {f.DriveImages[0], f.DriveImages[9]}) {
      EXPECT_EQ(drive->Picture().Width(), ScaleForDpi(37, to->dpi));
      EXPECT_EQ(drive->Picture().Height(), ScaleForDpi(25, to->dpi));
    }
    EXPECT_EQ(f.Image1->Picture().Width(), ScaleForDpi(32, to->dpi));
    EXPECT_EQ(f.SpeedButton2->Glyph().Width(), ScaleForDpi(36, to->dpi));
    EXPECT_EQ(f.btHide->Glyph().Height(), ScaleForDpi(12, to->dpi));
    EXPECT_EQ(f.btClose->Glyph().Width(), ScaleForDpi(12, to->dpi));
    {
      // The program icon's lamp: a disc centred at (23, 7.6) x the scale with a radius of
      // 1.9 x the scale, in the 32-pixel image at 100 % and the 48-pixel one at 150 %
      // (the pixel named lies wholly inside it and clear of its highlight). At 200 % each
      // new pixel is three quarters of one of 150 %, so (47, 16) is (35, 12) there; at
      // 125 % the pixel (29, 10) takes in a little of the lamp's dark rim.
      const TBitmap& about = f.Image1->Picture().Bitmap();
      if (to->dpi == 120) {
        const TColor lamp = about.Pixel(29, 10);
        EXPECT_GT(lamp >> 8 & 0xFF, 200) << std::hex << lamp;  // green
        EXPECT_LT(lamp & 0xFF, 100) << std::hex << lamp;       // red
      } else {
        const POINT lamp = to->dpi == 96 ? POINT{23, 8} : to->dpi == 144 ? POINT{35, 12} : POINT{47, 16};
        EXPECT_EQ(about.Pixel(lamp.x, lamp.y), RGBColor(64, 232, 88));
      }
      if (to->dpi != 96) {
        EXPECT_EQ(about.Pixel(0, 0), TColor{15446654});  // drawn on the panel's colour
      }
    }
    const TBitmap& drive = f.DriveImages[0]->Picture().Bitmap();
    // The corners stay transparent at every size.
    EXPECT_EQ(drive.Pixel(0, 0), clFuchsia);
    EXPECT_EQ(drive.Pixel(drive.Width() - 1, drive.Height() - 1), clFuchsia);
    if (to->dpi == 192) {
      for (int y : {36, 37}) {
        for (int x : {58, 59, 60, 61}) EXPECT_EQ(drive.Pixel(x, y), TColor{0x0058E840}) << x << "," << y;
        for (int x : {56, 57}) EXPECT_EQ(drive.Pixel(x, y), TColor{0x00C4FFBE}) << x << "," << y;
      }
    }
  }
}

// A drive panel's gauge at 200 %: a pie of 74 x 52 pixels on the window's colour, half
// full, its outline two pixels wide as the one pixel is at 100 %; the share's wedge is the
// right half, the rest the back colour. The points lie clear of the "50%" in the middle.
TEST_F(ScaleTest, TheGaugeAt200PercentHasItsOwnPixels) {
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);
  f.Timer1Timer(nullptr);
  const Figures& at200 = kFigures[3];
  if (f.Dpi() != at200.dpi) ChangeDpi(f, at200, at200.base + 4 * at200.panelWidth, at200.compact);
  TGauge& gauge = *f.Gauges[0];
  constexpr TColor kWindow = 15446654, kFore = 0x00336699;
  gauge.SetMaxValue(100);
  gauge.SetProgress(50);
  gauge.SetForeColor(kFore);
  gauge.SetBackColor(clWhite);
  const auto b = Render(gauge);
  ASSERT_EQ(b->Width(), 74);
  ASSERT_EQ(b->Height(), 52);
  for (auto [x, y] : {std::pair{0, 0}, {73, 0}, {0, 51}, {73, 51}, {3, 4}, {70, 47}})
    EXPECT_EQ(b->Pixel(x, y), kWindow) << x << "," << y;
  // The outline at the left end of the middle rows: two pixels, then the back colour.
  for (int y : {25, 26}) {
    EXPECT_EQ(b->Pixel(0, y), kFore) << y;
    EXPECT_EQ(b->Pixel(1, y), kFore) << y;
    EXPECT_EQ(b->Pixel(4, y), clWhite) << y;
  }
  // ((x + 0.5 - 37) / 37)^2 + ((y + 0.5 - 26) / 26)^2 well below 1: inside the ellipse.
  for (auto [x, y] : {std::pair{12, 20}, {10, 33}, {25, 8}, {25, 44}}) EXPECT_EQ(b->Pixel(x, y), clWhite) << x << "," << y;
  for (auto [x, y] : {std::pair{62, 20}, {60, 40}, {48, 8}, {48, 44}}) EXPECT_EQ(b->Pixel(x, y), kFore) << x << "," << y;
}

// The settings view's free-space chart at the scale: a picture of the chart's scaled
// size, its frame whole (no line or text runs over it) and its caption inside it.
TEST_F(ScaleTest, TheHistoryChartDrawsAtTheScaledSizeWithinItsFrame) {
  machine.screen = {4000, 3000};
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);
  for (int minute = 0; minute < 30; ++minute) {
    machine.now += 60;
    // c: drains from about 12 % free to empty and below: the line ends on the bottom row.
    machine.drives.SetSpace('c', std::max<std::int64_t>(0, 123'456'789'012 - minute * 5'000'000'000), 999'999'999'999);
    f.Timer1Timer(nullptr);
  }
  f.GradButton1Click(nullptr);
  f.DList->Items().Item(0)->SetSelected(true);
  const TBitmap& chart = f.HistoryChart->Picture().Bitmap();
  const int w = ScaleForDpi(296, s.dpi), h = ScaleForDpi(96, s.dpi);
  ASSERT_EQ(chart.Width(), w);
  ASSERT_EQ(chart.Height(), h);
  ASSERT_EQ(f.HistoryChart->Width(), w);
  for (int x = 0; x < w; ++x) {
    ASSERT_EQ(chart.Pixel(x, 0), clGray) << x;
    ASSERT_EQ(chart.Pixel(x, h - 1), clGray) << x;
  }
  for (int y = 0; y < h; ++y) {
    ASSERT_EQ(chart.Pixel(0, y), clGray) << y;
    ASSERT_EQ(chart.Pixel(w - 1, y), clGray) << y;
  }
  // The line reaches the bottom row inside the frame at the right.
  constexpr TColor kLine = 0x00D08000;
  int bottomRow = 0;
  for (int x = 1; x < w - 1; ++x) bottomRow += chart.Pixel(x, h - 2) == kLine;
  EXPECT_GT(bottomRow, 0);
  // The caption at its scaled place, 4 x 2 figures in: nothing but white left of it and
  // above it, the text's ink inside its extent, and that extent inside the frame.
  const SIZE caption = TextSize("c:\\ last day", f.Font());
  const int left = ScaleForDpi(4, s.dpi), top = ScaleForDpi(2, s.dpi);
  EXPECT_LT(left + caption.cx, w - 1);
  EXPECT_LT(top + caption.cy, h - 1);
  int ink = 0;
  for (int y = 1; y < top + caption.cy; ++y)
    for (int x = 1; x < left + caption.cx; ++x) {
      const bool inText = x >= left && y >= top;
      if (!inText) {
        EXPECT_EQ(chart.Pixel(x, y), clWhite) << x << "," << y;
      }
      ink += inText && chart.Pixel(x, y) == clBlack;
    }
  EXPECT_GT(ink, 10);
  EXPECT_EQ(f.Font().Height(), ScaleForDpi(-11, s.dpi));
}

}  // namespace
}  // namespace dorvane
