#pragma once
// The 18 tray pictures drawn at any small-icon size from one layout, designed at 16 x 16:
// a grey drive box with a green lamp in its upper part and, under it, a bar across the
// full width whose coloured right part stands for the free share. Picture 0 has no bar;
// pictures 1 to 16 have k - 1 sixteenths of the width grey, the rest green (1 to 13),
// orange (14) or red (15, 16); picture 17 shows the box red over an all-grey bar.
//
// At other sizes every figure of the layout is scaled from 16 pixels to the side with the
// display scale's rounding; lines stay one pixel wide until the side is twice the design,
// so the 32-pixel pictures are the 16-pixel ones with every pixel doubled.
#include <cstdint>

namespace dorvane {

inline constexpr int kTrayPictureCount = 18;
// The side the pictures are designed at.
inline constexpr int kTrayPictureDesignSide = 16;

// Draws picture `index` (0 to 17) at side x side into `pixels` (DIB words 0x00RRGGBB,
// top row first, side words per row). Pixels outside the picture are left as they are, so
// the caller's background (a mask colour) shows through. An index out of range or a side
// below the design's draws nothing.
void DrawTrayPicture(int index, int side, std::uint32_t* pixels);

}  // namespace dorvane
