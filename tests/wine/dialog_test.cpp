// The choice of sound on the real Tavrin.exe: 选择音乐 clicked with the mouse, the system's
// open dialog found on the screen, a path typed into it and confirmed or cancelled with
// the keyboard, the result read back from 编辑框4.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "look.h"
#include "main_window.h"
#include "screen.h"

using namespace testing_support;

namespace {

// Within a file name the program takes as a whole, as GBK counts it.
constexpr size_t kLongestPathBytes = 259;

// A few bytes at `path`, its folders made on the way: the dialog only asks that it exists.
bool MakeFile(const std::wstring& path) {
  for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(file, "ID3", 3, &written, nullptr);
  CloseHandle(file);
  return written == 3;
}

size_t GbkBytes(const std::wstring& text) {
  return size_t(
      WideCharToMultiByte(936, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr));
}

BOOL CALLBACK FindEdit(HWND h, LPARAM found) {
  if (_wcsicmp(ClassOf(h).c_str(), L"Edit") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = h;
  return FALSE;
}

// The edit box of the dialog's file name field (a combo box holds it).
HWND NameField(HWND dialog) {
  HWND field = GetDlgItem(dialog, cmb13);
  if (field == nullptr) field = GetDlgItem(dialog, edt1);
  if (field == nullptr || _wcsicmp(ClassOf(field).c_str(), L"Edit") == 0) return field;
  HWND edit = nullptr;
  EnumChildWindows(field, FindEdit, reinterpret_cast<LPARAM>(&edit));
  return edit;
}

// Any visible top-level window of the program other than MainWindow.
HWND OtherWindow(DWORD process_id, HWND main) {
  for (HWND h : ProcessWindows(process_id)) {
    if (h != main) return h;
  }
  return nullptr;
}

// MainWindow of a fresh run, with the controls the tests use found while their texts are
// still the layout's.
struct ChoiceScene {
  Program program;
  HWND main = nullptr;
  HWND choose = nullptr;
  HWND sound_name = nullptr;
  HWND play_music = nullptr;

  bool Ready() {
    main = program.ReadyMain();
    if (main == nullptr) return false;
    choose = FindControl(main, kButton2);
    sound_name = FindControl(main, kSoundName);
    play_music = FindControl(main, kPlayMusic);
    return choose != nullptr && sound_name != nullptr && play_music != nullptr;
  }

  // Clicks 选择音乐; the dialog once it is in front with its name field focused, or null.
  HWND OpenDialog() {
    ClickOn(choose);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = OtherWindow(program.process().id(), main)) != nullptr; }, 5000);
    if (dialog == nullptr) return nullptr;
    WaitFor([&] { return GetForegroundWindow() == dialog && FocusOf(dialog) == NameField(dialog); },
            3000);
    Sleep(200);
    return dialog;
  }

  // Types `path` into the name field and confirms it with Enter; true once it is closed.
  bool Confirm(HWND dialog, const std::wstring& path) {
    TypeText(path);
    PressKey(VK_RETURN);
    return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
  }

  bool Cancel(HWND dialog) {
    PressKey(VK_ESCAPE);
    return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
  }

  std::optional<DWORD> Close() {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return program.process().Wait(5000);
  }
};

TEST(Dialog, ChosenFileShowsByNameAndIsOfferedAtTheNextOpening) {
  const std::wstring folder = TempFolder(L"dialog") + L"\\测试";
  const std::wstring path = folder + L"\\铃声.mp3";
  ASSERT_TRUE(MakeFile(path));
  ChoiceScene scene;
  ASSERT_TRUE(scene.Ready());

  HWND dialog = scene.OpenDialog();
  ASSERT_NE(dialog, nullptr) << "no dialog after clicking 选择音乐";
  EXPECT_EQ(ClassOf(dialog), L"#32770");
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), scene.main);
  EXPECT_FALSE(IsWindowEnabled(scene.main)) << "MainWindow must wait for the dialog";
  HWND name_field = NameField(dialog);
  ASSERT_NE(name_field, nullptr);
  EXPECT_EQ(FocusOf(dialog), name_field);
  EXPECT_EQ(TextOf(name_field), L"") << "nothing confirmed yet";
  HWND types = GetDlgItem(dialog, cmb1);
  EXPECT_EQ(TextOf(types), L"mp3");
  EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 1) << "the filter list must end after mp3";
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, chx1))) << "read-only box shown";
  EXPECT_TRUE(GetWindowLongW(dialog, GWL_STYLE) & WS_THICKFRAME) << "dialog not resizable";

  ASSERT_TRUE(scene.Confirm(dialog, path));
  WaitFor([&] { return TextOf(scene.sound_name) == L"铃声.mp3"; }, 2000);
  EXPECT_EQ(TextOf(scene.sound_name), L"铃声.mp3");
  EXPECT_TRUE(IsWindowEnabled(scene.main));

  // The system splits the remembered path: its folder opened, its name in the field.
  dialog = scene.OpenDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(NameField(dialog)), L"铃声.mp3");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, cmb2)), L"测试");
  ASSERT_TRUE(scene.Cancel(dialog));
  Sleep(200);
  EXPECT_EQ(TextOf(scene.sound_name), L"铃声.mp3");
  EXPECT_TRUE(IsWindowEnabled(scene.main));
  EXPECT_TRUE(scene.program.process().running()) << "Esc in the dialog must not close MainWindow";
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

