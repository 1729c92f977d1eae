#include "framework/ControlDrawing.h"

namespace dorvane {

const EnumType& AlignmentType() {
  static const EnumType t{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
  return t;
}

UINT DrawTextAlignment(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

void Frame3D(TCanvas& canvas, RECT& r, TColor topLeft, TColor bottomRight, int width) {
  canvas.Brush().SetStyle(bsSolid);
  for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
    canvas.Brush().SetColor(topLeft);
    canvas.FillRect(RECT{r.left, r.top, r.right - 1, r.top + 1});
    canvas.FillRect(RECT{r.left, r.top, r.left + 1, r.bottom - 1});
    canvas.Brush().SetColor(bottomRight);
    canvas.FillRect(RECT{r.right - 1, r.top, r.right, r.bottom});
    canvas.FillRect(RECT{r.left, r.bottom - 1, r.right, r.bottom});
    InflateRect(&r, -1, -1);
  }
}

}  // namespace dorvane
