#pragma once
// A windowless progress bar that fills from the left with a colour gradient, as one
// continuous bar or as separated blocks, with an optional caption, formatted caption or
// percentage over it. The finished picture is kept in a buffer that is rendered again
// only when something visible changed; a paint merely copies it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framework/Controls.h"
#include "framework/Graphics.h"

namespace dorvane {

enum TTextOption { toCaption, toFormat, toNoText, toPercent };
const EnumType& TextOptionType();

// The caption with every %d replaced by `value` and %% by a percent sign. Anything else
// after a percent sign is kept as it is: a caption is never handed to printf.
std::string FormatPercentCaption(std::string_view caption, int value);

class TSpecialProgress : public TGraphicControl {
  DORVANE_CLASS(TSpecialProgress)
 public:
  explicit TSpecialProgress(TComponent* owner);
  ~TSpecialProgress() override;

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  TColor StartColor() const { return startColor_; }
  void SetStartColor(TColor color);
  TColor EndColor() const { return endColor_; }
  void SetEndColor(TColor color);
  bool GradientBlocks() const { return gradientBlocks_; }
  void SetGradientBlocks(bool value);
  // Given to the application's hint windows while the mouse is over the bar.
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor color) { hintColor_ = color; }
  std::int32_t Maximum() const { return maximum_; }
  void SetMaximum(std::int32_t value);
  std::int32_t Minimum() const { return minimum_; }
  void SetMinimum(std::int32_t value);
  std::int32_t Position() const { return position_; }
  // Clamped to the range.
  void SetPosition(std::int32_t value);
  bool Solid() const { return solid_; }
  void SetSolid(bool value);
  // Kept for the form; nothing drawn depends on it.
  std::int32_t Step() const { return step_; }
  void SetStep(std::int32_t value) { step_ = value; }
  bool TextCentered() const { return textCentered_; }
  void SetTextCentered(bool value);
  TTextOption TextOption() const { return textOption_; }
  void SetTextOption(TTextOption option);

  // (Position - Minimum) * 100 div (Maximum - Minimum), 0 for an empty range.
  int Percent() const;
  // The filled length in pixels and the block layout of the last computation.
  int BarLength() const { return barLength_; }
  int BlockWidth() const { return blockWidth_; }
  int BlockCount() const { return blockCount_; }

  TNotifyEvent OnParentColorChange;

  void Paint() override;
  void Loaded() override;
  void MouseEnter() override;
  void MouseLeave() override;

 protected:
  void ColorChanged() override;
  void FontChanged() override;
  void TextChanged() override;
  void ParentColorChanged() override;
  void BoundsChanged() override;

 private:
  // Sets the changed flag when the filled length moved.
  void ComputeBarLength();
  // Renders the buffer when the changed flag is set; `repaint` shows it at once.
  void Render(bool repaint = true);
  void PaintSolid(TCanvas& canvas, int width, int height);
  void PaintBlocks(TCanvas& canvas, int width, int height);
  void PaintCaption(TCanvas& canvas, int width, int height);
  void PaintBorder(TCanvas& canvas, int width, int height);
  bool ShowsPercent() const { return textOption_ == toFormat || textOption_ == toPercent; }

  std::unique_ptr<TBitmap> buffer_;
  TBorderStyle borderStyle_ = bsNone;
  TColor startColor_ = clWhite;
  TColor endColor_ = clBlack;
  TColor startRGB_ = clWhite;
  TColor endRGB_ = clBlack;
  bool gradientBlocks_ = false;
  TColor hintColor_ = clInfoBk;
  std::int32_t maximum_ = 100;
  std::int32_t minimum_ = 0;
  std::int32_t position_ = 0;
  bool solid_ = false;
  std::int32_t step_ = 10;
  bool textCentered_ = false;
  TTextOption textOption_ = toNoText;

  int barLength_ = 0;
  int blockWidth_ = 0;
  int blockCount_ = 0;
  bool lastBlockPartial_ = false;
  int lastBlockWidth_ = 0;
  bool changed_ = true;
  bool hintSaved_ = false;
  TColor savedHintColor_ = clInfoBk;
};

}  // namespace dorvane
