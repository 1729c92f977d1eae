#pragma once
// A text drawn by us on the parent's surface: aligned horizontally and vertically, on one
// line or word-wrapped, on its own colour or over whatever its parent paints beneath it.
#include "framework/Controls.h"
#include "framework/ControlDrawing.h"

namespace dorvane {

enum TTextLayout { tlTop, tlCenter, tlBottom };
const EnumType& TextLayoutType();

class TLabel : public TGraphicControl {
  DORVANE_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* owner);
  ~TLabel() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout layout);
  // The label's size follows its text in its font whenever caption or font change
  // (a right-justified label keeps its right edge; a word-wrapped one keeps its width).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  // Transparent: nothing is painted behind the text, so the parent shows through.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);

  void Paint() override;
  void Loaded() override;

 protected:
  void TextChanged() override;
  void FontChanged() override;

 private:
  UINT TextFlags() const;
  void AdjustBounds();

  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool autoSize_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
};

}  // namespace dorvane
