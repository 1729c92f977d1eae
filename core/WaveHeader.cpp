#include "core/WaveHeader.h"

#include <cstring>

namespace dorvane {
namespace {

std::uint32_t Read32(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
         static_cast<std::uint32_t>(d[at + 2]) << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

std::uint16_t Read16(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::uint16_t>(d[at] | d[at + 1] << 8);
}

void Write32(std::span<std::uint8_t> d, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool TagAt(std::span<const std::uint8_t> d, std::size_t at, const char (&tag)[5]) {
  return std::memcmp(d.data() + at, tag, 4) == 0;
}

}  // namespace

WaveHeaderCheck ReadWaveHeader(std::span<const std::uint8_t> data, WaveFormat& format) {
  if (data.size() < kWaveHeaderSize) return WaveHeaderCheck::Truncated;
  if (!TagAt(data, 0, "RIFF") || !TagAt(data, 8, "WAVE") || !TagAt(data, 12, "fmt "))
    return WaveHeaderCheck::NotWave;
  WaveFormat f;
  f.riffSize = Read32(data, 4);
  f.formatChunkSize = Read32(data, 16);
  f.formatTag = Read16(data, 20);
  f.pcm = f.formatTag == 1;
  const std::uint16_t channels = Read16(data, 22);
  f.channels = channels == 1 ? WaveChannels::Mono : channels == 2 ? WaveChannels::Stereo : WaveChannels::Other;
  f.samplesPerSecond = Read32(data, 24);
  f.averageBytesPerSecond = Read32(data, 28);
  f.blockAlign = Read16(data, 32);
  format = f;
  return WaveHeaderCheck::Valid;
}

int FitWaveSizes(std::span<std::uint8_t> data) {
  WaveFormat format;
  if (ReadWaveHeader(data, format) != WaveHeaderCheck::Valid) return 0;
  int cut = 0;
  const std::uint64_t size = data.size();
  std::uint64_t end = 8 + static_cast<std::uint64_t>(format.riffSize);
  if (end > size) {
    end = size;
    Write32(data, 4, static_cast<std::uint32_t>(size - 8));
    ++cut;
  }
  // Chunks after the "WAVE" tag: an 8-byte head (tag, size), the body, a pad byte after
  // an odd size. A head that does not fit ends the walk.
  std::uint64_t at = 12;
  while (at + 8 <= end) {
    std::uint64_t body = Read32(data, static_cast<std::size_t>(at + 4));
    if (body > end - (at + 8)) {
      body = end - (at + 8);
      Write32(data, static_cast<std::size_t>(at + 4), static_cast<std::uint32_t>(body));
      ++cut;
    }
    at += 8 + body + (body & 1);
  }
  return cut;
}

}  // namespace dorvane
