#include "controls/Gauges.h"

#include <cmath>
#include <numbers>
#include <string>

#include "winapi/Handles.h"
#include "framework/ClassBuilder.h"
#include "framework/SysUtils.h"
#include "core/DisplayScale.h"

namespace dorvane {

namespace {

// Nearest integer, ties to even (the default floating-point rounding mode).
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// Every pixel black; the canvas goes back to plain copies afterwards.
void Blacken(TBitmap& bitmap) {
  TCanvas& canvas = bitmap.Canvas();
  const RECT all{0, 0, bitmap.Width(), bitmap.Height()};
  canvas.SetCopyMode(BLACKNESS);
  canvas.CopyRect(all, canvas, all);
  canvas.SetCopyMode(SRCCOPY);
}

// Draws `source` over `dest` at (0, 0) with a raster operation, then back to SRCCOPY.
void Blend(TBitmap& dest, const TBitmap& source, DWORD rop) {
  TCanvas& canvas = dest.Canvas();
  canvas.SetCopyMode(rop);
  canvas.Draw(0, 0, source);
  canvas.SetCopyMode(SRCCOPY);
}

void SolidBrush(TCanvas& canvas, TColor color) {
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(color);
}

// A pen wider than a pixel stays inside the figure's box, as the one-pixel pen does.
void SolidPen(TCanvas& canvas, TColor color, int width = 1) {
  canvas.Pen().SetStyle(width > 1 ? psInsideFrame : psSolid);
  canvas.Pen().SetMode(pmCopy);
  canvas.Pen().SetWidth(width);
  canvas.Pen().SetColor(color);
}

std::string RangeMessage(std::int64_t low, std::int64_t high) {
  return "Value must be between " + std::to_string(low) + " and " + std::to_string(high);
}

}  // namespace

const EnumType& GaugeKindType() {
  static const EnumType t{"TGaugeKind", {"gkText", "gkHorizontalBar", "gkVerticalBar", "gkPie", "gkNeedle"}};
  return t;
}

// -- TBltBitmap -----------------------------------------------------------------------------

const ClassInfo& TBltBitmap::StaticClass() {
  static const ClassInfo info = ClassBuilder<TBltBitmap>("TBltBitmap", &TBitmap::StaticClass()).Build();
  return info;
}

void TBltBitmap::MakeLike(const TBitmap& model) {
  SetSize(model.Width(), model.Height());
  TCanvas& canvas = Canvas();
  SolidBrush(canvas, clWindowFrame);
  canvas.FillRect(RECT{0, 0, Width(), Height()});
}

// -- TGauge ---------------------------------------------------------------------------------

const ClassInfo& TGauge::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TGauge>("TGauge", &TGraphicControl::StaticClass())
          .Int("MinValue", &TGauge::MinValue, &TGauge::SetMinValue, 0)
          .Int("MaxValue", &TGauge::MaxValue, &TGauge::SetMaxValue, 100)
          .Int("Progress", &TGauge::Progress, &TGauge::SetProgress)  // always stored
          .Enum("Kind", &TGauge::Kind, &TGauge::SetKind, GaugeKindType(), gkHorizontalBar)
          .Bool("ShowText", &TGauge::ShowText, &TGauge::SetShowText, true)
          .Enum("BorderStyle", &TGauge::BorderStyle, &TGauge::SetBorderStyle, BorderStyleType(), bsSingle)
          .Color("ForeColor", &TGauge::ForeColor, &TGauge::SetForeColor, clBlack)
          .Color("BackColor", &TGauge::BackColor, &TGauge::SetBackColor, clWhite)
          .Color("Color", &TGauge::Color, &TGauge::SetColor, clWindow)
          .Build();
  return info;
}

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) {
  opaque_ = true;
  SetBounds(0, 0, 100, 100);
  SetColor(clWindow);
  SetParentColor(true);
}

TGauge::~TGauge() = default;

int TGauge::PercentDone() const {
  const std::int64_t range = std::int64_t{maxValue_} - minValue_;
  if (range == 0) return 0;
  const double done = static_cast<double>(std::int64_t{progress_} - minValue_) * 100.0 / static_cast<double>(range);
  return static_cast<int>(done);  // truncates toward zero
}

