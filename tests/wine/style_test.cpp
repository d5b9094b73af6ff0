// MainWindow's flat look on the screen of the real Tavrin.exe: the focused, hot, pressed
// and disabled buttons, the check box ticked and hot, the edit fields' thin frames, all
// read from screenshots while the pointer and the keys are driven as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "look.h"
#include "main_window.h"
#include "screen.h"

using namespace testing_support;

namespace {

POINT CentreOf(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A place in MainWindow with no control under it.
POINT EmptySpot(HWND main) {
  POINT p{150, 155};
  ClientToScreen(main, &p);
  return p;
}

// Waits until the control on the screen looks as expected; the last result either way.
template <typename Check>
testing::AssertionResult Eventually(Check check, DWORD timeout = 3000) {
  testing::AssertionResult last = check();
  const DWORD end = GetTickCount() + timeout;
  while (!last && LONG(end - GetTickCount()) > 0) {
    Sleep(30);
    last = check();
  }
  return last;
}

struct LookScene {
  Program program;
  HWND main = nullptr, arm = nullptr, choose = nullptr, close = nullptr, play_music = nullptr;
  HWND hour = nullptr;

  bool Ready() {
    MoveTo(5, 5);  // nowhere near MainWindow
    main = program.ReadyMain();
    if (main == nullptr) return false;
    arm = FindControl(main, kButton1);
    choose = FindControl(main, kButton2);
    close = FindControl(main, kButton3);
    play_music = FindControl(main, kPlayMusic);
    hour = FindControl(main, kHour);
    return arm && choose && close && play_music && hour;
  }
  ~LookScene() {
    if (main != nullptr && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
    program.process().Wait(5000);
  }
};

TEST(Look, MainWindowShowsTheFlatLookFromTheStart) {
  LookScene scene;
  ASSERT_TRUE(scene.Ready());

  SaveShot(ShootWindow(scene.main), L"main-look");
  const Shot arm = ShootWindow(scene.arm);
  EXPECT_TRUE(LooksLike(arm, kFocusedButton));
  EXPECT_GT(FocusDots(arm), 10) << "no dotted focus rectangle on 开始定时";
  for (HWND plain : {scene.choose, scene.close}) {
    const Shot s = ShootWindow(plain);
    EXPECT_TRUE(LooksLike(s, kPlainButton));
    EXPECT_EQ(FocusDots(s), 0);
    EXPECT_GT(CountNear(s, {4, 4, s.width - 4, s.height - 4}, RGB(0, 0, 0), 60), 10)
        << "no black caption";
  }

  const Shot box = ShootWindow(scene.play_music);
  EXPECT_TRUE(BoxLooksLike(box, 0, 5, kTickedBox));
  EXPECT_GT(CountNear(box, {18, 0, box.width, box.height}, RGB(0, 0, 0), 60), 10);
  // Left of the box and below it: the face the window supplies.
  EXPECT_EQ(box.at(14, 11), FaceColour());
  EXPECT_EQ(box.at(6, 20), FaceColour());

  for (const ControlPlace* field : {&kMemo, &kHour, &kMinute, &kSoundName}) {
    const Shot s = ShootWindow(FindControlAt(scene.main, *field));
    EXPECT_TRUE(FieldRings(s, GetSysColor(COLOR_WINDOW)));
  }

  // Tabbed on to 是否播放音乐: 开始定时 loses its focused look, the check box's caption
  // gets a dotted rectangle around it and nothing else of the box changes.
  for (int i = 0; i < 6; ++i) PressKey(VK_TAB);
  ASSERT_TRUE(WaitFor([&] { return FocusOf(scene.main) == scene.play_music; }, 2000));
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.arm), kPlainButton); }));
  const Shot focused = ShootWindow(scene.play_music);
  EXPECT_TRUE(BoxLooksLike(focused, 0, 5, kTickedBox));
  int changed = 0, changed_in_box = 0;
  for (int y = 0; y < box.height; ++y) {
    for (int x = 0; x < box.width; ++x) {
      if (focused.at(x, y) == box.at(x, y)) continue;
      ++changed;
      changed_in_box += x < 17;
    }
  }
  EXPECT_GT(changed, 40) << "no focus rectangle around the caption";
  EXPECT_EQ(changed_in_box, 0);
}

