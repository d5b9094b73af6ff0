// Decoding of the JPEG pictures that picture boxes show, through the IJG libjpeg interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tk {

// 24-bit colour, top-down rows in blue-green-red order, each row padded to a multiple of
// four bytes: the layout of a 24-bit device-independent bitmap.
struct Bgr24Image {
  int width = 0;
  int height = 0;
  size_t stride = 0;
  std::vector<uint8_t> pixels;
};

// Largest picture accepted, so that a damaged header cannot ask for gigabytes.
inline constexpr int kMaxPictureSide = 16384;

// Any fault in the data (not a JPEG, truncated, corrupt, unsupported colour space, too
// large) gives no image; libjpeg's own warnings about corrupt data count as faults too.
std::optional<Bgr24Image> DecodeJpeg(const uint8_t* data, size_t size);

}  // namespace tk
