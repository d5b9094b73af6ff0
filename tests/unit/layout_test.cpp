#include "toolkit/layout.h"

#include <gtest/gtest.h>

#include "test_files.h"
#include "toolkit/geometry.h"

namespace tk {
namespace {

LayoutSet ShippedLayouts() {
  LayoutSet set;
  for (const char* name : {"MainWindow", "SplashWindow"}) {
    std::string error;
    const std::string text = ReadFile(std::string(TAVRIN_LAYOUT_DIR) + "/" + name + ".layout");
    EXPECT_FALSE(text.empty()) << name;
    EXPECT_TRUE(set.Add(text, &error)) << name << ": " << error;
  }
  return set;
}

struct Expected {
  const char* name;
  ControlKind kind;
  int left, top, width, height;
  const char* text;
  bool tab_stop;
};

// MainWindow's controls in creation order, as the window must be built.
const Expected kMainWindow[] = {
    {"按钮1", ControlKind::kButton, 8, 208, 80, 32, "开始定时", true},
    {"标签1", ControlKind::kLabel, 8, 8, 64, 32, "电脑时间：", false},
    {"标签_电脑时间", ControlKind::kLabel, 72, 8, 152, 24, "", false},
    {"标签2", ControlKind::kLabel, 8, 40, 64, 32, "定时时间：", false},
    {"标签3", ControlKind::kLabel, 8, 72, 64, 32, "提醒内容：", false},
    {"编辑框2", ControlKind::kEditBox, 72, 72, 152, 72, "", true},
    {"时钟1", ControlKind::kTimer, 176, 312, 48, 40, "", false},
    {"编辑框1", ControlKind::kEditBox, 72, 40, 56, 24, "", true},
    {"编辑框3", ControlKind::kEditBox, 152, 40, 48, 24, "", true},
    {"标签4", ControlKind::kLabel, 136, 40, 16, 24, "时", false},
    {"标签5", ControlKind::kLabel, 208, 40, 16, 24, "分", false},
    {"时钟2", ControlKind::kTimer, 120, 328, 56, 16, "", false},
    {"通用对话框1", ControlKind::kCommonDlg, 8, 304, 48, 40, "", false},
    {"按钮2", ControlKind::kButton, 8, 168, 72, 32, "选择音乐", true},
    {"编辑框4", ControlKind::kEditBox, 88, 168, 136, 32, "", true},
    {"选择框1", ControlKind::kCheckBox, 0, 144, 96, 24, "是否播放音乐", true},
    {"按钮3", ControlKind::kButton, 112, 208, 96, 32, "关闭", true},
};

TEST(ShippedLayouts, MainWindowIsStoredInReverseCreationOrder) {
  const LayoutSet set = ShippedLayouts();
  const WindowLayout* w = set.Find("MainWindow");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->caption, "Tavrin1.0");
  EXPECT_EQ(w->width, 231);
  EXPECT_EQ(w->height, 275);
  EXPECT_EQ(w->frame, Frame::kFixed);
  EXPECT_EQ(w->icon, "MAINWINDOW");
  EXPECT_TRUE(w->esc_closes);
  EXPECT_FALSE(w->enter_moves_focus);
  EXPECT_EQ(w->Handler("created"), "MainWindowCreated");
  ASSERT_EQ(w->controls.size(), std::size(kMainWindow));
  for (size_t i = 0; i < std::size(kMainWindow); ++i) {
    const Expected& e = kMainWindow[i];
    const ControlLayout& c = w->controls[w->controls.size() - 1 - i];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(c.name, e.name);
    EXPECT_EQ(c.kind, e.kind);
    EXPECT_EQ((Rect{c.left, c.top, c.width, c.height}),
              (Rect{e.left, e.top, e.width, e.height}));
    EXPECT_EQ(c.text, e.text);
    EXPECT_EQ(c.tab_stop, e.tab_stop);
    EXPECT_EQ(c.tab_index, 0);
    EXPECT_TRUE(c.enabled);
    EXPECT_EQ(c.period, 0);
    EXPECT_EQ(&c, w->FindControl(e.name));
  }
}

TEST(ShippedLayouts, MainWindowControlSettings) {
  const LayoutSet set = ShippedLayouts();
  const WindowLayout& w = *set.Find("MainWindow");
  EXPECT_TRUE(w.FindControl("选择框1")->ticked);
  const ControlLayout& memo = *w.FindControl("编辑框2");
  EXPECT_TRUE(memo.multiline);
  EXPECT_EQ(memo.text_colour, (Rgb{0, 128, 0}));
  EXPECT_FALSE(w.FindControl("编辑框1")->multiline);
  EXPECT_FALSE(w.FindControl("编辑框1")->text_colour.has_value());
  EXPECT_TRUE(w.FindControl("标签_电脑时间")->thin_sunken_border);
  EXPECT_FALSE(w.FindControl("标签1")->thin_sunken_border);
  EXPECT_EQ(w.FindControl("按钮1")->Handler("clicked"), "ArmClicked");
  EXPECT_EQ(w.FindControl("按钮2")->Handler("clicked"), "ChooseSoundClicked");
  EXPECT_EQ(w.FindControl("按钮3")->Handler("clicked"), "CloseClicked");
  EXPECT_EQ(w.FindControl("时钟1")->Handler("tick"), "AlarmTick");
  EXPECT_EQ(w.FindControl("时钟2")->Handler("tick"), "ClockTick");
  EXPECT_EQ(w.FindControl("按钮1")->Handler("tick"), "");
}

TEST(ShippedLayouts, SplashWindow) {
  const LayoutSet set = ShippedLayouts();
  const WindowLayout* w = set.Find("SplashWindow");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->caption, "");
  EXPECT_EQ(w->width, 284);
  EXPECT_EQ(w->height, 213);
  EXPECT_EQ(w->frame, Frame::kNone);
  EXPECT_EQ(w->icon, "");
  EXPECT_EQ(w->Handler("created"), "SplashWindowCreated");
  ASSERT_EQ(w->controls.size(), 2u);
  const ControlLayout& picture = w->controls[1];  // created first
  EXPECT_EQ(picture.name, "图片框1");
  EXPECT_EQ(picture.kind, ControlKind::kPicBox);
  EXPECT_EQ((Rect{picture.left, picture.top, picture.width, picture.height}),
            (Rect{-56, 0, 392, 216}));
  EXPECT_EQ(picture.picture, "SPLASH");
  const ControlLayout& timer = w->controls[0];
  EXPECT_EQ(timer.name, "时钟1");
  EXPECT_EQ(timer.kind, ControlKind::kTimer);
  EXPECT_EQ(timer.container, "图片框1");
  EXPECT_TRUE(timer.events.empty());
  EXPECT_EQ(set.Find("Nowhere"), nullptr);
}

