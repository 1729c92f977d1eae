#include "core/BmpDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace dorvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) { b.insert(b.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); }
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// 3 x 2 picture, words 0x00RRGGBB, top row first.
const std::vector<std::uint32_t> kPicture{kRed, kGreen, kBlue, kWhite, kBlue, kRed};

// A BMP file of kPicture written the way the format lays it out: an info header (or the old
// core header), a palette up to 8 bits, 16-bit pixels as 5-5-5 or with 5-6-5 colour masks.
Bytes MakeFile(int bits, bool topDown, bool coreHeader = false, bool masks565 = false) {
  const int w = 3, h = 2;
  std::vector<std::uint32_t> palette;
  if (bits == 1)
    palette = {kRed, kGreen};  // the other colours fall back to index 0
  else if (bits <= 8)
    for (std::uint32_t c : kPicture)
      if (std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
  if (coreHeader && bits <= 8) palette.resize(std::size_t{1} << bits);  // the old header has no colour count
  const std::uint32_t header = coreHeader ? 12 : 40;
  const std::uint32_t entry = coreHeader ? 3 : 4;
  const std::uint32_t offset = 14 + header + (masks565 ? 12 : 0) + static_cast<std::uint32_t>(palette.size()) * entry;
  const std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
  Bytes b{'B', 'M'};
  Put32(b, offset + static_cast<std::uint32_t>(stride * h));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, header);
  if (coreHeader) {
    Put16(b, w);
    Put16(b, h);
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
  } else {
    Put32(b, w);
    Put32(b, static_cast<std::uint32_t>(topDown ? -h : h));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    for (std::uint32_t v : {masks565 ? 3u : 0u, 0u, 0u, 0u, static_cast<std::uint32_t>(palette.size()), 0u}) Put32(b, v);
    if (masks565)
      for (std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(b, m);
  }
  for (std::uint32_t c : palette) {
    b.insert(b.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16)});
    if (!coreHeader) b.push_back(0);
  }
  for (int row = 0; row < h; ++row) {
    const int y = topDown ? row : h - 1 - row;
    Bytes line(stride, 0);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t c = kPicture[static_cast<std::size_t>(y * w + x)];
      const auto found = std::find(palette.begin(), palette.end(), c);
      const auto index = found == palette.end() ? 0u : static_cast<unsigned>(found - palette.begin());
      const std::uint32_t r = c >> 16, g = (c >> 8) & 0xFF, bl = c & 0xFF;
      switch (bits) {
        case 1: line[x / 8] |= static_cast<std::uint8_t>((index & 1) << (7 - x % 8)); break;
        case 4: line[x / 2] |= static_cast<std::uint8_t>(index << (x % 2 ? 0 : 4)); break;
        case 8: line[x] = static_cast<std::uint8_t>(index); break;
        case 16: {
          const std::uint32_t v = masks565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (bl >> 3)
                                           : ((r >> 3) << 10) | ((g >> 3) << 5) | (bl >> 3);
          line[x * 2] = static_cast<std::uint8_t>(v);
          line[x * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
          break;
        }
        default:
          for (int k = 0; k < bits / 8 && k < 3; ++k) line[x * (bits / 8) + k] = static_cast<std::uint8_t>(c >> (8 * k));
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

TEST(BmpDecoder, ReadsEveryDepthAndLayout) {
  struct Case {
    int bits;
    bool topDown, core, masks;
  };
  for (const Case c : {Case{4, false, false, false}, Case{4, true, false, false}, Case{8, false, false, false},
                       Case{8, false, true, false}, Case{16, false, false, false}, Case{16, true, false, true},
                       Case{24, false, false, false}, Case{24, true, false, false}, Case{32, false, false, false}}) {
    const Bytes file = MakeFile(c.bits, c.topDown, c.core, c.masks);
    const BmpDecoding d = DecodeBmp(file);
    ASSERT_TRUE(d) << c.bits << " bits: " << d.error;
    EXPECT_EQ(d.pixels.width, 3);
    EXPECT_EQ(d.pixels.height, 2);
    // Five bits a channel scale 0x1F back to 0xFF, so these colours survive exactly.
    EXPECT_EQ(d.pixels.words, kPicture) << c.bits << " bits, top-down " << c.topDown << ", masks " << c.masks;
  }
}

TEST(BmpDecoder, TwoColourPicture) {
  const BmpDecoding d = DecodeBmp(MakeFile(1, false));
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.pixels.words, (std::vector<std::uint32_t>{kRed, kGreen, kRed, kRed, kRed, kRed}));
}

TEST(BmpDecoder, DamagedFilesGiveAReasonAndNoPixels) {
  const Bytes good = MakeFile(8, false);
  for (std::size_t n = 0; n < good.size(); ++n) {  // every truncation
    const BmpDecoding d = DecodeBmp(std::span(good.data(), n));
    ASSERT_FALSE(d) << n;
    EXPECT_FALSE(d.error.empty());
    EXPECT_TRUE(d.pixels.words.empty());
  }
  auto patched = [&](std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields) {
    Bytes f = good;
    for (auto [at, v] : fields)
      for (std::size_t i = 0; i < 4; ++i) f.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    return f;
  };
  struct Case {
    Bytes file;
    const char* reason;
  };
  const Case cases[] = {
      {patched({{18, 0}}), "size 0 x 2"},
      {patched({{18, 0x7FFFFFFF}}), "size 2147483647 x 2"},
      {patched({{22, 0x80000000}}), "size 3 x 2147483648"},
      // Within the side limit, but 16384 x 16384 is beyond the pixel limit.
      {patched({{18, kMaxBmpSide}, {22, kMaxBmpSide}}), "size 16384 x 16384"},
      {patched({{18, kMaxBmpSide + 1}, {22, 1}}), "size 16385 x 1"},
      {patched({{26, 2}}), "planes must be 1"},
      {patched({{28, 7}}), "7 bits per pixel"},
      {patched({{30, 1}}), "compression 1 is not supported"},
      {patched({{10, 0xFFFFFFF0}}), "pixel data cut short"},
      {patched({{46, 300}}), "palette of 300 colours"},
      {patched({{14, 20}}), "unknown header"},
      {patched({{0, 0x4D42 + 1}}), "no BM signature"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeBmp(c.file).error, c.reason);
  }
}

// Bit-field masks sit after the first 40 header bytes: a 44-byte header in a file that ends
// with it leaves them short (this read past the end of the file).
TEST(BmpDecoder, MasksPastAShortHeaderAreCutShort) {
  Bytes file(14 + 44, 0);
  auto set = [&](std::size_t at, std::uint32_t v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  set(10, 14 + 44, 4);
  set(14, 44, 4);   // header size
  set(18, 1, 4);    // width
  set(22, 1, 4);    // height
  set(26, 1, 2);    // planes
  set(28, 32, 2);   // bits
  set(30, 3, 4);    // bit fields
  EXPECT_EQ(DecodeBmp(file).error, "colour masks cut short");
}

}  // namespace
}  // namespace dorvane
