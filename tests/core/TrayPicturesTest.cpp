// The tray pictures at the small-icon sizes of 150 % and 200 % (and 125 %), checked pixel
// by pixel against maps worked out from the layout, and at 16 x 16 against the pictures
// the resource generator draws.
#include "core/TrayPictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/BmpDecoder.h"

namespace dorvane {
namespace {

constexpr std::uint32_t kUntouched = 0xFF00FF;

std::vector<std::uint32_t> Draw(int index, int side) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * side, kUntouched);
  DrawTrayPicture(index, side, pixels.data());
  return pixels;
}

// The colours of a map's letters; '.' is a pixel left as it was.
using Legend = std::map<char, std::uint32_t>;
const Legend kBar{{'g', 0xB0B0B0}, {'G', 0x888888}, {'e', 0x6EDC6E}, {'E', 0x2CAC40},
                  {'r', 0xFA645C}, {'R', 0xD02824}, {'L', 0x40E858}, {'.', kUntouched}};
Legend WithBox(bool red) {
  Legend legend = kBar;
  const Legend grey{{'o', 0x545862}, {'h', 0xF8F9FB}, {'l', 0xD8DBE0}, {'m', 0x969BA4},
                    {'f', 0xC4C8CF}, {'d', 0x767B85}, {'s', 0xA6ABB3}};
  const Legend reds{{'o', 0x700E0E}, {'h', 0xFFC4BE}, {'l', 0xEE605A}, {'m', 0xA81C1A},
                    {'f', 0xDE3E38}, {'d', 0x961212}, {'s', 0xC22824}};
  legend.insert((red ? reds : grey).begin(), (red ? reds : grey).end());
  return legend;
}

void ExpectMap(int index, const std::vector<std::string>& map, const Legend& legend) {
  const int side = static_cast<int>(map.size());
  const std::vector<std::uint32_t> pixels = Draw(index, side);
  int wrong = 0;
  for (int y = 0; y < side; ++y) {
    ASSERT_EQ(map[static_cast<std::size_t>(y)].size(), static_cast<std::size_t>(side)) << "map row " << y;
    for (int x = 0; x < side; ++x) {
      const char c = map[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      const std::uint32_t got = pixels[static_cast<std::size_t>(y * side + x)];
      if (got != legend.at(c) && ++wrong <= 8)
        ADD_FAILURE() << "picture " << index << " at " << side << " px, (" << x << ", " << y << "): expected '" << c
                      << "' " << std::hex << legend.at(c) << ", got " << got;
    }
  }
  EXPECT_EQ(0, wrong);
}

// 150 %: the box from (2, 2) to (21, 17) with a one-pixel outline; inside it the bands
// (highlight 2 rows, light 3, seam 1, front 6 with a 2-row slot, shade 2), the lamp 5 x 2
// one pixel left of the right inner edge; the bar 3 rows high, picture 6 grey over
// 5/16 of 24 = 7.5, so 8 pixels.
TEST(TrayPicturesTest, At150PercentTheLayoutScalesToTwentyFourPixels) {
  ExpectMap(6,
            {
                "........................",
                "........................",
                "...oooooooooooooooooo...",
                "..ohhhhhhhhhhhhhhhhhho..",
                "..ohhhhhhhhhhhhhhhhhho..",
                "..ollllllllllllLLLLLlo..",
                "..ollllllllllllLLLLLlo..",
                "..ollllllllllllllllllo..",
                "..ommmmmmmmmmmmmmmmmmo..",
                "..offffffffffffffffffo..",
                "..offffffffffffffffffo..",
                "..offffffffffffffffffo..",
                "..ofddddddddddddddddfo..",
                "..ofddddddddddddddddfo..",
                "..offffffffffffffffffo..",
                "..osssssssssssssssssso..",
                "..osssssssssssssssssso..",
                "...oooooooooooooooooo...",
                "........................",
                "........................",
                "........................",
                "ggggggggeeeeeeeeeeeeeeee",
                "GGGGGGGGEEEEEEEEEEEEEEEE",
                "GGGGGGGGEEEEEEEEEEEEEEEE",
            },
            WithBox(false));
}

// 200 %: every pixel of the 16-pixel design doubled: a two-pixel outline with 2 x 2 cut
// corners, the lamp 6 x 2, the bar 4 rows high, picture 15 grey over 14/16 of the width.
TEST(TrayPicturesTest, At200PercentEveryDesignPixelIsDoubled) {
  ExpectMap(15,
            {
                "................................",
                "................................",
                "....oooooooooooooooooooooooo....",
                "....oooooooooooooooooooooooo....",
                "..oohhhhhhhhhhhhhhhhhhhhhhhhoo..",
                "..oohhhhhhhhhhhhhhhhhhhhhhhhoo..",
                "..oollllllllllllllllLLLLLLlloo..",
                "..oollllllllllllllllLLLLLLlloo..",
                "..oolllllllllllllllllllllllloo..",
                "..oolllllllllllllllllllllllloo..",
                "..oommmmmmmmmmmmmmmmmmmmmmmmoo..",
                "..oommmmmmmmmmmmmmmmmmmmmmmmoo..",
                "..ooffffffffffffffffffffffffoo..",
                "..ooffffffffffffffffffffffffoo..",
                "..ooffffffffffffffffffffffffoo..",
                "..ooffffffffffffffffffffffffoo..",
                "..ooffddddddddddddddddddddffoo..",
                "..ooffddddddddddddddddddddffoo..",
                "..ooffffffffffffffffffffffffoo..",
                "..ooffffffffffffffffffffffffoo..",
                "..oossssssssssssssssssssssssoo..",
                "..oossssssssssssssssssssssssoo..",
                "....oooooooooooooooooooooooo....",
                "....oooooooooooooooooooooooo....",
                "................................",
                "................................",
                "................................",
                "................................",
                "ggggggggggggggggggggggggggggrrrr",
                "ggggggggggggggggggggggggggggrrrr",
                "GGGGGGGGGGGGGGGGGGGGGGGGGGGGRRRR",
                "GGGGGGGGGGGGGGGGGGGGGGGGGGGGRRRR",
            },
            WithBox(false));
}

// 125 %, the unreadable drive's picture: the red box from (1, 1) to (18, 14) (highlight
// 1 row, light 3, seam 1, front 6 with a 1-row slot, shade 1), the lamp 4 x 1, an
// all-grey bar 3 rows high.
TEST(TrayPicturesTest, At125PercentTheUnreadableDrivesPictureIsRedOverGrey) {
  ExpectMap(17,
            {
                "....................",
                "..oooooooooooooooo..",
                ".ohhhhhhhhhhhhhhhho.",
                ".olllllllllllLLLLlo.",
                ".ollllllllllllllllo.",
                ".ollllllllllllllllo.",
                ".ommmmmmmmmmmmmmmmo.",
                ".offffffffffffffffo.",
                ".offffffffffffffffo.",
                ".offffffffffffffffo.",
                ".ofddddddddddddddfo.",
                ".offffffffffffffffo.",
                ".offffffffffffffffo.",
                ".osssssssssssssssso.",
                "..oooooooooooooooo..",
                "....................",
                "....................",
                "gggggggggggggggggggg",
                "GGGGGGGGGGGGGGGGGGGG",
                "GGGGGGGGGGGGGGGGGGGG",
            },
            WithBox(true));
}

// The bar's grey part for pictures 1 to 16: (k - 1) sixteenths of the side, halves
// rounded up; the coloured rest green up to 13, orange at 14, red at 15 and 16.
TEST(TrayPicturesTest, TheBarsGreyPartIsTheUsedShareOfTheWidth) {
  struct Case {
    int side;
    int used[16];  // for pictures 1 to 16
  };
  const Case cases[] = {
      {16, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {20, {0, 1, 3, 4, 5, 6, 8, 9, 10, 11, 13, 14, 15, 16, 18, 19}},
      {24, {0, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18, 20, 21, 23}},
      {32, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30}},
  };
  const int barHeight[] = {2, 3, 3, 4};
  for (std::size_t c = 0; c < std::size(cases); ++c) {
    const int side = cases[c].side;
    for (int k = 1; k <= 16; ++k) {
      const std::vector<std::uint32_t> pixels = Draw(k, side);
      const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y * side + x)]; };
      const std::uint32_t free = k <= 13 ? 0x2CAC40 : k == 14 ? 0xE88010 : 0xD02824;
      int grey = 0;
      while (grey < side && at(grey, side - 1) == 0x888888) ++grey;
      EXPECT_EQ(cases[c].used[k - 1], grey) << "picture " << k << " at " << side;
      for (int x = grey; x < side; ++x)
        EXPECT_EQ(free, at(x, side - 1)) << "picture " << k << " at " << side << ", x " << x;
      // The bar's top row, and the gap above it.
      EXPECT_NE(kUntouched, at(side - 1, side - barHeight[c])) << "picture " << k << " at " << side;
      EXPECT_EQ(kUntouched, at(side - 1, side - barHeight[c] - 1)) << "picture " << k << " at " << side;
    }
  }
}

