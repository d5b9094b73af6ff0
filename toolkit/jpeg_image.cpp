#include "toolkit/jpeg_image.h"

#include <csetjmp>
#include <algorithm>
#include <cstdio>

#include <jpeglib.h>

namespace tk {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
  int warnings = 0;
};

[[noreturn]] void OnError(j_common_ptr info) {
  auto* self = reinterpret_cast<ErrorManager*>(info->err);
  std::longjmp(self->escape, 1);
}

// Level -1 is a warning about corrupt data; the trace levels above it are chatter.
void OnMessage(j_common_ptr info, int level) {
  if (level < 0) reinterpret_cast<ErrorManager*>(info->err)->warnings++;
}

// The image lives in the caller's frame: after a longjmp only objects that were not
// changed since the setjmp may be relied on here, and libjpeg's own state is reached
// through pointers, as its examples do.
bool DecodeInto(const uint8_t* data, size_t size, Bgr24Image* out) {
  jpeg_decompress_struct info{};
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.emit_message = OnMessage;
  if (setjmp(errors.escape) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (info.image_width == 0 || info.image_height == 0 ||
      info.image_width > unsigned(kMaxPictureSide) || info.image_height > unsigned(kMaxPictureSide) ||
      (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB &&
       info.jpeg_color_space != JCS_GRAYSCALE)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);

  out->width = int(info.output_width);
  out->height = int(info.output_height);
  out->stride = (size_t(out->width) * 3 + 3) & ~size_t(3);
  out->pixels.assign(out->stride * size_t(out->height), 0);
  // A few rows per call, their pointers in a plain array: nothing with a destructor may
  // live between the setjmp and a longjmp out of libjpeg.
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[16];
    const JDIMENSION count = std::min<JDIMENSION>(16, info.output_height - info.output_scanline);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = out->pixels.data() + out->stride * (info.output_scanline + i);
    }
    if (jpeg_read_scanlines(&info, rows, count) == 0) break;  // a memory source never suspends
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return errors.warnings == 0;
}

}  // namespace

std::optional<Bgr24Image> DecodeJpeg(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4 || size > 0xFFFFFFFFu) return std::nullopt;
  Bgr24Image image;
  if (!DecodeInto(data, size, &image)) return std::nullopt;
  return image;
}

}  // namespace tk
