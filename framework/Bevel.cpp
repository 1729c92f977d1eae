#include "framework/Bevel.h"

#include "framework/ClassBuilder.h"
#include "framework/ControlDrawing.h"

namespace dorvane {

const EnumType& BevelShapeType() {
  static const EnumType t{"TBevelShape",
                          {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"}};
  return t;
}

const EnumType& BevelStyleType() {
  static const EnumType t{"TBevelStyle", {"bsLowered", "bsRaised"}};
  return t;
}

const ClassInfo& TBevel::StaticClass() {
  static const ClassInfo info = ClassBuilder<TBevel>("TBevel", &TGraphicControl::StaticClass())
                                    .Enum("Shape", &TBevel::Shape, &TBevel::SetShape, BevelShapeType(), bvsBox)
                                    .Enum("Style", &TBevel::Style, &TBevel::SetStyle, BevelStyleType(), bvsLowered)
                                    .Build();
  return info;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {}

TBevel::~TBevel() = default;

void TBevel::SetShape(TBevelShape shape) {
  if (shape == shape_) return;
  shape_ = shape;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas& canvas = Canvas();
  // A lowered bevel has its shadow towards the top left, a raised one its highlight.
  const TColor first = style_ == bvsLowered ? clBtnShadow : clBtnHighlight;
  const TColor second = style_ == bvsLowered ? clBtnHighlight : clBtnShadow;
  const int w = Width(), h = Height();
  auto fill = [&](const RECT& r, TColor color) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    canvas.FillRect(r);
  };
  switch (shape_) {
    case bvsBox: {
      RECT r{0, 0, w, h};
      Frame3D(canvas, r, first, second, 1);
      break;
    }
    case bvsFrame: {
      // Etched: a frame in the second colour one pixel down and right of one in the first.
      RECT inner{1, 1, w, h};
      Frame3D(canvas, inner, second, second, 1);
      RECT outer{0, 0, w - 1, h - 1};
      Frame3D(canvas, outer, first, first, 1);
      break;
    }
    case bvsTopLine:
      fill({0, 0, w, 1}, first);
      fill({0, 1, w, 2}, second);
      break;
    case bvsBottomLine:
      fill({0, h - 2, w, h - 1}, first);
      fill({0, h - 1, w, h}, second);
      break;
    case bvsLeftLine:
      fill({0, 0, 1, h}, first);
      fill({1, 0, 2, h}, second);
      break;
    case bvsRightLine:
      fill({w - 2, 0, w - 1, h}, first);
      fill({w - 1, 0, w, h}, second);
      break;
    case bvsSpacer:
      break;
  }
}

}  // namespace dorvane
