#pragma once
// A PCM wave file built byte by byte, as a recorder writes it.
#include <cstdint>
#include <cstring>
#include <vector>

namespace dorvane::testing {

// An 8-bit sound of `samples` bytes at 8000 samples per second; mono PCM unless the format
// tag and channel count say otherwise.
inline std::vector<std::uint8_t> PcmWave(std::uint32_t samples, std::uint16_t tag = 1, std::uint16_t channels = 1) {
  std::vector<std::uint8_t> b(44 + samples);
  auto put = [&](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  std::memcpy(&b[0], "RIFF", 4);
  put(4, 36 + samples, 4);
  std::memcpy(&b[8], "WAVEfmt ", 8);
  put(16, 16, 4);               // format chunk size
  put(20, tag, 2);              // 1: PCM
  put(22, channels, 2);
  put(24, 8000, 4);             // samples per second
  put(28, 8000u * channels, 4);  // bytes per second
  put(32, channels, 2);         // block alignment
  put(34, 8, 2);                // bits per sample
  std::memcpy(&b[36], "data", 4);
  put(40, samples, 4);
  for (std::uint32_t i = 0; i < samples; ++i) b[44 + i] = static_cast<std::uint8_t>(128 + (i % 16) * 4);
  return b;
}

}  // namespace dorvane::testing
