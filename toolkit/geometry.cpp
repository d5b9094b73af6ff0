#include "toolkit/geometry.h"

#include <algorithm>
#include <cstdint>

namespace tk {

Point CentreOnScreen(int screen_width, int screen_height, int width, int height) {
  return {(screen_width - width) / 2, (screen_height - height) / 2};
}

Rect FitPicture(int box_width, int box_height, int picture_width, int picture_height) {
  if (box_width <= 0 || box_height <= 0 || picture_width <= 0 || picture_height <= 0) return {};
  int drawn_width = picture_width;
  int drawn_height = picture_height;
  if (picture_width > box_width || picture_height > box_height) {
    // s = min(Bw / Pw, Bh / Ph); compare the two fractions by cross-multiplying.
    const int64_t by_width = int64_t(box_width) * picture_height;
    const int64_t by_height = int64_t(box_height) * picture_width;
    if (by_width <= by_height) {
      drawn_width = box_width;
      drawn_height = int(by_width / picture_width);
    } else {
      drawn_width = int(by_height / picture_height);
      drawn_height = box_height;
    }
  }
  const int span_w = std::min(box_width, picture_width);
  const int span_h = std::min(box_height, picture_height);
  return {(box_width - span_w) / 2 + (span_w - drawn_width) / 2,
          (box_height - span_h) / 2 + (span_h - drawn_height) / 2, drawn_width, drawn_height};
}

int EditBoxHeight(int stored_height, bool multiline, int font_line_height, int edge_height) {
  if (multiline) return stored_height;
  return std::max(stored_height, font_line_height + 2 * edge_height);
}

}  // namespace tk
