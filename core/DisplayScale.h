#pragma once
// The display scale: every size and position the window is designed with is a figure at
// 96 dots per inch, and the window shows it at its own DPI (per monitor). One rounding
// rule for all of them: to the nearest pixel, halves away from zero, so that a figure and
// its negative scale alike and a figure taken to another DPI and back comes home.
#include <cstdint>

namespace dorvane {

// The DPI of the designed figures (100 %).
inline constexpr int kDesignDpi = 96;

// value * to / from, rounded to the nearest integer, halves away from zero. A DPI of 0 or
// less (none known) leaves the value as it is.
constexpr int Rescale(int value, int fromDpi, int toDpi) {
  if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return value;
  const std::int64_t product = static_cast<std::int64_t>(value) * toDpi;
  const std::int64_t half = fromDpi / 2;
  const std::int64_t rounded = product >= 0 ? (product + half) / fromDpi : -((-product + half) / fromDpi);
  return static_cast<int>(rounded);
}

// A 96-dpi figure in pixels at `dpi`.
constexpr int ScaleForDpi(int figure, int dpi) { return Rescale(figure, kDesignDpi, dpi); }

// Pixels at `dpi` as a 96-dpi figure.
constexpr int FigureAtDesignDpi(int pixels, int dpi) { return Rescale(pixels, dpi, kDesignDpi); }

// Pixels at one DPI as pixels at another, through their 96-dpi figure: a figure shown at
// any DPI and then moved to another comes out as it would have been scaled there
// directly, however often the window moves.
constexpr int RescaleForDpi(int pixels, int fromDpi, int toDpi) {
  if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return pixels;
  return ScaleForDpi(FigureAtDesignDpi(pixels, fromDpi), toDpi);
}

// The scale as a percentage (96 dpi: 100).
constexpr int ScalePercent(int dpi) { return Rescale(100, kDesignDpi, dpi); }

// The side of the small icons (the tray's) the shell shows at `dpi`: 16 at 100 %, 20, 24
// and 32 at 125, 150 and 200 %.
constexpr int SmallIconSizeForDpi(int dpi) { return ScaleForDpi(16, dpi); }

}  // namespace dorvane
