#pragma once
// A JPEG made by the test itself: 32 x 16 pixels, the left half pure red, the right half
// pure blue, at quality 100.
#include <cstdlib>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace dorvane::testing {

inline std::vector<unsigned char> MakeTwoColourJpeg() {
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
  std::vector<unsigned char> row(32 * 3, 0);
  for (int x = 0; x < 32; ++x) row[static_cast<std::size_t>(x * 3 + (x < 16 ? 0 : 2))] = 255;
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

}  // namespace dorvane::testing
