#pragma once
// JPEG decoding through libjpeg. A corrupt or truncated picture raises EInvalidGraphic;
// the library is never allowed to end the process.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dorvane {

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, top row first
};

DecodedImage DecodeJpeg(const void* data, std::size_t size);

}  // namespace dorvane
