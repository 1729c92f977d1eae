#pragma once
// A 3-D box, etched frame or line drawn in the button shadow and highlight colours.
#include "framework/Controls.h"

namespace dorvane {

// Named bsBox, bsFrame, ... in form descriptions; the prefix keeps the names apart from
// the other bs... enumerations.
enum TBevelShape { bvsBox, bvsFrame, bvsTopLine, bvsBottomLine, bvsLeftLine, bvsRightLine, bvsSpacer };
const EnumType& BevelShapeType();
// Named bsLowered, bsRaised.
enum TBevelStyle { bvsLowered, bvsRaised };
const EnumType& BevelStyleType();

class TBevel : public TGraphicControl {
  DORVANE_CLASS(TBevel)
 public:
  explicit TBevel(TComponent* owner);
  ~TBevel() override;

  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle style);

  void Paint() override;

 private:
  TBevelShape shape_ = bvsBox;
  TBevelStyle style_ = bvsLowered;
};

}  // namespace dorvane
