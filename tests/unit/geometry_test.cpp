#include "toolkit/geometry.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

struct Centring {
  int screen_w, screen_h, w, h;
  Point expected;
};

TEST(CentreOnScreen, BothWindowsOnBothScreens) {
  const Centring cases[] = {
      {1920, 1080, 231, 275, {844, 402}},  // MainWindow
      {1920, 1080, 284, 213, {818, 433}},  // SplashWindow
      {1366, 768, 231, 275, {567, 246}},
      {1366, 768, 284, 213, {541, 277}},
      {200, 100, 231, 275, {-15, -87}},  // larger than the screen: the fraction is dropped
  };
  for (const Centring& c : cases) {
    EXPECT_EQ(CentreOnScreen(c.screen_w, c.screen_h, c.w, c.h), c.expected)
        << c.screen_w << "x" << c.screen_h << " " << c.w << "x" << c.h;
  }
}

struct Fit {
  int box_w, box_h, pic_w, pic_h;
  Rect expected;
};

TEST(FitPicture, ScalesDownKeepingAspectAndCentres) {
  const Fit cases[] = {
      // The splash picture in its box: s = 216/510, 288 x 216 at (52, 0), never 287.
      {392, 216, 680, 510, {52, 0, 288, 216}},
      {392, 216, 100, 50, {146, 83, 100, 50}},     // fits: keeps its size, centred
      {392, 216, 392, 216, {0, 0, 392, 216}},      // exactly the box
      {100, 100, 400, 100, {0, 37, 100, 25}},      // wide: limited by the width
      {100, 100, 101, 100, {0, 0, 100, 99}},       // just too wide: 99.0099 rounds down
      {100, 100, 50, 300, {42, 0, 16, 100}},       // tall, narrow: centred on its own span
      {0, 216, 680, 510, {0, 0, 0, 0}},            // an empty box draws nothing
      {392, 216, 0, 0, {0, 0, 0, 0}},
  };
  for (const Fit& c : cases) {
    EXPECT_EQ(FitPicture(c.box_w, c.box_h, c.pic_w, c.pic_h), c.expected)
        << c.pic_w << "x" << c.pic_h << " in " << c.box_w << "x" << c.box_h;
  }
}

TEST(FitPicture, SplashWithinToleranceOfFloatingPoint) {
  const Rect r = FitPicture(392, 216, 680, 510);
  // In SplashWindow's client area the box starts at -56: the picture starts at -4.
  EXPECT_EQ(r.left - 56, -4);
  EXPECT_GE(r.width, 287);
  EXPECT_GE(r.height, 215);
}

TEST(EditBoxHeight, OneLineBoxesGrowToOneLinePlusEdges) {
  EXPECT_EQ(EditBoxHeight(24, false, 13, 2), 24);  // tall enough already
  EXPECT_EQ(EditBoxHeight(16, false, 13, 2), 17);  // 13 + 2 * 2
  EXPECT_EQ(EditBoxHeight(17, false, 13, 2), 17);
  EXPECT_EQ(EditBoxHeight(10, true, 13, 2), 10);  // multi-line boxes keep their height
}

}  // namespace
}  // namespace tk
