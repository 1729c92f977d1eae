// The main window at the display scale of the prefix the test runs in (96, 120, 144 or
// 192 dpi; ctest runs these suites once in each): the specified 96-dpi figures scaled
// by the window's DPI, and every text of the window within its bounds.
#include <cstdlib>

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
  DrawIconEx(picture.Canvas().Handle(), 0, 0, icon, s.trayIcon, s.trayIcon, 0, nullptr, DI_NORMAL);
  const int bottom = s.trayIcon - 1;
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

}  // namespace
}  // namespace dorvane
