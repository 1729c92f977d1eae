#pragma once
// A windowed container painted by us: its colour, up to two 3-D bevels with a border of
// its colour between them, an optional one-pixel frame, and a centred caption. Children
// aligned in it sit inside the frame, bevels and border.
#include "framework/Controls.h"
#include "framework/ControlDrawing.h"

namespace dorvane {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
const EnumType& BevelCutType();

class TPanel : public TCustomControl {
  DORVANE_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* owner);
  ~TPanel() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut bevel);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut bevel);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int width);
  // bsSingle: a one-pixel frame in the window frame colour outside the bevels.
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  // Accepted for descriptions; the panel always paints its own colour.
  bool ParentBackground() const { return parentBackground_; }
  void SetParentBackground(bool value) { parentBackground_ = value; }

 protected:
  void Paint() override;
  void AdjustClientRect(RECT& rect) const override;
  void BoundsChanged() override;

 private:
  void FrameChanged();

  TAlignment alignment_ = taCenter;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  TBorderStyle borderStyle_ = bsNone;
  bool parentBackground_ = true;
};

}  // namespace dorvane
