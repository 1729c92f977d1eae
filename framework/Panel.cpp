#include "framework/Panel.h"

#include "framework/ClassBuilder.h"

namespace dorvane {

const EnumType& BevelCutType() {
  static const EnumType t{"TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};
  return t;
}

const ClassInfo& TPanel::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TPanel>("TPanel", &TCustomControl::StaticClass())
          .Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment, AlignmentType(), taCenter)
          .Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, BevelCutType(), bvNone)
          .Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, BevelCutType(), bvRaised)
          .Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1)
          .Enum("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle, BorderStyleType(), bsNone)
          .Bool("ParentBackground", &TPanel::ParentBackground, &TPanel::SetParentBackground, true)
          .Build();
  return info;
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {}

TPanel::~TPanel() = default;

void TPanel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut bevel) {
  if (bevel == bevelInner_) return;
  bevelInner_ = bevel;
  FrameChanged();
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
  if (bevel == bevelOuter_) return;
  bevelOuter_ = bevel;
  FrameChanged();
}

void TPanel::SetBevelWidth(int width) {
  if (width < 1) width = 1;
  if (width == bevelWidth_) return;
  bevelWidth_ = width;
  FrameChanged();
}

void TPanel::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  FrameChanged();
}

void TPanel::FrameChanged() {
  Realign();
  Invalidate();
}

// The frame is drawn along the edges: a bigger panel must be painted anew as a whole.
void TPanel::BoundsChanged() {
  TCustomControl::BoundsChanged();
  Invalidate();
}

void TPanel::AdjustClientRect(RECT& rect) const {
  TCustomControl::AdjustClientRect(rect);  // BorderWidth
  int frame = borderStyle_ == bsSingle ? 1 : 0;
  if (bevelOuter_ != bvNone) frame += bevelWidth_;
  if (bevelInner_ != bvNone) frame += bevelWidth_;
  InflateRect(&rect, -frame, -frame);
}

void TPanel::Paint() {
  TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor topLeft = Color(), bottomRight = Color();  // bvSpace: room in the panel's colour
    if (cut == bvLowered) {
      topLeft = clBtnShadow;
      bottomRight = clBtnHighlight;
    } else if (cut == bvRaised) {
      topLeft = clBtnHighlight;
      bottomRight = clBtnShadow;
    }
    Frame3D(canvas, r, topLeft, bottomRight, bevelWidth_);
  };
  if (borderStyle_ == bsSingle) Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
  bevel(bevelOuter_);
  InflateRect(&r, -BorderWidth(), -BorderWidth());  // the background already has the colour
  bevel(bevelInner_);
  if (!Caption().empty()) {
    canvas.Brush().SetStyle(bsClear);
    if (!Enabled()) canvas.Font().SetColor(clGrayText);
    canvas.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DrawTextAlignment(alignment_));
  }
}

}  // namespace dorvane
