#pragma once
// Decoding of BMP file images (1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with
// colour masks, core and info headers, bottom-up or top-down) into pixels. Nothing here
// throws for bad input: a damaged file gives the reason instead.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dorvane {

// Pixels of a decoded picture as DIB words (0x00RRGGBB), top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> words;
};

struct BmpDecoding {
  Pixels pixels;
  std::string error;  // empty when the file was read
  explicit operator bool() const { return error.empty(); }
};

// Pictures larger than this on a side, or with more pixels, are refused.
constexpr int kMaxBmpSide = 16384;
constexpr std::int64_t kMaxBmpPixels = std::int64_t{1} << 25;

BmpDecoding DecodeBmp(std::span<const std::uint8_t> file);

}  // namespace dorvane