TEST(TrayPicturesTest, PictureZeroHasNoBarAndBadArgumentsDrawNothing) {
  for (int side : {16, 20, 24, 32}) {
    const std::vector<std::uint32_t> pixels = Draw(0, side);
    for (int x = 0; x < side; ++x) EXPECT_EQ(kUntouched, pixels[static_cast<std::size_t>((side - 1) * side + x)]);
  }
  for (const auto& [index, side] : {std::pair{-1, 16}, std::pair{18, 24}, std::pair{5, 15}, std::pair{5, 0}}) {
    const std::vector<std::uint32_t> pixels = Draw(index, std::max(side, 1));
    for (std::uint32_t p : pixels) ASSERT_EQ(kUntouched, p) << index << " at " << side;
  }
}

// At the design size the pictures are the ones the resource generator draws into the
// strip the program carries (picture i at x = 16 i; its background where nothing is drawn).
TEST(TrayPicturesTest, AtSixteenPixelsThePicturesAreTheStripsOwn) {
#ifdef _WIN32
  const std::string path = std::string("Z:") + DORVANE_SOURCE_DIR + "/resources/tray_icons.bmp";
#else
  const std::string path = std::string(DORVANE_SOURCE_DIR) + "/resources/tray_icons.bmp";
#endif
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const BmpDecoding strip = DecodeBmp(file);
  ASSERT_TRUE(strip) << strip.error;
  ASSERT_EQ(16 * kTrayPictureCount, strip.pixels.width);
  ASSERT_EQ(16, strip.pixels.height);
  const std::uint32_t background = strip.pixels.words[0];
  for (int i = 0; i < kTrayPictureCount; ++i) {
    const std::vector<std::uint32_t> pixels = Draw(i, 16);
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const std::uint32_t drawn = pixels[static_cast<std::size_t>(y * 16 + x)];
        const std::uint32_t want = strip.pixels.words[static_cast<std::size_t>(y * strip.pixels.width + 16 * i + x)];
        if ((drawn == kUntouched ? background : drawn) != want) ++wrong;
      }
    EXPECT_EQ(0, wrong) << "picture " << i;
  }
}

}  // namespace
}  // namespace dorvane
