// The clock and the alarm on the real Tavrin.exe: the clock label read through WM_GETTEXT
// against this program's own reading of the local time, times typed into the boxes, and
// the 时间到了~ box found among the program's windows. What the program plays lands in the
// files of the prefix's ALSA file device (scripts/wine-env.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "capture.h"
#include "look.h"
#include "child_process.h"
#include "main_window.h"
#include "reminder/byte_source.h"
#include "reminder/clock.h"
#include "reminder/mp3_decoder.h"
#include "screen.h"

using namespace testing_support;

namespace {

constexpr const wchar_t* kToneFixture = L"mpeg1_44k_stereo_cbr.mp3";  // 3 s
constexpr const wchar_t* kBoxTitle = L"时间到了~";
// The alarm is checked every 100 ms: a box that is due comes well within kBoxComes, and
// one not seen for kNoBox is not coming.
constexpr DWORD kBoxComes = 1000;
constexpr DWORD kNoBox = 1500;

// --- The clock ------------------------------------------------------------------------

SYSTEMTIME Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t;
}

SYSTEMTIME SecondsLater(const SYSTEMTIME& t, int seconds) {
  FILETIME f;
  SystemTimeToFileTime(&t, &f);
  ULARGE_INTEGER u;
  u.LowPart = f.dwLowDateTime;
  u.HighPart = f.dwHighDateTime;
  u.QuadPart += ULONGLONG(LONGLONG(seconds) * 10'000'000);
  f.dwLowDateTime = u.LowPart;
  f.dwHighDateTime = u.HighPart;
  SYSTEMTIME later;
  FileTimeToSystemTime(&f, &later);
  return later;
}

std::wstring FromGbk(const std::string& gbk) {
  std::wstring out(gbk.size(), L'\0');
  out.resize(size_t(
      MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), out.data(), int(out.size()))));
  return out;
}

// For messages: the log is GBK, like every narrow text of the tests.
std::string ToGbk(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(size_t(WideCharToMultiByte(936, 0, text.data(), int(text.size()), out.data(),
                                        int(out.size()), nullptr, nullptr)));
  return out;
}

std::wstring ClockText(const SYSTEMTIME& t) {
  return FromGbk(
      reminder::FormatDateTime({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}));
}

// The numbers of a clock text, each followed by the next of 年月日时分秒; nothing when a
// number has a leading zero or the characters are not in that order.
std::optional<std::vector<int>> ClockFields(const std::wstring& text) {
  static const std::wstring kUnits = L"年月日时分秒";
  std::vector<int> fields;
  for (size_t i = 0; i < text.size();) {
    size_t end = i;
    while (end < text.size() && text[end] >= L'0' && text[end] <= L'9') ++end;
    if (end == i || end == text.size() || fields.size() == kUnits.size() ||
        text[end] != kUnits[fields.size()] || (text[i] == L'0' && end - i > 1)) {
      return std::nullopt;
    }
    fields.push_back(std::stoi(text.substr(i, end - i)));
    i = end + 1;
  }
  return fields;
}

