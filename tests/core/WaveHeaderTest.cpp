// The wave header check and size fitting on hand-built files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/WaveHeader.h"
#include "tests/support/TestPcm.h"

namespace dorvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

using testing::PcmWave;

TEST(WaveHeader, ReadsTheHeaderOnlyWhenCompleteAndTagged) {
  auto with = [](Bytes b, std::size_t at, const char* tag) {
    std::copy(tag, tag + 4, b.begin() + static_cast<long>(at));
    return b;
  };
  const Bytes pcm = PcmWave(100);
  const struct {
    const char* what;
    Bytes data;
    WaveHeaderCheck check;
  } cases[] = {
      {"a PCM file", pcm, WaveHeaderCheck::Valid},
      {"the bare header", Bytes(pcm.begin(), pcm.begin() + kWaveHeaderSize), WaveHeaderCheck::Valid},
      {"one byte short", Bytes(pcm.begin(), pcm.begin() + kWaveHeaderSize - 1), WaveHeaderCheck::Truncated},
      {"ten bytes", Bytes(pcm.begin(), pcm.begin() + 10), WaveHeaderCheck::Truncated},
      {"short and untagged", Bytes(20, 'x'), WaveHeaderCheck::Truncated},
      {"big-endian RIFF", with(pcm, 0, "RIFX"), WaveHeaderCheck::NotWave},
      {"a video", with(pcm, 8, "AVI "), WaveHeaderCheck::NotWave},
      {"a list before the format", with(pcm, 12, "LIST"), WaveHeaderCheck::NotWave},
      {"tags are case-sensitive", with(pcm, 12, "FMT "), WaveHeaderCheck::NotWave},
  };
  for (const auto& c : cases) {
    WaveFormat f;
    f.riffSize = 77;
    EXPECT_EQ(ReadWaveHeader(c.data, f), c.check) << c.what;
    if (c.check != WaveHeaderCheck::Valid) {
      EXPECT_EQ(f.riffSize, 77u) << c.what << ": the format is left alone";
    }
  }

  WaveFormat f;
  ASSERT_EQ(ReadWaveHeader(pcm, f), WaveHeaderCheck::Valid);
  EXPECT_EQ(f.riffSize, 136u);
  EXPECT_EQ(f.formatChunkSize, 16u);
  EXPECT_TRUE(f.pcm);
  EXPECT_EQ(f.channels, WaveChannels::Mono);
  EXPECT_EQ(f.samplesPerSecond, 8000u);
  EXPECT_EQ(f.averageBytesPerSecond, 8000u);
  EXPECT_EQ(f.blockAlign, 1);
  ASSERT_EQ(ReadWaveHeader(PcmWave(4, 3, 2), f), WaveHeaderCheck::Valid);
  EXPECT_FALSE(f.pcm);
  EXPECT_EQ(f.channels, WaveChannels::Stereo);
  ASSERT_EQ(ReadWaveHeader(PcmWave(4, 1, 6), f), WaveHeaderCheck::Valid);
  EXPECT_EQ(f.channels, WaveChannels::Other);
}

TEST(WaveHeader, SizesThatClaimTooMuchAreCutToTheData) {
  Bytes honest = PcmWave(10);  // odd sizes are padded; 10 is even: no pad
  EXPECT_EQ(FitWaveSizes(honest), 0);
  EXPECT_EQ(honest, PcmWave(10));

  // A recorder that never finished writing: both sizes say 4 GB.
  Bytes lying = PcmWave(10);
  lying[4] = lying[5] = lying[6] = lying[7] = 0xFF;
  lying[40] = lying[41] = lying[42] = lying[43] = 0xFF;
  EXPECT_EQ(FitWaveSizes(lying), 2);
  EXPECT_EQ(Get32(lying, 4), lying.size() - 8);
  EXPECT_EQ(Get32(lying, 40), 10u);

  // The data chunk cut short by a truncated download: only its size is wrong.
  Bytes shortData = PcmWave(10);
  shortData.resize(shortData.size() - 4);
  EXPECT_EQ(FitWaveSizes(shortData), 2);  // the RIFF size and the data chunk
  EXPECT_EQ(Get32(shortData, 40), 6u);

  // Data that is not a wave is never touched.
  Bytes notWave = lying;
  notWave[0] = 'X';
  const Bytes before = notWave;
  EXPECT_EQ(FitWaveSizes(notWave), 0);
  EXPECT_EQ(notWave, before);
}

}  // namespace
}  // namespace dorvane
