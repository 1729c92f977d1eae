#pragma once
// What the standard controls share: the text alignment enumeration, the 3-D frame drawing
// of panels and bevels, and their registration with the class registry (the form loader
// creates them by class name).
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

void RegisterStandardControls();

}  // namespace dorvane