// The label against the clock read just after it. It is rewritten every 100 ms, so it may
// still show the second before.
testing::AssertionResult ShowsTheTime(const std::wstring& shown, const SYSTEMTIME& now) {
  for (const SYSTEMTIME& t : {now, SecondsLater(now, -1)}) {
    if (shown != ClockText(t)) continue;
    // Read again without the formatter: the fields in order, the zeros at the end left out.
    std::vector<int> want{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    while (want.size() > 3 && want.back() == 0) want.pop_back();
    if (ClockFields(shown) != want) {
      return testing::AssertionFailure()
             << "\"" << ToGbk(shown) << "\" does not read as the time it should show";
    }
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure()
         << "\"" << ToGbk(shown) << "\" shown at " << ToGbk(ClockText(now));
}

// Waits, if the minute is near its end, until the next one begins, so that what follows
// for up to `seconds` reads and types one hour and minute throughout.
void WithinOneMinute(int seconds) {
  const SYSTEMTIME start = Now();
  if (start.wSecond + seconds < 60) return;
  WaitFor([&] { return Now().wMinute != start.wMinute; }, 12000);
}

// --- The sound --------------------------------------------------------------------------

class BytesSource final : public reminder::ByteSource {
 public:
  explicit BytesSource(std::string bytes) : bytes_(std::move(bytes)) {}
  long Read(void* buffer, size_t size) override {
    const size_t n = std::min(size, bytes_.size() - at_);
    memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return long(n);
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
};

// How many bytes of samples the whole file decodes to.
LONGLONG DecodedBytes(const std::wstring& path) {
  BytesSource source(ReadWholeFile(path));
  reminder::Mp3Decoder decoder(source);
  reminder::PcmBlock block;
  LONGLONG bytes = 0;
  while (decoder.Next(&block)) bytes += LONGLONG(block.samples.size() * sizeof(int16_t));
  return bytes;
}

// --- The program ------------------------------------------------------------------------

// Any visible top-level window of the program other than MainWindow.
HWND OtherWindow(DWORD process_id, HWND main) {
  for (HWND h : ProcessWindows(process_id)) {
    if (h != main) return h;
  }
  return nullptr;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    out.push_back(c);
  }
  return out;
}

bool IsStatic(HWND h) { return _wcsicmp(ClassOf(h).c_str(), L"Static") == 0; }

// What a message box shows, read from its controls.
struct BoxContents {
  std::vector<HWND> buttons;  // visible ones
  std::vector<std::wstring> texts;
  int icons = 0;  // visible icon controls that hold an icon
};

BoxContents ReadBox(HWND box) {
  BoxContents contents;
  for (HWND c : Children(box)) {
    if (!IsWindowVisible(c)) continue;
    if (_wcsicmp(ClassOf(c).c_str(), L"Button") == 0) contents.buttons.push_back(c);
    if (!IsStatic(c)) continue;
    if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      contents.icons += SendMessageW(c, STM_GETICON, 0, 0) != 0;
    } else {
      contents.texts.push_back(TextOf(c));
    }
  }
  return contents;
}

// MainWindow of a fresh run, with the controls the tests use found while their texts are
// still the layout's.
struct AlarmScene {
  Program program;
  HWND main = nullptr;
  HWND hour = nullptr, minute = nullptr, memo = nullptr;
  HWND arm = nullptr, choose = nullptr, sound_name = nullptr, play_music = nullptr;
  HWND clock = nullptr;

  bool Ready() {
    main = program.ReadyMain();
    if (main == nullptr) return false;
    hour = FindControl(main, kHour);
    minute = FindControl(main, kMinute);
    memo = FindControl(main, kMemo);
    arm = FindControl(main, kButton1);
    choose = FindControl(main, kButton2);
    sound_name = FindControl(main, kSoundName);
    play_music = FindControl(main, kPlayMusic);
    clock = FindControlAt(main, kClockLabel);
    return hour && minute && memo && arm && choose && sound_name && play_music && clock;
  }

  // Replaces what a box holds by `text`, typed.
  void Retype(HWND box, const std::wstring& text) {
    ClickOn(box);
    PressKey(VK_END);
    PressKey(VK_HOME, /*shift=*/true);
    if (text.empty()) {
      PressKey(VK_DELETE);
    } else {
      TypeText(text);
    }
  }

  // Types into the boxes that do not hold their text yet.
  void SetTarget(const std::wstring& hour_text, const std::wstring& minute_text) {
    if (TextOf(hour) != hour_text) Retype(hour, hour_text);
    if (TextOf(minute) != minute_text) Retype(minute, minute_text);
  }
  // The hour and minute of now, typed plainly.
  void SetTargetNow() {
    const SYSTEMTIME t = Now();
    SetTarget(std::to_wstring(t.wHour), std::to_wstring(t.wMinute));
  }

  // The sound chosen through 选择音乐 and the system's open dialog.
  bool ChooseSound(const std::wstring& path) {
    ClickOn(choose);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = OtherWindow(program.process().id(), main)) != nullptr; },
                 5000)) {
      return false;
    }
    WaitFor(
        [&] {
          return GetForegroundWindow() == dialog &&
                 _wcsicmp(ClassOf(FocusOf(dialog)).c_str(), L"Edit") == 0;
        },
        3000);
    Sleep(200);
    TypeText(path);
    PressKey(VK_RETURN);
    if (!WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000)) {
      return false;
    }
    const std::wstring name = path.substr(path.rfind(L'\\') + 1);
    return WaitFor([&] { return TextOf(sound_name) == name; }, 2000);
  }

  HWND WaitForBox(DWORD timeout) {
    HWND box = nullptr;
    WaitFor([&] { return (box = OtherWindow(program.process().id(), main)) != nullptr; }, timeout);
    return box;
  }

  // Enter in the box, once it is in front; true once it is gone and MainWindow usable.
  bool DismissWithEnter(HWND box) {
    WaitFor([&] { return GetForegroundWindow() == box; }, 2000);
    PressKey(VK_RETURN);
    return WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(main); }, 3000);
  }

  std::optional<DWORD> Close() {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return program.process().Wait(5000);
  }
};

