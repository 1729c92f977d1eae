// Tab and Shift+Tab on a shown form: the keys go through the application's message
// handling as a user's presses do, and the focus is read back from the window system.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "tests/support/TabKeys.h"

namespace dorvane {
namespace {

class TTabTestForm : public TForm {
  DORVANE_CLASS(TTabTestForm)
 public:
  using TForm::TForm;
  void Load(std::string_view text) { InitializeFormText(text); }
};

const ClassInfo& TTabTestForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TTabTestForm>("TTabTestForm", &TForm::StaticClass()).Build();
  return info;
}

// Described out of reading order on purpose: the lower panel first, boxes bottom-up, an
// edit a pixel higher than the box beside it.
constexpr std::string_view kByPlace = R"(
Form1: TTabTestForm {
  ClientWidth: 320; ClientHeight: 200
  Lower: TPanel {
    Left: 0; Top: 100; Width: 160; Height: 100
    Box3: TCheckBox { Left: 8; Top: 10; Width: 60; Height: 17; Caption: "three" }
    Edit3: TEdit { Left: 70; Top: 8; Width: 80; Height: 21 }
    Label3: TLabel { Left: 8; Top: 40; Caption: "no stop" }
  }
  Upper: TPanel {
    Left: 0; Top: 0; Width: 160; Height: 100
    Box2: TCheckBox { Left: 8; Top: 40; Width: 100; Height: 17; Caption: "two" }
    Box1: TCheckBox { Left: 8; Top: 10; Width: 100; Height: 17; Caption: "one" }
    Hidden: TCheckBox { Left: 8; Top: 60; Width: 100; Height: 17; Visible: False }
    Off: TCheckBox { Left: 8; Top: 80; Width: 100; Height: 17; Enabled: False }
  }
  Right: TPanel {
    Left: 160; Top: 0; Width: 160; Height: 200
    Go: TButton { Left: 8; Top: 160; Width: 75; Height: 25; Caption: "go" }
    List: TListView { Left: 8; Top: 8; Width: 140; Height: 80; ViewStyle: vsReport }
    Track: TTrackBar { Left: 8; Top: 100; Width: 140; Height: 24 }
    NoStop: TEdit { Left: 8; Top: 130; Width: 60; Height: 21; TabStop: False }
    Beyond: TButton { Left: 8; Top: 230; Width: 75; Height: 25; Caption: "out of sight" }
  }
  OffPanel: TPanel {
    Left: 0; Top: 0; Width: 10; Height: 10; Enabled: False
    InsideOff: TCheckBox { Left: 0; Top: 0; Width: 10; Height: 10 }
  }
}
)";

// The same controls with places given: the right panel first, and in it the button first.
constexpr std::string_view kByTabOrder = R"(
Form1: TTabTestForm {
  ClientWidth: 320; ClientHeight: 200
  Left1: TPanel {
    Left: 0; Top: 0; Width: 160; Height: 200
    Box1: TCheckBox { Left: 8; Top: 10; Width: 100; Height: 17 }
    Box2: TCheckBox { Left: 8; Top: 40; Width: 100; Height: 17 }
  }
  Right: TPanel {
    Left: 160; Top: 0; Width: 160; Height: 200; TabOrder: 0
    List: TListView { Left: 8; Top: 8; Width: 140; Height: 80; ViewStyle: vsReport; TabOrder: 1 }
    Go: TButton { Left: 8; Top: 160; Width: 75; Height: 25; TabOrder: 0 }
    Track: TTrackBar { Left: 8; Top: 100; Width: 140; Height: 24 }
  }
}
)";

class TabOrderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application().Initialize(); }
  void TearDown() override {
    if (form_) form_->Free();
  }

  void Load(std::string_view description) {
    form_ = new TTabTestForm(nullptr);
    form_->Load(description);
    form_->Show();
  }

  TTabTestForm* form_ = nullptr;
};

using testing::PressTab;
using testing::Refocus;
using Names = std::vector<std::string>;
using Pixels = std::vector<std::uint32_t>;

// A control's window as it paints itself now, pixel by pixel.
Pixels Render(TWinControl& control) {
  TBitmap bitmap;
  bitmap.SetSize(control.Width(), control.Height());
  SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.Canvas().Handle()),
               PRF_CLIENT | PRF_ERASEBKGND);
  Pixels pixels;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) pixels.push_back(static_cast<std::uint32_t>(bitmap.Pixel(x, y)));
  return pixels;
}

TEST_F(TabOrderTest, TabWalksTheStopsInReadingOrderSkippingWhatCannotTakeTheFocusAndWraps) {
  Load(kByPlace);
  EXPECT_EQ(PressTab(*form_, 8), (Names{"Box1", "Box2", "Box3", "Edit3", "List", "Track", "Go", "Box1"}));
}

TEST_F(TabOrderTest, ShiftTabWalksBackAndWrapsTheOtherWay) {
  Load(kByPlace);
  EXPECT_EQ(PressTab(*form_, 2), (Names{"Box1", "Box2"}));
  EXPECT_EQ(PressTab(*form_->Require<TWinControl>("Box2"), 3, true), (Names{"Box1", "Go", "Track"}));
}

TEST_F(TabOrderTest, AControlHiddenOrDisabledMeanwhileIsPassedOver) {
  Load(kByPlace);
  form_->Require<TWinControl>("Box2")->SetEnabled(false);
  form_->Require<TWinControl>("Lower")->Hide();
  form_->Require<TWinControl>("Hidden")->Show();
  EXPECT_EQ(PressTab(*form_, 4), (Names{"Box1", "Hidden", "List", "Track"}));
}

TEST_F(TabOrderTest, PlacesGivenInTheDescriptionComeBeforeReadingOrder) {
  Load(kByTabOrder);
  EXPECT_EQ(PressTab(*form_, 6), (Names{"Go", "List", "Track", "Box1", "Box2", "Go"}));
}

// Where the focus is shows: the control with it looks otherwise than the same control
// without it (its focus frame, the trackbar's dotted frame).
TEST_F(TabOrderTest, TheFocusedControlShowsItHasTheFocus) {
  Load(kByPlace);
  for (const std::string name : {"Box1", "Track"}) {
    SCOPED_TRACE(name);
    TWinControl* c = form_->Require<TWinControl>(name);
    // Rendered while the focus is where it should be (another program may take it).
    auto renderFocusedOn = [&](TWinControl& target) {
      Pixels pixels;
      for (int attempt = 0; attempt < 20; ++attempt) {
        if (!Refocus(target.Handle())) continue;
        pixels = Render(*c);
        if (GetFocus() == target.Handle()) break;
      }
      return pixels;
    };
    TWinControl& elsewhere = *form_->Require<TWinControl>("Go");
    const Pixels without = renderFocusedOn(elsewhere);
    EXPECT_NE(renderFocusedOn(*c), without);
    EXPECT_EQ(renderFocusedOn(elsewhere), without) << "and the look goes with the focus";
  }
}

}  // namespace
}  // namespace dorvane
