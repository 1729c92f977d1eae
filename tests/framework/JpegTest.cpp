#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "framework/Jpeg.h"
#include "framework/SysUtils.h"

namespace dorvane {
namespace {

// A 32 x 16 picture, left half pure red, right half pure blue, encoded at quality 100.
std::vector<unsigned char> MakeTwoColourJpeg() {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&info, &out, &outSize);
  info.image_width = 32;
  info.image_height = 16;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(32 * 3);
  for (int x = 0; x < 32; ++x) {
    row[x * 3 + 0] = x < 16 ? 255 : 0;
    row[x * 3 + 1] = 0;
    row[x * 3 + 2] = x < 16 ? 0 : 255;
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<unsigned char> bytes(out, out + outSize);
  jpeg_destroy_compress(&info);
  std::free(out);
  return bytes;
}

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