// --- The tests --------------------------------------------------------------------------

TEST(Clock, ShowsTheLocalDateAndTimeSoonAfterTheWindowAppearsAndKeepsGoing) {
  Program program;
  HWND main = program.WaitForMain();
  ASSERT_NE(main, nullptr);
  const DWORD appeared = GetTickCount();
  HWND clock = FindControlAt(main, kClockLabel);
  ASSERT_NE(clock, nullptr);
  ASSERT_TRUE(WaitFor([&] { return !TextOf(clock).empty(); }, 1000)) << "the clock stays empty";
  const DWORD shown_after = GetTickCount() - appeared;
  EXPECT_LE(shown_after, 500u) << "the first tick is due 100 ms after MainWindow appears";
  std::printf("the clock showed %lu ms after MainWindow appeared\n", shown_after);

  // Read at every phase of the second, long enough to see it turn at least twice.
  std::set<std::wstring> seen;
  const DWORD start = GetTickCount();
  bool right = true;
  while (right && GetTickCount() - start < 2300) {
    const std::wstring shown = TextOf(clock);
    const testing::AssertionResult result = ShowsTheTime(shown, Now());
    right = bool(result);
    EXPECT_TRUE(result) << "after " << GetTickCount() - start << " ms";
    seen.insert(shown);
    Sleep(70);
  }
  if (right) {
    EXPECT_GE(seen.size(), 3u) << "the clock does not keep going";
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.process().Wait(5000), std::optional<DWORD>(0));
}

TEST(Clock, ChooseFollowsPlayMusicAtTheNextTick) {
  AlarmScene scene;
  ASSERT_TRUE(scene.Ready());
  ASSERT_TRUE(IsWindowEnabled(scene.choose));
  for (int round = 0; round < 2; ++round) {
    ClickOn(scene.play_music);
    ASSERT_EQ(SendMessageW(scene.play_music, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(scene.choose); }, 300))
        << "选择音乐 still enabled with 是否播放音乐 unticked, round " << round;
    ClickOn(scene.play_music);
    ASSERT_EQ(SendMessageW(scene.play_music, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(scene.choose); }, 300))
        << "选择音乐 still disabled with 是否播放音乐 ticked, round " << round;
  }
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

