#include "framework/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <string>

extern "C" {
#include <jpeglib.h>
}

#include "framework/SysUtils.h"
#include "framework/Trace.h"

namespace dorvane {
namespace {

// libjpeg reports fatal errors through error_exit, which by default ends the process.
// Ours jumps back to the decoder; a C++ exception must not unwind through the library's
// C frames, so the exception is raised only after the jump.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (for example a corrupt but readable stream) stay off stderr.
extern "C" void OnJpegMessage(j_common_ptr, int) {}


// The two steps that call into the library; a library error jumps back into the step
// that was running. Only plain C data lives in these frames, so the jump skips no
// destructor.
bool StartDecoding(jpeg_decompress_struct* info, ErrorManager* err, const void* data,
                   std::size_t size) {
  if (setjmp(err->jump)) return false;
  jpeg_create_decompress(info);
  jpeg_mem_src(info, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(info, TRUE);
  info->out_color_space = JCS_RGB;
  jpeg_start_decompress(info);
  return true;
}

bool ReadPixels(jpeg_decompress_struct* info, ErrorManager* err, unsigned char* out,
                std::size_t stride) {
  if (setjmp(err->jump)) return false;
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = out + stride * info->output_scanline;
    jpeg_read_scanlines(info, &row, 1);
  }
  jpeg_finish_decompress(info);
  return true;
}

}  // namespace

DecodedImage DecodeJpeg(const void* data, std::size_t size) {
  const TraceScope trace("decode jpeg");
  if (data == nullptr || size < 4) throw EInvalidGraphic("JPEG error: the picture is empty");
  jpeg_decompress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.emit_message = OnJpegMessage;
  auto fail = [&]() -> DecodedImage {
    jpeg_destroy_decompress(&info);
    throw EInvalidGraphic(std::string("JPEG error: ") + err.message);
  };
  if (!StartDecoding(&info, &err, data, size)) return fail();
  DecodedImage image;
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  const std::size_t stride = static_cast<std::size_t>(info.output_width) * 3;
  image.rgb.resize(stride * info.output_height);
  if (!ReadPixels(&info, &err, image.rgb.data(), stride)) return fail();
  jpeg_destroy_decompress(&info);
  return image;
}

}  // namespace dorvane
