#pragma once
// Drawing the standard controls share: the text alignment enumeration and the 3-D frames
// of panels and bevels.
#include <windows.h>

#include "framework/Graphics.h"
#include "framework/TypInfo.h"

namespace dorvane {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
const EnumType& AlignmentType();
// DT_LEFT, DT_RIGHT or DT_CENTER.
UINT DrawTextAlignment(TAlignment alignment);

// Draws `width` nested one-pixel frames, top and left edges in topLeft, bottom and right
// edges in bottomRight (the top-right and bottom-left corner pixels belong to the bottom
// and right edges), and shrinks r by width on every side.
void Frame3D(TCanvas& canvas, RECT& r, TColor topLeft, TColor bottomRight, int width);

}  // namespace dorvane
