// Fuzz target: the wave header check and the size fitting never touch a byte outside the
// data (the copy is exactly as long as the input, so the sanitizer sees any overrun), the
// check agrees with the tags, and fitted data states no size that runs past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/WaveHeader.h"

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  dorvane::WaveFormat format;
  const auto check = dorvane::ReadWaveHeader(bytes, format);
  const bool tags = size >= 16 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0 &&
                    std::memcmp(data + 12, "fmt ", 4) == 0;
  if (size < dorvane::kWaveHeaderSize) {
    if (check != dorvane::WaveHeaderCheck::Truncated) std::abort();
  } else if ((check == dorvane::WaveHeaderCheck::Valid) != tags) {
    std::abort();
  }
  if (check == dorvane::WaveHeaderCheck::Valid && format.riffSize != Le32(data + 4)) std::abort();

  const int cut = dorvane::FitWaveSizes(bytes);
  if (check != dorvane::WaveHeaderCheck::Valid) {
    // (An empty input may come as null pointers, which memcmp must not be given.)
    if (cut != 0 || (size > 0 && std::memcmp(bytes.data(), data, size) != 0)) std::abort();
    return 0;
  }
  // Fitted: the RIFF size and every chunk lie inside the data, and fitting again changes
  // nothing.
  const std::uint64_t end = 8 + static_cast<std::uint64_t>(Le32(bytes.data() + 4));
  if (end > size) std::abort();
  for (std::uint64_t at = 12; at + 8 <= end;) {
    const std::uint64_t body = Le32(bytes.data() + at + 4);
    if (at + 8 + body > end) std::abort();
    at += 8 + body + (body & 1);
  }
  const std::vector<std::uint8_t> fitted = bytes;
  if (dorvane::FitWaveSizes(bytes) != 0 || bytes != fitted) std::abort();
  return 0;
}