TEST(Alarm, AtTheTypedTimeTheBoxShowsTheMemoAndTheSoundPlaysOncePerArming) {
  if (CaptureBase().empty()) GTEST_SKIP() << "skipped: TAVRIN_AUDIO_FILE names no capture file";
  for (const auto& f : CaptureFiles()) DeleteFileW(f.c_str());
  const std::wstring tone = g_fixtures + L"\\" + kToneFixture;
  const LONGLONG decoded = DecodedBytes(tone);
  ASSERT_GT(decoded, 0) << "no fixture at " << ToGbk(tone);
  AlarmScene scene;
  ASSERT_TRUE(scene.Ready());
  ASSERT_TRUE(scene.ChooseSound(tone));
  EXPECT_TRUE(CaptureFiles().empty()) << "a sound before the alarm";

  scene.Retype(scene.memo, L"起床了");
  WithinOneMinute(10);
  scene.SetTargetNow();
  ClickOn(scene.arm);
  HWND box = scene.WaitForBox(kBoxComes);
  ASSERT_NE(box, nullptr) << "no box at the typed time";
  EXPECT_EQ(TextOf(box), kBoxTitle);
  EXPECT_EQ(ClassOf(box), L"#32770");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(box), nullptr);
  const BoxContents contents = ReadBox(box);
  EXPECT_EQ(contents.buttons.size(), 1u);
  EXPECT_EQ(contents.icons, 0);
  EXPECT_NE(std::find(contents.texts.begin(), contents.texts.end(), L"起床了"),
            contents.texts.end())
      << "the memo is not the box's text";
  EXPECT_FALSE(IsWindowEnabled(scene.main)) << "MainWindow must wait for the box";
  EXPECT_TRUE(
      WaitFor([] { return !CaptureFiles().empty() && SizeOf(CaptureFiles()[0]) > 0; }, 2000))
      << "no sound with the box";
  // The program's own loop goes on under the box.
  const std::wstring clock_before = TextOf(scene.clock);
  Sleep(1100);
  const std::wstring clock_after = TextOf(scene.clock);
  EXPECT_NE(clock_after, clock_before) << "the clock stopped under the box";
  EXPECT_TRUE(ShowsTheTime(clock_after, Now()));
  ASSERT_TRUE(scene.DismissWithEnter(box));

  EXPECT_EQ(scene.WaitForBox(kNoBox), nullptr) << "a second box from one arming";
  auto files = CaptureFiles();
  ASSERT_EQ(files.size(), 1u) << "the sound started more than once";
  EXPECT_TRUE(WaitFor([&] { return SizeOf(files[0]) == decoded; }, 10000))
      << "played " << SizeOf(files[0]) << " of " << decoded << " bytes";

  // Armed again within the same minute: the same box, the sound from the start.
  ClickOn(scene.arm);
  box = scene.WaitForBox(kBoxComes);
  ASSERT_NE(box, nullptr) << "no box after arming again";
  EXPECT_TRUE(WaitFor([] { return CaptureFiles().size() == 2; }, 2000)) << "no second sound";
  files = CaptureFiles();
  if (files.size() == 2) {
    EXPECT_TRUE(WaitFor([&] { return SizeOf(files[1]) == decoded; }, 10000))
        << "played " << SizeOf(files[1]) << " of " << decoded << " bytes";
  }
  const BoxContents again = ReadBox(box);
  ASSERT_EQ(again.buttons.size(), 1u);
  ClickOn(again.buttons[0]);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(scene.main); }, 3000));
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

// A target typed into 编辑框1 and 编辑框3 from the hour and minute of now.
struct Target {
  const char* what;
  std::wstring (*hour)(const SYSTEMTIME& now);
  std::wstring (*minute)(const SYSTEMTIME& now);
  bool rings;
};

std::wstring Empty(const SYSTEMTIME&) { return L""; }
std::wstring Hour(const SYSTEMTIME& t) { return std::to_wstring(t.wHour); }
std::wstring Minute(const SYSTEMTIME& t) { return std::to_wstring(t.wMinute); }
std::wstring FullWidth(const std::wstring& digits) {
  std::wstring out;
  for (wchar_t c : digits) out.push_back(wchar_t(c - L'0' + L'０'));
  return out;
}

const Target kTargets[] = {
    {"empty boxes, which name 0:00", Empty, Empty, false},
    {"blank before the hour", [](const SYSTEMTIME& t) { return L" " + Hour(t); }, Minute, true},
    {"Chinese after the hour", [](const SYSTEMTIME& t) { return Hour(t) + L"点"; }, Minute, true},
    {"full-width minute", Hour, [](const SYSTEMTIME& t) { return FullWidth(Minute(t)); }, true},
    {"leading zero in the minute", Hour, [](const SYSTEMTIME& t) { return L"0" + Minute(t); },
     true},
    {"minute 60", Hour, [](const SYSTEMTIME&) { return std::wstring(L"60"); }, false},
    {"hour 24", [](const SYSTEMTIME&) { return std::wstring(L"24"); }, Minute, false},
    {"hour -1", [](const SYSTEMTIME&) { return std::wstring(L"-1"); }, Minute, false},
    {"past minute", Hour,
     [](const SYSTEMTIME& t) { return std::to_wstring(t.wMinute == 0 ? 59 : t.wMinute - 1); },
     false},
    {"future minute", Hour,
     [](const SYSTEMTIME& t) { return std::to_wstring((t.wMinute + 1) % 60); }, false},
};

