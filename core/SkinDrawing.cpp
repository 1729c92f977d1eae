#include "core/SkinDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace dorvane {
namespace {

using Rgb = std::array<double, 3>;

constexpr double kWindowWidth = 120, kWindowHeight = 140;
constexpr double kFrame = 10;      // frame thickness on all four sides
constexpr double kStrip = 20;      // tool strip under the top edge
constexpr double kCornerR = 4.5;   // the window's region is rounded by a 9 x 9 ellipse
constexpr double kLightX = -0.55, kLightY = -0.835;  // light from the upper left

constexpr Rgb kFrameBase{100, 152, 216}, kOuterLight{186, 216, 249}, kOuterDark{52, 92, 150};
constexpr Rgb kFrameInner{66, 108, 168}, kPanel{126, 178, 235}, kWhite{255, 255, 255}, kBlack{0, 0, 0};

constexpr SkinTile kTiles[] = {
    {"ITL", 0, 0, 10, 10, SkinTile::kNone},     {"ITM", 10, 0, 100, 10, SkinTile::kAlongX},
    {"ITR", 110, 0, 10, 10, SkinTile::kNone},   {"ITBL", 0, 10, 10, 20, SkinTile::kNone},
    {"ITBM", 10, 10, 100, 20, SkinTile::kAlongX}, {"ITBR", 110, 10, 10, 20, SkinTile::kNone},
    {"IL", 0, 30, 10, 100, SkinTile::kAlongY},  {"IR", 110, 30, 10, 100, SkinTile::kAlongY},
    {"IBL", 0, 130, 10, 10, SkinTile::kNone},   {"IB", 10, 130, 100, 10, SkinTile::kAlongX},
    {"IBR", 110, 130, 10, 10, SkinTile::kNone},
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

// The colour at a point of the drawn window. Inside the frame it depends only on the
// distance inside the rounded outline and on how the outline there faces the light.
Rgb SkinColour(double x, double y) {
  const double hw = kWindowWidth / 2, hh = kWindowHeight / 2;
  const double px = x - hw, py = y - hh;
  const double qx = std::abs(px) - (hw - kCornerR), qy = std::abs(py) - (hh - kCornerR);
  const double sx = px > 0 ? 1 : -1, sy = py > 0 ? 1 : -1;
  double d, nx, ny;
  if (qx > 0 && qy > 0) {
    const double length = std::hypot(qx, qy);
    d = kCornerR - length;
    nx = sx * qx / length;
    ny = sy * qy / length;
  } else if (qx > qy) {
    d = kCornerR - qx;
    nx = sx;
    ny = 0;
  } else {
    d = kCornerR - qy;
    nx = 0;
    ny = sy;
  }
  const double lit = nx * kLightX + ny * kLightY;  // 1 facing the light, -1 away from it
  if (d < kFrame - 1) {
    d = std::max(d, 0.0);  // outside the region: clipped anyway
    if (d < 1.25) return Mix(kFrameBase, lit > 0 ? kOuterLight : kOuterDark, std::min(std::abs(lit), 1.0) * 0.9);
    // A cushion: lighter towards the outside, with a touch of directional light.
    const double t = (d - 1.25) / (kFrame - 2.25);
    const Rgb c = Mix(Mix(kFrameBase, kWhite, 0.13), Mix(kFrameBase, kBlack, 0.06), t);
    return Mix(c, lit > 0 ? kWhite : kBlack, std::abs(lit) * 0.05);
  }
  if (d < kFrame) return kFrameInner;  // the sunken edge around the strip and the panel
  if (y < kFrame + kStrip) {           // the tool strip: a glassy bar
    const double r = y - kFrame;
    if (r < 1) return {214, 232, 252};
    if (r >= kStrip - 1) return {84, 132, 196};
    if (r < kStrip / 2) return Mix({190, 219, 249}, {164, 202, 243}, (r - 1) / (kStrip / 2 - 1));
    return Mix({146, 190, 240}, {134, 182, 236}, (r - kStrip / 2) / (kStrip / 2 - 1));
  }
  return kPanel;
}

int Clamp8(double v) { return std::clamp(static_cast<int>(std::floor(v + 0.5)), 0, 255); }

// One pixel: the mean of 4 x 4 samples spread over its area of the window.
std::uint32_t Pixel(double left, double top, double width, double height) {
  constexpr int kSamples = 4;
  Rgb sum{0, 0, 0};
  for (int i = 0; i < kSamples; ++i)
    for (int j = 0; j < kSamples; ++j) {
      const Rgb c = SkinColour(left + (j + 0.5) * width / kSamples, top + (i + 0.5) * height / kSamples);
      for (int k = 0; k < 3; ++k) sum[k] += c[k];
    }
  constexpr double n = kSamples * kSamples;
  return static_cast<std::uint32_t>(Clamp8(sum[0] / n) << 16 | Clamp8(sum[1] / n) << 8 | Clamp8(sum[2] / n));
}

}  // namespace

std::span<const SkinTile> SkinTiles() { return kTiles; }

std::vector<std::uint32_t> DrawSkinTile(const SkinTile& tile, int width, int height) {
  std::vector<std::uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const double sx = static_cast<double>(tile.width) / width, sy = static_cast<double>(tile.height) / height;
  // A stretched tile is sampled along its middle line only and that line repeated: what
  // the window stretches must not change along the stretch.
  const double midX = tile.x + tile.width / 2.0 - 0.5, midY = tile.y + tile.height / 2.0 - 0.5;
  const auto at = [&](int x, int y) -> std::uint32_t& {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  };
  const int columns = tile.stretch == SkinTile::kAlongX ? 1 : width;
  const int rows = tile.stretch == SkinTile::kAlongY ? 1 : height;
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      const double left = columns == 1 ? midX : tile.x + x * sx;
      const double top = rows == 1 ? midY : tile.y + y * sy;
      at(x, y) = Pixel(left, top, columns == 1 ? 1 : sx, rows == 1 ? 1 : sy);
    }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) at(x, y) = at(columns == 1 ? 0 : x, rows == 1 ? 0 : y);
  return pixels;
}

}  // namespace dorvane
