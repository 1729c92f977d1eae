#pragma once
// A keyed picture (one colour marks its transparent pixels) resized by area: each new
// pixel is the mean of the old pixels it covers, in proportion to how much of each it
// covers, the transparent ones left out. A new pixel less than half covered by opaque
// ones is transparent, so the outline neither grows nor shrinks. Made for taking a
// picture drawn at 200 % to 125 or 150 %, where it stays far sharper than one stretched
// up from 100 %.
#include <cstdint>
#include <span>
#include <vector>

namespace dorvane {

// `pixels`: width x height 0x00RRGGBB words, top row first. A mean that comes out as the
// key colour is moved off it by one step of red.
std::vector<std::uint32_t> ResizeKeyed(std::span<const std::uint32_t> pixels, int width, int height, int toWidth,
                                       int toHeight, std::uint32_t key);

}  // namespace dorvane