TEST(Alarm, RingsOnlyForATypedTimeThatNamesNow) {
  AlarmScene scene;
  ASSERT_TRUE(scene.Ready());
  for (const Target& target : kTargets) {
    SCOPED_TRACE(target.what);
    WithinOneMinute(8);
    const SYSTEMTIME now = Now();
    const std::wstring hour_text = target.hour(now), minute_text = target.minute(now);
    if (hour_text.empty() && minute_text.empty() && now.wHour == 0 && now.wMinute == 0) continue;
    scene.SetTarget(hour_text, minute_text);
    ASSERT_EQ(TextOf(scene.hour), hour_text);
    ASSERT_EQ(TextOf(scene.minute), minute_text);
    ClickOn(scene.arm);
    HWND box = scene.WaitForBox(target.rings ? kBoxComes : kNoBox);
    EXPECT_EQ(box != nullptr, target.rings);
    if (box == nullptr) {
      // Still armed: the plain time typed now is taken at the next check, and disarms.
      scene.SetTargetNow();
      box = scene.WaitForBox(kBoxComes);
      ASSERT_NE(box, nullptr) << "typing the time while armed did not ring";
    }
    ASSERT_TRUE(scene.DismissWithEnter(box));
  }
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

TEST(Alarm, ArmingAgainWhileArmedChangesNothing) {
  AlarmScene scene;
  ASSERT_TRUE(scene.Ready());
  WithinOneMinute(8);
  const SYSTEMTIME now = Now();
  scene.SetTarget(Hour(now), std::to_wstring((now.wMinute + 1) % 60));
  ClickOn(scene.arm);
  Sleep(300);
  ClickOn(scene.arm);
  EXPECT_EQ(scene.WaitForBox(kNoBox), nullptr) << "a box for a minute that is not now";
  EXPECT_TRUE(IsWindowEnabled(scene.main));
  // One arming, not undone by the second click and not doubled by it.
  scene.SetTargetNow();
  HWND box = scene.WaitForBox(kBoxComes);
  ASSERT_NE(box, nullptr) << "the second click disarmed the alarm";
  ASSERT_TRUE(scene.DismissWithEnter(box));
  EXPECT_EQ(scene.WaitForBox(kNoBox), nullptr) << "a second box";
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

}  // namespace

namespace {

// The message box's OK button, the default button of its box, in the flat look.
TEST(Alarm, TheBoxsOkButtonHasTheFlatLookOfADefaultButton) {
  AlarmScene scene;
  ASSERT_TRUE(scene.Ready());
  WithinOneMinute(8);
  scene.SetTargetNow();
  ClickOn(scene.arm);
  HWND box = scene.WaitForBox(kBoxComes);
  ASSERT_NE(box, nullptr);
  MoveTo(5, 5);  // the pointer off every button
  HWND ok = nullptr;
  for (HWND h : Children(box)) {
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    if (_wcsicmp(ClassOf(h).c_str(), L"Button") == 0 && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
        IsWindowVisible(h)) {
      ok = h;
    }
  }
  ASSERT_NE(ok, nullptr);
  Sleep(300);
  SaveShot(ShootWindow(box), L"alarm-box");
  const Shot s = ShootWindow(ok);
  EXPECT_TRUE(LooksLike(s, kFocusedButton));
  EXPECT_GT(CountNear(s, {4, 4, s.width - 4, s.height - 4}, RGB(0, 0, 0), 60), 5);
  ASSERT_TRUE(scene.DismissWithEnter(box));
  EXPECT_EQ(scene.Close(), std::optional<DWORD>(0));
}

}  // namespace
