// Fuzz target: the BMP decoder reads any bytes without reading past them, and either gives
// a reason and no pixels, or a picture within the limits with one word per pixel.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/BmpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const dorvane::BmpDecoding d = dorvane::DecodeBmp(std::span(data, size));
  if (!d) {
    if (d.error.empty() || !d.pixels.words.empty()) std::abort();
    return 0;
  }
  const auto& p = d.pixels;
  if (p.width <= 0 || p.height <= 0 || p.width > dorvane::kMaxBmpSide || p.height > dorvane::kMaxBmpSide)
    std::abort();
  if (p.words.size() != static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height)) std::abort();
  for (std::uint32_t w : p.words)
    if (w > 0xFFFFFF) std::abort();
  return 0;
}
