#pragma once
// The main window's skin drawn at any size, for the display scales the pictures among
// the resources (drawn at 96 dpi) do not have. The same drawing as tools/gen_resources.py
// makes them with: one small window of 120 x 140 figures is drawn and cut into tiles; a
// tile is drawn at any pixel size by sampling that window over the tile's area, so every
// edge and bevel is as sharp at 200 % as at 100 %.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace dorvane {

// A tile: its resource name and its area of the drawn window, in 96-dpi figures. A
// stretched tile is the same all along one direction (the window stretches it there).
struct SkinTile {
  std::string_view name;
  int x, y, width, height;
  enum Stretch { kNone, kAlongX, kAlongY } stretch;
};

// The eleven tiles: top edge, tool strip, left and right edges, bottom edge.
std::span<const SkinTile> SkinTiles();

// The tile drawn `width` x `height` pixels: 0x00RRGGBB words, top row first.
std::vector<std::uint32_t> DrawSkinTile(const SkinTile& tile, int width, int height);

}  // namespace dorvane
