#include "main/Dorvane.h"

#include <algorithm>

#include "core/DisplayScale.h"
#include "core/SkinDrawing.h"

// The main window's pictures at its display scale: the resources' own at 96 dpi, drawn
// in device pixels at any other (a picture stretched from 96 dpi would blur).

namespace dorvane {

void TForm1::ShowPicturesAtDpi() {
  const int dpi = Dpi();
  if (dpi == picturesDpi_) return;
  picturesDpi_ = dpi;
  for (TImage* image : {ITL, ITM, ITR, ITBL, ITBM, ITBR, IL, IR, IBL, IB, IBR}) {
    const auto tiles = SkinTiles();
    const auto tile = std::find_if(tiles.begin(), tiles.end(), [&](const SkinTile& t) { return t.name == image->Name(); });
    if (tile == tiles.end()) continue;
    if (dpi == kDesignDpi) {
      image->Picture().LoadFromResourceName(image->Name());
      continue;
    }
    const int width = ScaleForDpi(tile->width, dpi), height = ScaleForDpi(tile->height, dpi);
    const std::vector<std::uint32_t> pixels = DrawSkinTile(*tile, width, height);
    auto bitmap = std::make_unique<TBitmap>(width, height);
    for (int y = 0; y < height; ++y)
      std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width, width, bitmap->ScanLine(y));
    image->Picture().SetGraphic(std::move(bitmap));
  }
}

}  // namespace dorvane