// A path of `bytes` GBK bytes in `folder`, mostly Chinese so that it stays well inside the
// dialog's own buffer of 260 UTF-16 units.
std::wstring PathOfGbkBytes(const std::wstring& folder, size_t bytes) {
  const std::wstring deep =
      folder + L"\\" + std::wstring(50, L'长') + L"\\" + std::wstring(50, L'长') + L"\\";
  const size_t used = GbkBytes(deep) + 4;  // ".mp3"
  if (used >= bytes) return {};
  return deep + std::wstring(bytes - used, L'a') + L".mp3";
}

TEST(Dialog, PathOfMoreThan259GbkBytesChangesNothing) {
  const std::wstring folder = TempFolder(L"dialog-long");
  const std::wstring longest = PathOfGbkBytes(folder, kLongestPathBytes);
  const std::wstring too_long = PathOfGbkBytes(folder, kLongestPathBytes + 1);
  ASSERT_FALSE(longest.empty());
  ASSERT_LT(too_long.size(), 200u);
  ASSERT_TRUE(MakeFile(longest));
  ASSERT_TRUE(MakeFile(too_long));
  const std::wstring longest_name = longest.substr(longest.rfind(L'\\') + 1);
  ChoiceScene scene;
  ASSERT_TRUE(scene.Ready());

  HWND dialog = scene.OpenDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(scene.Confirm(dialog, longest));
  WaitFor([&] { return TextOf(scene.sound_name) == longest_name; }, 2000);
  EXPECT_EQ(TextOf(scene.sound_name), longest_name) << "259 bytes must be taken";

  dialog = scene.OpenDialog();
  ASSERT_NE(dialog, nullptr);
  // The field holds the name from before; the path typed replaces it.
  PressKey(VK_END);
  PressKey(VK_HOME, /*shift=*/true);
  ASSERT_TRUE(scene.Confirm(dialog, too_long));
  Sleep(300);
  EXPECT_EQ(TextOf(scene.sound_name), longest_name) << "260 bytes must change nothing";
  EXPECT_TRUE(IsWindowEnabled(scene.main));

  dialog = scene.OpenDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(NameField(dialog)), longest_name) << "the longer path must not be remembered";
  ASSERT_TRUE(scene.Cancel(dialog));
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

TEST(Dialog, NoDialogWhilePlayMusicIsUnticked) {
  ChoiceScene scene;
  ASSERT_TRUE(scene.Ready());
  ClickOn(scene.play_music);
  ASSERT_EQ(SendMessageW(scene.play_music, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // The clock's next tick disables 选择音乐; a click on it then reaches nothing.
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(scene.choose); }, 1000));

  ClickOn(scene.choose);
  EXPECT_FALSE(WaitFor([&] { return OtherWindow(scene.program.process().id(), scene.main); }, 1500))
      << "a dialog opened with 是否播放音乐 unticked";
  EXPECT_TRUE(IsWindowEnabled(scene.main));
  EXPECT_EQ(TextOf(scene.sound_name), L"");

  // Ticked again, 选择音乐 is enabled at the next tick and the same click opens the dialog.
  ClickOn(scene.play_music);
  ASSERT_EQ(SendMessageW(scene.play_music, BM_GETCHECK, 0, 0), BST_CHECKED);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(scene.choose) != FALSE; }, 1000));
  HWND dialog = scene.OpenDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(scene.Cancel(dialog));
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

BOOL CALLBACK CollectVisible(HWND h, LPARAM out) {
  if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(out)->push_back(h);
  return TRUE;
}

// The file dialog's buttons, fields and combo boxes in the flat look: made on the program's
// user-interface thread after MainWindow was styled, each is restyled as it is created.
TEST(Dialog, ItsButtonsAndBoxesHaveTheFlatLook) {
  ChoiceScene scene;
  ASSERT_TRUE(scene.Ready());
  HWND dialog = scene.OpenDialog();
  ASSERT_NE(dialog, nullptr);
  MoveTo(5, 5);
  Sleep(300);
  SaveShot(ShootWindow(dialog), L"file-dialog");
  std::vector<HWND> all;
  EnumChildWindows(dialog, CollectVisible, LPARAM(&all));
  int buttons = 0, combos = 0;
  for (HWND h : all) {
    const std::wstring cls = ClassOf(h);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0 && TextOf(h) != L"" &&
        ((style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)) {
      const Shot s = ShootWindow(h);
      const bool is_default = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON || FocusOf(dialog) == h;
      EXPECT_TRUE(LooksLike(s, is_default ? kFocusedButton : kPlainButton))
          << std::string(TextOf(h).begin(), TextOf(h).end());
      ++buttons;
    }
    if (_wcsicmp(cls.c_str(), L"ComboBox") == 0 && (style & 3) != CBS_SIMPLE) {
      const Shot s = ShootWindow(h);
      EXPECT_TRUE(FieldRings(s, IsWindowEnabled(h) ? GetSysColor(COLOR_WINDOW) : FaceColour()));
      // The drop-down button along the right edge, framed in the ring colour.
      const int left = s.width - 2 - GetSystemMetrics(SM_CYVTHUMB);
      EXPECT_EQ(s.at(left, s.height / 2), RGB(198, 197, 215));
      EXPECT_EQ(s.at(s.width - 3, s.height / 2), RGB(198, 197, 215));
      ++combos;
    }
  }
  EXPECT_GE(buttons, 2);  // open and cancel
  EXPECT_GE(combos, 1);   // the file types
  ASSERT_TRUE(scene.Cancel(dialog));
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

}  // namespace