void TGauge::SetMinValue(std::int32_t value) {
  if (value == minValue_) return;
  if (value > maxValue_ && !IsLoading())
    throw EInvalidOperation(RangeMessage(-2147483647, std::int64_t{maxValue_} - 1));
  minValue_ = value;
  if (progress_ < value) progress_ = value;
  Refresh();
}

void TGauge::SetMaxValue(std::int32_t value) {
  if (value == maxValue_) return;
  if (value < minValue_ && !IsLoading())
    throw EInvalidOperation(RangeMessage(std::int64_t{minValue_} + 1, 2147483647));
  maxValue_ = value;
  if (progress_ > value) progress_ = value;
  Refresh();
}

void TGauge::SetProgress(std::int32_t value) {
  const int before = PercentDone();
  if (value < minValue_) value = minValue_;
  else if (value > maxValue_) value = maxValue_;
  if (value == progress_) return;
  progress_ = value;
  // Moves within the same whole percentage change nothing that is drawn.
  if (PercentDone() != before) Refresh();
}

void TGauge::SetKind(TGaugeKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  Refresh();
}

void TGauge::SetShowText(bool value) {
  if (value == showText_) return;
  showText_ = value;
  Refresh();
}

void TGauge::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Refresh();
}

void TGauge::SetForeColor(TColor color) {
  if (color == foreColor_) return;
  foreColor_ = color;
  Refresh();
}

void TGauge::SetBackColor(TColor color) {
  if (color == backColor_) return;
  backColor_ = color;
  Refresh();
}

void TGauge::ChangeScale(int fromDpi, int toDpi) {
  dpi_ = toDpi;
  TGraphicControl::ChangeScale(fromDpi, toDpi);
}

RECT TGauge::PaintRect() const {
  RECT r{0, 0, Width(), Height()};
  if (borderStyle_ == bsSingle) InflateRect(&r, -1, -1);
  return r;
}

// The picture is composed in black-initialised bitmaps: the kind is drawn into an
// overlay that is XOR-ed onto the image (what stays black outside the paint rectangle
// is the frame), and the text is XOR-ed on top so that it inverts whatever is beneath.
void TGauge::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  TBitmap image(Width(), Height());
  Blacken(image);
  const RECT paintRect = PaintRect();
  {
    TBltBitmap overlay;
    overlay.MakeLike(image);
    Blacken(overlay);
    TCanvas& canvas = overlay.Canvas();
    // The needle's base line lies on PaintRect.Bottom, which with bsSingle is the frame
    // row: kinds draw only inside the paint rectangle so that the frame stays black.
    const auto clip = ClipToRect(canvas.Handle(), paintRect);
    switch (kind_) {
      case gkText: PaintAsText(canvas, paintRect); break;
      case gkHorizontalBar: PaintAsHorizontalBar(canvas, paintRect); break;
      case gkVerticalBar: PaintAsVerticalBar(canvas, paintRect); break;
      case gkPie: PaintAsPie(canvas, paintRect); break;
      case gkNeedle: PaintAsNeedle(canvas, paintRect); break;
      default: break;
    }
    Blend(image, overlay, SRCINVERT);
  }
  if (showText_) PaintText(image, paintRect);
  Canvas().SetCopyMode(SRCCOPY);
  Canvas().Draw(0, 0, image);
}

void TGauge::PaintText(TBitmap& image, const RECT& paintRect) {
  TBltBitmap text;
  text.MakeLike(image);
  Blacken(text);
  const std::string s = std::to_string(PercentDone()) + "%";
  TCanvas& canvas = text.Canvas();
  canvas.Brush().SetStyle(bsClear);
  canvas.Font().Assign(Font());
  canvas.Font().SetColor(clWhite);
  const SIZE extent = canvas.TextExtent(s);
  // Centred in the paint rectangle's size; deliberately not offset by its origin.
  const int x = (paintRect.right - paintRect.left + 1 - extent.cx) / 2;
  const int y = (paintRect.bottom - paintRect.top + 1 - extent.cy) / 2;
  canvas.TextRect(paintRect, x, y, s);
  Blend(image, text, SRCINVERT);
}