TEST(Look, FollowsThePointerThePressAndTheKeys) {
  LookScene scene;
  ASSERT_TRUE(scene.Ready());
  // Whatever is armed below never matches.
  SendMessageW(scene.hour, WM_SETTEXT, 0, LPARAM(L"99"));

  // Hot while the pointer is over it, plain again once it has left.
  const POINT choose = CentreOf(scene.choose);
  MoveTo(choose.x, choose.y);
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.choose), kHotButton); }));
  const POINT empty = EmptySpot(scene.main);
  MoveTo(empty.x, empty.y);
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.choose), kPlainButton); }));

  // Pressed on the window and dragged onto 关闭: 关闭 does not turn hot.
  LeftButton(true);
  const POINT close = CentreOf(scene.close);
  MoveTo(close.x, close.y);
  Sleep(300);
  EXPECT_TRUE(LooksLike(ShootWindow(scene.close), kPlainButton));
  LeftButton(false);
  MoveTo(empty.x, empty.y);

  // Held down: the plain pressed band, the sunken face, the caption one pixel on.
  const POINT arm = CentreOf(scene.arm);
  MoveTo(arm.x, arm.y);
  ASSERT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.arm), kHotButton); }));
  const Shot up = ShootWindow(scene.arm);
  LeftButton(true);
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.arm), kPressedButton); }));
  const Shot down = ShootWindow(scene.arm);
  const RECT inside{4, 4, up.width - 4, up.height - 4};
  const RECT was = InkBox(up, inside, RGB(0, 0, 0), 60);
  // (Row and column W − 4 carry the focus rectangle's dots.)
  const RECT now = InkBox(down, {5, 5, up.width - 4, up.height - 4}, RGB(0, 0, 0), 60);
  EXPECT_GT(was.right, was.left);
  EXPECT_EQ(now.left, was.left + 1);
  EXPECT_EQ(now.top, was.top + 1);
  EXPECT_EQ(now.right, was.right + 1);
  EXPECT_EQ(now.bottom, was.bottom + 1);
  // Dragged off while held, it comes up without a click; let go there.
  MoveTo(empty.x, empty.y);
  EXPECT_FALSE(Eventually([&] { return !LooksLike(ShootWindow(scene.arm), kPressedButton); }) ==
               false);
  LeftButton(false);
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.arm), kFocusedButton); }));

  // Space held on the focused 开始定时 presses it the same way.
  ASSERT_EQ(FocusOf(scene.main), scene.arm);
  KeyState(VK_SPACE, true);
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.arm), kPressedButton); }));
  KeyState(VK_SPACE, false);
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.arm), kFocusedButton); }));

  // The check box under the pointer, ticked, then unticked by a click.
  RECT box;
  GetWindowRect(scene.play_music, &box);
  MoveTo(box.left + 6, box.top + 11);
  EXPECT_TRUE(Eventually([&] { return BoxLooksLike(ShootWindow(scene.play_music), 0, 5, kTickedHotBox); }));
  ClickAt(box.left + 6, box.top + 11);
  EXPECT_TRUE(Eventually([&] { return BoxLooksLike(ShootWindow(scene.play_music), 0, 5, kHotBox); }));
  MoveTo(empty.x, empty.y);
  EXPECT_TRUE(Eventually([&] { return BoxLooksLike(ShootWindow(scene.play_music), 0, 5, kPlainBox); }));

  // Unticked, the clock's next tick disables 选择音乐: the disabled look, the caption grey.
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.choose), kDisabledButton); }));
  SaveShot(ShootWindow(scene.main), L"main-look-disabled");
  const Shot disabled = ShootWindow(scene.choose);
  const RECT caption{4, 4, disabled.width - 4, disabled.height - 4};
  EXPECT_GT(CountNear(disabled, caption, RGB(165, 162, 148), 0), 5);
  EXPECT_EQ(CountNear(disabled, caption, RGB(0, 0, 0), 100), 0);

  // Ticked again, it is enabled again at the next tick, and plain.
  ClickAt(box.left + 6, box.top + 11);
  MoveTo(empty.x, empty.y);
  EXPECT_TRUE(Eventually([&] { return LooksLike(ShootWindow(scene.choose), kPlainButton); }));
}

}  // namespace
