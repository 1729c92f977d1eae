#pragma once
// Shared set-up of the custom-drawn control tests: a form with a window to put the
// control on, rendering into bitmaps, and small pixel helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/ControlsRegistration.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/TypInfo.h"
#include "tests/support/Pixels.h"

namespace dorvane::testing {

// Nearest integer, ties to even: the rounding every gradient uses.
inline int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

inline TColor SysColor(int index) { return static_cast<TColor>(::GetSysColor(index)); }

class ControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application().Initialize();
    RegisterVisualControls();
  }

  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 400, 300);
    form_->HandleNeeded();
  }

  void TearDown() override { form_->Free(); }

  // A control of class T on the form at (0, 0) with the given size.
  template <typename T>
  T* Make(int width, int height) {
    T* control = new T(form_);
    control->SetAlign(alNone);
    control->SetParent(form_);
    control->SetBounds(0, 0, width, height);
    return control;
  }

  // The control painted on its own into a bitmap of its size (prefilled with `under`,
  // which an opaque control must cover completely). Graphic and windowed controls alike.
  template <typename C>
  static std::unique_ptr<TBitmap> Render(C& control, TColor under = 0x00123456) {
    auto bitmap = std::make_unique<TBitmap>(control.Width(), control.Height());
    TCanvas& canvas = bitmap->Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(under);
    canvas.FillRect(RECT{0, 0, control.Width(), control.Height()});
    control.PaintTo(canvas.Handle());
    return bitmap;
  }

  // Shows the form so that repaints really happen (and are counted).
  void ShowForm() {
    form_->Show();
    Application().ProcessMessages();
  }

  TForm* form_ = nullptr;
};

// Pixels that differ between two renderings of the same size.
struct Diff {
  int count = 0;
  RECT bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};  // right and bottom exclusive
};

inline Diff Difference(const TBitmap& a, const TBitmap& b) {
  Diff d;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) {
        ++d.count;
        d.bounds.left = std::min<LONG>(d.bounds.left, x);
        d.bounds.top = std::min<LONG>(d.bounds.top, y);
        d.bounds.right = std::max<LONG>(d.bounds.right, x + 1);
        d.bounds.bottom = std::max<LONG>(d.bounds.bottom, y + 1);
      }
  return d;
}

inline bool SamePixels(const TBitmap& a, const TBitmap& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && Difference(a, b).count == 0;
}

// The extent of a text in a font, measured on a canvas of our own.
inline SIZE TextSize(const TFont& font, const std::string& text) {
  TBitmap probe(1, 1);
  probe.Canvas().Font().Assign(font);
  return probe.Canvas().TextExtent(text);
}

}  // namespace dorvane::testing