void TGauge::PaintAsText(TCanvas& canvas, const RECT& paintRect) {
  SolidBrush(canvas, backColor_);
  canvas.FillRect(paintRect);
}

// Both bars: the background in BackColor, then pen and brush in ForeColor for the fill.
void TGauge::PrepareBar(TCanvas& canvas, const RECT& paintRect) {
  SolidBrush(canvas, backColor_);
  canvas.FillRect(paintRect);
  SolidPen(canvas, foreColor_);
  canvas.Brush().SetColor(foreColor_);
}

void TGauge::PaintAsHorizontalBar(TCanvas& canvas, const RECT& paintRect) {
  const int w = paintRect.right - paintRect.left + 1;
  const int h = paintRect.bottom - paintRect.top + 1;
  PrepareBar(canvas, paintRect);
  // The percentage is scaled by 0.01 first: a product that should be whole can land
  // just below it and truncate one pixel short, which is how this bar has always looked.
  int fillSize = static_cast<int>(w * (PercentDone() * 0.01));
  if (fillSize > w) fillSize = w;
  if (fillSize > 0) canvas.FillRect(RECT{paintRect.left, paintRect.top, fillSize, h});
}

void TGauge::PaintAsVerticalBar(TCanvas& canvas, const RECT& paintRect) {
  const int w = paintRect.right - paintRect.left + 1;
  const int h = paintRect.bottom - paintRect.top + 1;
  PrepareBar(canvas, paintRect);
  int fillSize = static_cast<int>(h * (PercentDone() * 0.01));
  if (fillSize >= h) fillSize = h - 1;
  canvas.FillRect(RECT{paintRect.left, h - fillSize, w, h});
}

void TGauge::PaintAsPie(TCanvas& canvas, const RECT& paintRect) {
  int w = paintRect.right - paintRect.left;
  int h = paintRect.bottom - paintRect.top;
  if (borderStyle_ == bsSingle) {
    ++w;
    ++h;
  }
  SolidBrush(canvas, Color());
  canvas.FillRect(paintRect);
  canvas.Brush().SetColor(backColor_);
  SolidPen(canvas, foreColor_, ScaleForDpi(1, dpi_));
  canvas.Ellipse(paintRect.left, paintRect.top, w, h);
  const int percent = PercentDone();
  if (percent > 0) {
    canvas.Brush().SetColor(foreColor_);
    const int middleX = w / 2;
    const int middleY = h / 2;
    const double angle = std::numbers::pi * (percent / 50.0 + 0.5);
    // The wedge runs counter-clockwise from the start radial back to twelve o'clock, so
    // it grows clockwise from the top; at 100 % both points meet and the ellipse is full.
    canvas.Pie(paintRect.left, paintRect.top, w, h, RoundEven(middleX * (1 - std::cos(angle))),
               RoundEven(middleY * (1 - std::sin(angle))), middleX, 0);
  }
}

void TGauge::PaintAsNeedle(TCanvas& canvas, const RECT& paintRect) {
  const int x = paintRect.left;
  const int y = paintRect.top;
  int w = paintRect.right - paintRect.left;
  int h = paintRect.bottom - paintRect.top;
  if (borderStyle_ == bsSingle) {
    ++w;
    ++h;
  }
  SolidBrush(canvas, Color());
  canvas.FillRect(paintRect);
  canvas.Brush().SetColor(backColor_);
  SolidPen(canvas, foreColor_, ScaleForDpi(1, dpi_));
  // The upper half of an ellipse whose centre lies on the bottom edge, and its base line.
  canvas.Pie(x, y, w, h * 2 - 1, x + w, paintRect.bottom - 1, x, paintRect.bottom - 1);
  canvas.MoveTo(x, paintRect.bottom);
  canvas.LineTo(x + w, paintRect.bottom);
  const int percent = PercentDone();
  if (percent > 0) {
    canvas.Pen().SetColor(foreColor_);
    const int middleX = Width() / 2;
    canvas.MoveTo(middleX, paintRect.bottom - 1);
    const double angle = std::numbers::pi * percent / 100;
    canvas.LineTo(RoundEven(middleX * (1 - std::cos(angle))), RoundEven((paintRect.bottom - 1) * (1 - std::sin(angle))));
  }
}

}  // namespace dorvane
