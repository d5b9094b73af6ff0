// Placement and fitting arithmetic of the toolkit, kept free of Win32 so it can be checked
// natively.
#pragma once

namespace tk {

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// Top-left corner of a w x h window centred on a screen; each division drops its fraction.
Point CentreOnScreen(int screen_width, int screen_height, int width, int height);

// Where a pic_w x pic_h picture goes in a box_w x box_h box in the fitting display mode:
// shrunk (never enlarged) to fit while keeping its aspect, then centred. The scale is done
// in exact integer arithmetic, so 680 x 510 in 392 x 216 gives 288 x 216, not 287.
Rect FitPicture(int box_width, int box_height, int picture_width, int picture_height);

// A one-line edit box must be at least one line of its font plus both edges tall.
int EditBoxHeight(int stored_height, bool multiline, int font_line_height, int edge_height);

}  // namespace tk
