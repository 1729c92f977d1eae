#pragma once
// A windowless background that fills its whole area with a stepped colour gradient:
// flat, concentric ellipses, horizontal or vertical bands, concentric rectangles or
// rounded rectangles. The picture is cached and rebuilt only when the size or a property
// changes.
#include <cstdint>
#include <memory>

#include "framework/Controls.h"
#include "framework/Graphics.h"

namespace dorvane {

enum TGradStyle { grFilled, grEllipse, grHorizontal, grVertical, grPyramid, grMount };
const EnumType& GradStyleType();

class TGradientFill : public TGraphicControl {
  DORVANE_CLASS(TGradientFill)
 public:
  explicit TGradientFill(TComponent* owner);
  ~TGradientFill() override;

  TGradStyle Style() const { return style_; }
  void SetStyle(TGradStyle style);
  TColor StartColor() const { return startColor_; }
  void SetStartColor(TColor color);
  TColor EndColor() const { return endColor_; }
  void SetEndColor(TColor color);
  // Lowered by painting to what the size can show; the property keeps the lower value.
  std::uint16_t Steps() const { return steps_; }
  void SetSteps(std::uint16_t steps);

  void Paint() override;

 private:
  void PropertyChanged();
  void Rebuild();
  void DrawBands(TCanvas& canvas, int width, int height, TColor start, TColor end);
  void DrawConcentric(TCanvas& canvas, int width, int height, TColor start, TColor end);

  TGradStyle style_ = grHorizontal;
  TColor startColor_ = clBlue;
  TColor endColor_ = clBlack;
  std::uint16_t steps_ = 100;
  std::unique_ptr<TBitmap> cache_;
  int cachedWidth_ = 0;
  int cachedHeight_ = 0;
};

}  // namespace dorvane
