#pragma once
// A windowless gauge that shows a value of a range as a percentage: plain text, a
// horizontal or vertical bar, a pie or a needle, with the percentage printed over it in
// the inverse of what lies beneath. Every paint is composed off-screen and copied in one
// blit, so the gauge never flickers.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Graphics.h"

namespace dorvane {

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
const EnumType& GaugeKindType();

// An off-screen picture that takes another bitmap's size.
class TBltBitmap : public TBitmap {
  DORVANE_CLASS(TBltBitmap)
 public:
  TBltBitmap() = default;
  // The template's width and height, filled entirely with clWindowFrame.
  void MakeLike(const TBitmap& model);
};

class TGauge : public TGraphicControl {
  DORVANE_CLASS(TGauge)
 public:
  explicit TGauge(TComponent* owner);
  ~TGauge() override;

  std::int32_t MinValue() const { return minValue_; }
  // Raises EInvalidOperation when above MaxValue (except while the form loads).
  void SetMinValue(std::int32_t value);
  std::int32_t MaxValue() const { return maxValue_; }
  // Raises EInvalidOperation when below MinValue (except while the form loads).
  void SetMaxValue(std::int32_t value);
  std::int32_t Progress() const { return progress_; }
  // Clamped to the range; repaints only when the whole percentage moves.
  void SetProgress(std::int32_t value);
  TGaugeKind Kind() const { return kind_; }
  void SetKind(TGaugeKind kind);
  bool ShowText() const { return showText_; }
  void SetShowText(bool value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  TColor ForeColor() const { return foreColor_; }
  void SetForeColor(TColor color);
  TColor BackColor() const { return backColor_; }
  void SetBackColor(TColor color);

  // (Progress - MinValue) as a whole percentage of the range, truncated; 0 for an empty range.
  int PercentDone() const;

  void Paint() override;
  // The outlines of the pie and the needle keep their 96-dpi width of one pixel scaled.
  void ChangeScale(int fromDpi, int toDpi) override;

 private:
  RECT PaintRect() const;
  void PaintText(TBitmap& image, const RECT& paintRect);
  void PaintAsText(TCanvas& canvas, const RECT& paintRect);
  void PrepareBar(TCanvas& canvas, const RECT& paintRect);
  void PaintAsHorizontalBar(TCanvas& canvas, const RECT& paintRect);
  void PaintAsVerticalBar(TCanvas& canvas, const RECT& paintRect);
  void PaintAsPie(TCanvas& canvas, const RECT& paintRect);
  void PaintAsNeedle(TCanvas& canvas, const RECT& paintRect);

  std::int32_t minValue_ = 0;
  std::int32_t maxValue_ = 100;
  std::int32_t progress_ = 0;
  TGaugeKind kind_ = gkHorizontalBar;
  bool showText_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  TColor foreColor_ = clBlack;
  TColor backColor_ = clWhite;
  int dpi_ = 96;
};

}  // namespace dorvane
