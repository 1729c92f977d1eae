#include "core/TrayPictures.h"

#include <algorithm>

#include "core/DisplayScale.h"

namespace dorvane {
namespace {

struct BoxColours {
  std::uint32_t outline, highlight, light, seam, front, slot, shade;
};
constexpr BoxColours kGreyBox{0x545862, 0xF8F9FB, 0xD8DBE0, 0x969BA4, 0xC4C8CF, 0x767B85, 0xA6ABB3};
constexpr BoxColours kRedBox{0x700E0E, 0xFFC4BE, 0xEE605A, 0xA81C1A, 0xDE3E38, 0x961212, 0xC22824};
constexpr std::uint32_t kLamp = 0x40E858;

// The bar's colours: its upper rows, then its lower ones.
struct BarColours {
  std::uint32_t upper, lower;
};
constexpr BarColours kBarUsed{0xB0B0B0, 0x888888};
constexpr BarColours kBarGreen{0x6EDC6E, 0x2CAC40};
constexpr BarColours kBarOrange{0xFFB446, 0xE88010};
constexpr BarColours kBarRed{0xFA645C, 0xD02824};

// The box's inside from top to bottom at 16 pixels: its row edges, 9 rows in all, and
// the rows of the slot in the front face.
constexpr int kInsideRows = 9;
constexpr int kHighlightEnd = 1, kLightEnd = 3, kSeamEnd = 4, kFrontEnd = 8;
constexpr int kSlotTop = 6, kSlotEnd = 7;

class Painter {
 public:
  Painter(int side, std::uint32_t* pixels) : side_(side), pixels_(pixels) {}
  // Fills columns x0..x1 of rows y0..y1 (inclusive).
  void Fill(int x0, int y0, int x1, int y1, std::uint32_t colour) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, side_ - 1);
    if (x1 < x0) return;
    for (int y = std::max(y0, 0); y <= std::min(y1, side_ - 1); ++y)
      std::fill(pixels_ + y * side_ + x0, pixels_ + y * side_ + x1 + 1, colour);
  }

 private:
  int side_;
  std::uint32_t* pixels_;
};

}  // namespace

void DrawTrayPicture(int index, int side, std::uint32_t* pixels) {
  if (index < 0 || index >= kTrayPictureCount || side < kTrayPictureDesignSide || !pixels) return;
  const auto scaled = [side](int figure) { return Rescale(figure, kTrayPictureDesignSide, side); };
  Painter paint(side, pixels);
  const int line = side / kTrayPictureDesignSide;  // the outline's width

  // The box: at 16 pixels from (1, 1) to (14, 11), the outline's corners cut.
  const BoxColours& box = index == 17 ? kRedBox : kGreyBox;
  const int x0 = scaled(1), x1 = side - 1 - scaled(1);
  const int y0 = scaled(1), y1 = scaled(12) - 1;
  paint.Fill(x0 + line, y0, x1 - line, y0 + line - 1, box.outline);
  paint.Fill(x0 + line, y1 - line + 1, x1 - line, y1, box.outline);
  paint.Fill(x0, y0 + line, x0 + line - 1, y1 - line, box.outline);
  paint.Fill(x1 - line + 1, y0 + line, x1, y1 - line, box.outline);

  // Its inside: the bands' edges scaled to the inside's height.
  const int ix0 = x0 + line, ix1 = x1 - line, top = y0 + line;
  const int inside = y1 - y0 + 1 - 2 * line;
  const auto row = [&](int edge) { return top + Rescale(edge, kInsideRows, inside); };
  paint.Fill(ix0, row(0), ix1, row(kHighlightEnd) - 1, box.highlight);
  paint.Fill(ix0, row(kHighlightEnd), ix1, row(kLightEnd) - 1, box.light);
  paint.Fill(ix0, row(kLightEnd), ix1, row(kSeamEnd) - 1, box.seam);
  paint.Fill(ix0, row(kSeamEnd), ix1, row(kFrontEnd) - 1, box.front);
  paint.Fill(ix0 + line, row(kSlotTop), ix1 - line, row(kSlotEnd) - 1, box.slot);
  paint.Fill(ix0, row(kFrontEnd), ix1, row(kInsideRows) - 1, box.shade);

  // The lamp: 3 x 1 at 16 pixels, at the top of the light band, one line from the right.
  const int lampRight = ix1 - line;
  paint.Fill(lampRight - scaled(3) + 1, row(kHighlightEnd), lampRight, row(kHighlightEnd) + scaled(1) - 1, kLamp);

  if (index == 0) return;
  // The bar: the bottom rows (2 at 16 pixels), the used share grey from the left.
  const int barHeight = scaled(2);
  const int barTop = side - barHeight, barMiddle = barTop + barHeight / 2;
  const int used = index == 17 ? side : scaled(index - 1);
  const BarColours& free = index <= 13 ? kBarGreen : index == 14 ? kBarOrange : kBarRed;
  paint.Fill(0, barTop, used - 1, barMiddle - 1, kBarUsed.upper);
  paint.Fill(0, barMiddle, used - 1, side - 1, kBarUsed.lower);
  paint.Fill(used, barTop, side - 1, barMiddle - 1, free.upper);
  paint.Fill(used, barMiddle, side - 1, side - 1, free.lower);
}

}  // namespace dorvane
