#include "controls/GradientFill.h"

#include <cmath>
#include <utility>

#include "framework/ClassBuilder.h"

namespace dorvane {

namespace {

int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// The colour of step i of n from start to end; step n is exactly end.
class StepColours {
 public:
  StepColours(TColor start, TColor end, int n)
      : start_(start),
        dr_((GetRValue32(end) - GetRValue32(start)) / static_cast<double>(n)),
        dg_((GetGValue32(end) - GetGValue32(start)) / static_cast<double>(n)),
        db_((GetBValue32(end) - GetBValue32(start)) / static_cast<double>(n)) {}
  TColor operator()(int i) const {
    return RGBColor(RoundEven(GetRValue32(start_) + i * dr_), RoundEven(GetGValue32(start_) + i * dg_),
                    RoundEven(GetBValue32(start_) + i * db_));
  }

 private:
  TColor start_;
  double dr_, dg_, db_;
};

void Fill(TCanvas& canvas, const RECT& r, TColor color) {
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(color);
  canvas.FillRect(r);
}

}  // namespace

const EnumType& GradStyleType() {
  static const EnumType t{"TGradStyle", {"grFilled", "grEllipse", "grHorizontal", "grVertical", "grPyramid", "grMount"}};
  return t;
}

const ClassInfo& TGradientFill::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TGradientFill>("TGradientFill", &TGraphicControl::StaticClass())
          .Enum("Style", &TGradientFill::Style, &TGradientFill::SetStyle, GradStyleType(), grHorizontal)
          .Color("StartColor", &TGradientFill::StartColor, &TGradientFill::SetStartColor, clBlue)
          .Color("EndColor", &TGradientFill::EndColor, &TGradientFill::SetEndColor, clBlack)
          .Int("Steps", &TGradientFill::Steps, &TGradientFill::SetSteps, 100)
          .Enum("Align", &TGradientFill::Align, &TGradientFill::SetAlign, AlignType(), alClient)
          .Build();
  return info;
}

TGradientFill::TGradientFill(TComponent* owner) : TGraphicControl(owner), cache_(std::make_unique<TBitmap>()) {
  opaque_ = true;
  SetParentColor(true);
  SetAlign(alClient);
}

TGradientFill::~TGradientFill() = default;

void TGradientFill::PropertyChanged() {
  cachedWidth_ = 0;  // the next paint rebuilds the picture
  Invalidate();
}

void TGradientFill::SetStyle(TGradStyle style) {
  style_ = style;
  PropertyChanged();
}

void TGradientFill::SetStartColor(TColor color) {
  startColor_ = color;
  PropertyChanged();
}

void TGradientFill::SetEndColor(TColor color) {
  endColor_ = color;
  PropertyChanged();
}

void TGradientFill::SetSteps(std::uint16_t steps) {
  steps_ = steps;
  PropertyChanged();
}

void TGradientFill::Paint() {
  if (IsDestroying()) return;
  if (Width() != cachedWidth_ || Height() != cachedHeight_) Rebuild();
  Canvas().SetCopyMode(SRCCOPY);
  Canvas().Draw(0, 0, *cache_);
}

void TGradientFill::Rebuild() {
  const TColor start = static_cast<TColor>(ColorToRGB(startColor_));
  const TColor end = static_cast<TColor>(ColorToRGB(endColor_));
  cachedWidth_ = Width();
  cachedHeight_ = Height();
  auto picture = std::make_unique<TBitmap>(cachedWidth_, cachedHeight_);
  if (!picture->Empty()) {
    TCanvas& canvas = picture->Canvas();
    switch (style_) {
      case grHorizontal:
      case grVertical: DrawBands(canvas, cachedWidth_, cachedHeight_, start, end); break;
      case grEllipse:
      case grPyramid:
      case grMount: DrawConcentric(canvas, cachedWidth_, cachedHeight_, start, end); break;
      default: Fill(canvas, RECT{0, 0, cachedWidth_, cachedHeight_}, start); break;
    }
  }
  cache_ = std::move(picture);
}

void TGradientFill::DrawBands(TCanvas& canvas, int width, int height, TColor start, TColor end) {
  const bool horizontal = style_ == grHorizontal;
  const int extent = horizontal ? width : height;
  if (steps_ > extent) steps_ = static_cast<std::uint16_t>(extent);
  const int n = steps_;
  if (n == 0) {
    // No steps to divide into: the start colour alone.
    Fill(canvas, RECT{0, 0, width, height}, start);
    return;
  }
  const StepColours colour(start, end, n);
  const double band = static_cast<double>(extent) / n;
  // N + 1 bands: the last one, exactly the end colour, begins at the far edge.
  for (int i = 0; i <= n; ++i) {
    const int from = RoundEven(i * band), to = RoundEven((i + 1) * band);
    Fill(canvas, horizontal ? RECT{from, 0, to, height} : RECT{0, from, width, to}, colour(i));
  }
}

void TGradientFill::DrawConcentric(TCanvas& canvas, int width, int height, TColor start, TColor end) {
  Fill(canvas, RECT{0, 0, width, height}, start);
  if (steps_ > width / 2) steps_ = static_cast<std::uint16_t>(width / 2);
  if (steps_ > height / 2) steps_ = static_cast<std::uint16_t>(height / 2);
  const int n = steps_;
  if (n == 0) return;  // too small for any step: the start colour alone
  const StepColours colour(start, end, n);
  const double sx = static_cast<double>(width) / n / 2;
  const double sy = static_cast<double>(height) / n / 2;
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetMode(pmCopy);
  canvas.Pen().SetWidth(1);
  canvas.Brush().SetStyle(bsSolid);
  for (int i = 0; i <= n; ++i) {
    const int x1 = RoundEven(i * sx), y1 = RoundEven(i * sy);
    const int x2 = width - x1, y2 = height - y1;
    canvas.Brush().SetColor(colour(i));
    canvas.Pen().SetColor(colour(i));
    switch (style_) {
      case grEllipse: canvas.Ellipse(x1, y1, x2, y2); break;
      case grPyramid: canvas.Rectangle(x1, y1, x2, y2); break;
      default: canvas.RoundRect(x1, y1, x2, y2, (x2 - x1) / 2, (y2 - y1) / 2); break;
    }
  }
}

}  // namespace dorvane
