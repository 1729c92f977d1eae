#pragma once
// BMP files made by the tests themselves, byte by byte, so that loading them checks the
// product's reading against a layout written out here.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/Graphics.h"

namespace dorvane::testing {

inline void Put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.insert(b.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
}
inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A bottom-up BMP file of `pixels` (row-major, top row first) with 4, 8 or 24 bits a
// pixel; up to 8 bits the palette is made of the colours used.
inline std::vector<std::uint8_t> MakeBmp(int bits, int w, int h, const std::vector<TColor>& pixels) {
  std::vector<TColor> palette;
  for (TColor c : pixels)
    if (bits <= 8 && std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
  const std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
  const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
  std::vector<std::uint8_t> b{'B', 'M'};
  Put32(b, offset + static_cast<std::uint32_t>(stride * h));
  Put32(b, 0);
  Put32(b, offset);
  for (int v : {40, w, h}) Put32(b, static_cast<std::uint32_t>(v));
  Put16(b, 1);
  Put16(b, static_cast<unsigned>(bits));
  for (std::uint32_t v : {0u, 0u, 0u, 0u, static_cast<std::uint32_t>(palette.size()), 0u}) Put32(b, v);
  for (TColor c : palette)
    Put32(b, static_cast<std::uint32_t>(GetBValue32(c) | (GetGValue32(c) << 8) | (GetRValue32(c) << 16)));
  for (int row = 0; row < h; ++row) {
    const int y = h - 1 - row;
    std::vector<std::uint8_t> line(stride, 0);
    for (int x = 0; x < w; ++x) {
      const TColor c = pixels[static_cast<std::size_t>(y * w + x)];
      const auto index = static_cast<std::size_t>(std::find(palette.begin(), palette.end(), c) - palette.begin());
      if (bits == 8) line[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(index);
      if (bits == 4) line[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(index << (x % 2 ? 0 : 4));
      if (bits == 24) {
        std::uint8_t* p = &line[static_cast<std::size_t>(x) * 3];
        p[0] = static_cast<std::uint8_t>(GetBValue32(c));
        p[1] = static_cast<std::uint8_t>(GetGValue32(c));
        p[2] = static_cast<std::uint8_t>(GetRValue32(c));
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

}  // namespace dorvane::testing
