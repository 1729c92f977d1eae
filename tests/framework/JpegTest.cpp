#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "framework/Jpeg.h"
#include "framework/SysUtils.h"
#include "tests/support/TestJpeg.h"

namespace dorvane {
namespace {

using testing::MakeTwoColourJpeg;

void ExpectNear(const DecodedImage& img, int x, int y, int r, int g, int b) {
  const auto* p = &img.rgb[(static_cast<std::size_t>(y) * img.width + x) * 3];
  EXPECT_NEAR(p[0], r, 6) << x << "," << y;
  EXPECT_NEAR(p[1], g, 6) << x << "," << y;
  EXPECT_NEAR(p[2], b, 6) << x << "," << y;
}

TEST(JpegDecode, DecodesPixelColours) {
  const auto bytes = MakeTwoColourJpeg();
  const DecodedImage img = DecodeJpeg(bytes.data(), bytes.size());
  ASSERT_EQ(img.width, 32);
  ASSERT_EQ(img.height, 16);
  ASSERT_EQ(img.rgb.size(), 32u * 16u * 3u);
  ExpectNear(img, 2, 2, 255, 0, 0);
  ExpectNear(img, 8, 8, 255, 0, 0);
  ExpectNear(img, 24, 3, 0, 0, 255);
  ExpectNear(img, 30, 14, 0, 0, 255);
}

TEST(JpegDecode, CorruptPicturesRaiseInsteadOfExiting) {
  const auto good = MakeTwoColourJpeg();
  EXPECT_THROW(DecodeJpeg(nullptr, 0), EInvalidGraphic);
  const unsigned char garbage[] = "this is no picture at all";
  EXPECT_THROW(DecodeJpeg(garbage, sizeof garbage), EInvalidGraphic);
  // A header cut short.
  EXPECT_THROW(DecodeJpeg(good.data(), 40), EInvalidGraphic);
  try {
    DecodeJpeg(garbage, sizeof garbage);
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find("JPEG error"), std::string::npos);
  }
  // Still usable afterwards.
  EXPECT_EQ(DecodeJpeg(good.data(), good.size()).width, 32);
}

}  // namespace
}  // namespace dorvane
