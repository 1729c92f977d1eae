#include "core/PictureScale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace dorvane {
namespace {

constexpr std::uint32_t kKey = 0x00FF00FF;

std::uint32_t Red(int r) { return static_cast<std::uint32_t>(r) << 16; }

// One row resized along x: each new pixel the old ones under it, weighted by how much of
// it they cover (worked out by hand from the spans: 4 -> 3 gives spans of 4/3 old pixels).
TEST(ResizeKeyed, EachNewPixelIsTheMeanOfTheOldOnesItCovers) {
  const struct {
    const char* what;
    std::vector<std::uint32_t> row;
    int to;
    std::vector<std::uint32_t> expected;
  } cases[] = {
      {"halved", {Red(0), Red(100), Red(200), Red(50)}, 2, {Red(50), Red(125)}},
      // [0, 4/3): 3/4 of 0 and 1/4 of 100; [4/3, 8/3): halves of 100 and 200; then 1/4 of 200, 3/4 of 40.
      {"to three quarters", {Red(0), Red(100), Red(200), Red(40)}, 3, {Red(25), Red(150), Red(80)}},
      // Grown: the middle pixel straddles both halves equally.
      {"grown by half", {Red(10), Red(30)}, 3, {Red(10), Red(20), Red(30)}},
      {"same size", {0x00123456, 0x00ABCDEF}, 2, {0x00123456, 0x00ABCDEF}},
      // All three channels, rounded half up: (1 + 2) / 2, (3 + 4) / 2, (255 + 0) / 2.
      {"channels apart", {0x000103FF, 0x00020400}, 1, {0x00020480}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ResizeKeyed(c.row, static_cast<int>(c.row.size()), 1, c.to, 1, kKey), c.expected);
  }
}

// Transparent pixels take no part in the colour; a new pixel at least half covered by
// opaque ones is opaque, less is transparent; a mean landing on the key moves off it.
TEST(ResizeKeyed, TheKeyColourStaysOutOfTheMeansAndDecidesCoverage) {
  const struct {
    const char* what;
    std::vector<std::uint32_t> block;  // 2 x 2, made one pixel
    std::uint32_t expected;
  } cases[] = {
      {"half covered", {kKey, Red(100), kKey, Red(200)}, Red(150)},
      {"a quarter covered", {kKey, kKey, kKey, Red(200)}, kKey},
      {"three quarters", {Red(30), kKey, Red(60), Red(90)}, Red(60)},
      {"all transparent", {kKey, kKey, kKey, kKey}, kKey},
      {"mean on the key", {0x00FE00FF, 0x00FF00FE, kKey, kKey}, 0x00FE00FF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ResizeKeyed(c.block, 2, 2, 1, 1, kKey), std::vector<std::uint32_t>{c.expected});
  }
  // Both axes at once: 2 x 2 grown to 3 x 3, the middle is all four alike.
  const std::vector<std::uint32_t> square{Red(0), Red(40), Red(80), Red(120)};
  const std::vector<std::uint32_t> grown = ResizeKeyed(square, 2, 2, 3, 3, kKey);
  ASSERT_EQ(grown.size(), 9u);
  EXPECT_EQ(grown[4], Red(60));
  EXPECT_EQ(grown[1], Red(20));
  EXPECT_EQ(grown[8], Red(120));
}

TEST(ResizeKeyed, NoSizeOrTooFewPixelsGiveNothing) {
  const std::vector<std::uint32_t> three(3, Red(1));
  EXPECT_TRUE(ResizeKeyed(three, 2, 2, 1, 1, kKey).empty());
  EXPECT_TRUE(ResizeKeyed(three, 3, 1, 0, 1, kKey).empty());
  EXPECT_TRUE(ResizeKeyed(three, 0, 1, 2, 1, kKey).empty());
}

}  // namespace
}  // namespace dorvane