TEST(LayoutText, QuotedTextKeepsGbkBytesAndComments) {
  LayoutSet set;
  std::string error;
  // 0x5C ('\') is a valid second byte of a GBK character and must not end anything.
  const std::string text =
      "window W # trailing comment\n size 10 20\n caption \"\x95\x5C#x\"\n"
      " control Label L\n  place -3 4\n  size 5 6\n  text \"\"\nend\n";
  ASSERT_TRUE(set.Add(text, &error)) << error;
  const WindowLayout& w = *set.Find("W");
  EXPECT_EQ(w.caption, "\x95\x5C#x");
  EXPECT_EQ(w.controls[0].left, -3);
  EXPECT_EQ(w.controls[0].text, "");
}

struct BadLayout {
  const char* why;
  const char* text;
};

class BadLayoutTest : public testing::TestWithParam<BadLayout> {};

TEST_P(BadLayoutTest, IsRefusedWholeWithItsLine) {
  LayoutSet set;
  std::string error;
  ASSERT_TRUE(set.Add("window Keep\n size 1 1\nend\n", &error)) << error;
  EXPECT_FALSE(set.Add(GetParam().text, &error));
  EXPECT_NE(error.find("line"), std::string::npos) << error;
  EXPECT_EQ(set.windows().size(), 1u);  // nothing of the bad text was added
  EXPECT_NE(set.Find("Keep"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BadLayoutTest,
    testing::Values(
        BadLayout{"unterminated", "window W\n size 1 1\n caption \"abc\nend\n"},
        BadLayout{"unknown kind", "window W\n size 1 1\n control Slider S\nend\n"},
        BadLayout{"control twice", "window W\n size 1 1\n control Label A\n control Button A\nend\n"},
        BadLayout{"window twice", "window Keep\n size 1 1\nend\n"},
        BadLayout{"no end", "window W\n size 1 1\n"},
        BadLayout{"no size", "window W\nend\n"},
        BadLayout{"negative size", "window W\n size -1 1\nend\n"},
        BadLayout{"unknown setting", "window W\n size 1 1\n colour red\nend\n"},
        BadLayout{"number expected", "window W\n size 1x 1\nend\n"},
        BadLayout{"too many values", "window W\n size 1 1 1\nend\n"},
        BadLayout{"text expected", "window W\n size 1 1\n caption plain\nend\n"},
        BadLayout{"outside a window", " size 1 1\n"},
        BadLayout{"window in window", "window W\n size 1 1\nwindow V\nend\n"},
        BadLayout{"bad flag", "window W\n size 1 1\n visible maybe\nend\n"},
        BadLayout{"colour range", "window W\n size 1 1\n control EditBox E\n  text-colour 0 256 0\nend\n"},
        BadLayout{"event twice", "window W\n size 1 1\n on created A\n on created B\nend\n"},
        BadLayout{"missing container",
                  "window W\n size 1 1\n control Timer T\n  container P\nend\n"},
        // A container must be created first, so it is stored after what it holds.
        BadLayout{"container created later",
                  "window W\n size 1 1\n control PicBox P\n control Timer T\n  container P\nend\n"},
        BadLayout{"container without window",
                  "window W\n size 1 1\n control Timer T\n  container D\n control CommonDlg D\nend\n"}),
    [](const testing::TestParamInfo<BadLayout>& info) {
      std::string name = info.param.why;
      for (char& c : name) {
        if (c == ' ') c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace tk
