#pragma once
// The header of a wave file held whole in memory, read without the system's help: the
// wave player checks every file it loads with it before the bytes go anywhere near the
// sound system. Nothing here reads or writes outside the bytes it is given.
#include <cstddef>
#include <cstdint>
#include <span>

namespace dorvane {

// The fixed header at the start of a wave file: "RIFF", size, "WAVE", then the format
// chunk, which must come first.
inline constexpr std::size_t kWaveHeaderSize = 34;

enum class WaveChannels { Mono, Stereo, Other };

struct WaveFormat {
  std::uint32_t riffSize = 0;          // as the file states it
  std::uint32_t formatChunkSize = 0;
  std::uint16_t formatTag = 0;
  bool pcm = false;                    // format tag 1
  WaveChannels channels = WaveChannels::Other;
  std::uint32_t samplesPerSecond = 0;
  std::uint32_t averageBytesPerSecond = 0;
  std::uint16_t blockAlign = 0;
};

enum class WaveHeaderCheck {
  Valid,      // "RIFF" ... "WAVE" "fmt ": the format is filled in
  Truncated,  // the data ends inside the header
  NotWave,    // a complete header with other tags
};

WaveHeaderCheck ReadWaveHeader(std::span<const std::uint8_t> data, WaveFormat& format);

// Sizes that claim more than the data holds are cut to what is there: the RIFF size and
// the size of every chunk inside it. The system's player trusts these sizes, so a file
// that lies about them would make it read past the buffer. Returns how many sizes were
// cut; data that does not start with a complete header is left alone.
int FitWaveSizes(std::span<std::uint8_t> data);

}  // namespace dorvane
