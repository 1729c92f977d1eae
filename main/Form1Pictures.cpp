#include "main/Dorvane.h"

#include <algorithm>
#include <string_view>

#include "core/DisplayScale.h"
#include "core/PictureScale.h"
#include "core/SkinDrawing.h"
#include "framework/Resources.h"
#include "framework/Trace.h"

// The main window's pictures at its display scale: the resources' own at 96 dpi; at any
// other the skin drawn in device pixels, and the other pictures taken from their drawings
// at 200 % (the settings gear's at 150 %, the about picture the program icon's 48-pixel
// image, the hide and close glyphs their own: the i686 release has no room for more) to
// the scaled size by area. A picture stretched up from 96 dpi would blur.

namespace dorvane {
namespace {

constexpr std::uint32_t kKey = 0x00FF00FF;  // magenta: the transparent colour of every BMP

std::unique_ptr<TBitmap> BitmapOf(const std::vector<std::uint32_t>& pixels, int width, int height) {
  auto bitmap = std::make_unique<TBitmap>(width, height);
  for (int y = 0; y < height; ++y)
    std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width, width, bitmap->ScanLine(y));
  return bitmap;
}

// A drawn picture taken to `width` x `height` (by area when the size differs).
std::unique_ptr<TBitmap> KeyedPictureAt(TBitmap& source, int width, int height) {
  if (source.Width() == width && source.Height() == height) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(source);
    return copy;
  }
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < source.Height(); ++y) pixels.insert(pixels.end(), source.ScanLine(y), source.ScanLine(y) + source.Width());
  return BitmapOf(ResizeKeyed(pixels, source.Width(), source.Height(), width, height, kKey), width, height);
}

// A picture of the resources at the size a `figureWidth` x `figureHeight` picture has at `dpi`.
std::unique_ptr<TBitmap> ResourcePictureAt(std::string_view name, int figureWidth, int figureHeight, int dpi) {
  const std::vector<std::uint8_t> bytes = ResourceBytes(name);
  TBitmap source;
  source.LoadFromBytes(bytes.data(), bytes.size());
  return KeyedPictureAt(source, ScaleForDpi(figureWidth, dpi), ScaleForDpi(figureHeight, dpi));
}

}  // namespace

void TForm1::ShowPicturesAtDpi() {
  const int dpi = Dpi();
  if (dpi == picturesDpi_) return;
  picturesDpi_ = dpi;
  const bool own = dpi == kDesignDpi;
  const TraceScope trace("pictures at the display scale");
  for (TImage* image : {ITL, ITM, ITR, ITBL, ITBM, ITBR, IL, IR, IBL, IB, IBR}) {
    const auto tiles = SkinTiles();
    const auto tile = std::find_if(tiles.begin(), tiles.end(), [&](const SkinTile& t) { return t.name == image->Name(); });
    if (tile == tiles.end()) continue;
    if (own) {
      image->Picture().LoadFromResourceName(image->Name());
      continue;
    }
    const int width = ScaleForDpi(tile->width, dpi), height = ScaleForDpi(tile->height, dpi);
    image->Picture().SetGraphic(BitmapOf(DrawSkinTile(*tile, width, height), width, height));
  }
  // The ten panels' drive pictures are one picture: resized once, copied to the others.
  const std::unique_ptr<TBitmap> drive = own ? nullptr : ResourcePictureAt("DRIVE_200", 37, 25, dpi);
  for (TImage* image : DriveImages) {
    if (own) {
      image->Picture().LoadFromResourceName("DRIVE");
      continue;
    }
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*drive);
    image->Picture().SetGraphic(std::move(copy));
  }
  if (own) {
    Image1->Picture().LoadFromResourceName("ABOUT");
  } else {
    // The about picture is the program icon's largest image on the panel's colour (as the
    // bitmap's corner colour also its transparent one), taken to the scaled size.
    constexpr int kLargest = 48;
    TIcon icon;
    icon.LoadProgramIcon(kLargest);
    TBitmap drawn(kLargest, kLargest);
    drawn.Canvas().Brush().SetColor(Panel2->Color());
    drawn.Canvas().FillRect(RECT{0, 0, kLargest, kLargest});
    drawn.Canvas().Draw(0, 0, icon);
    const int side = ScaleForDpi(32, dpi);
    Image1->Picture().SetGraphic(KeyedPictureAt(drawn, side, side));
  }
  const struct {
    TBitmap& glyph;
    std::string_view own, scaled;
    int side;
  } glyphs[] = {{SpeedButton2->Glyph(), "GLYPH_SETTINGS", "GLYPH_SETTINGS_150", 36},
                {btHide->Glyph(), "BTN_HIDE", "BTN_HIDE", 12},
                {btClose->Glyph(), "BTN_CLOSE", "BTN_CLOSE", 12}};
  for (const auto& g : glyphs) {
    if (own) g.glyph.LoadFromResourceName(std::string(g.own));
    else g.glyph.Assign(*ResourcePictureAt(g.scaled, g.side, g.side, dpi));
  }
}

}  // namespace dorvane
