// Long runs of MainWindow's clock and alarm check, in-process and far faster than their
// timers would run them: the program's own handlers called in a loop, the label repainted
// each time, and what the process holds (GDI objects, windows, kernel handles, private
// memory) compared between a warmed-up start and the end.
#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/handlers.h"
#include "reminder/clock.h"
#include "reminder/handlers.h"
#include "reminder/play_mp3.h"
#include "toolkit/win/toolkit.h"
#include "ui/visual_style.h"

namespace {

// --- What the process holds ----------------------------------------------------------------

// Wine 8 answers 0 to GetGuiResources, GetProcessHandleCount and PrivateUsage; each figure
// then comes from a stand-in that Wine does keep up to date, and `source` says which.
struct Holdings {
  DWORD gdi_objects = 0;
  DWORD user_objects = 0;
  DWORD handles = 0;
  size_t private_bytes = 0;
  std::string source;
};

// Wine keeps each process's GDI objects in a table of its own, reached like Windows' shared
// one through the PEB; an entry whose type byte is 0 is free.
DWORD GdiTableEntries() {
  static_assert(sizeof(void*) == 8, "the PEB offset and the entry layout are those of x64");
  struct Entry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
  };
  static_assert(sizeof(Entry) == 24);
  constexpr size_t kGdiSharedHandleTable = 0xF8;
  constexpr size_t kEntries = 0x10000;
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic),
                                nullptr) != 0) {
    return 0;
  }
  const auto* peb = reinterpret_cast<const uint8_t*>(basic.PebBaseAddress);
  const auto* table = *reinterpret_cast<const Entry* const*>(peb + kGdiSharedHandleTable);
  if (table == nullptr) return 0;
  DWORD used = 0;
  for (size_t i = 0; i < kEntries; ++i) used += table[i].type != 0;
  return used;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  ++*reinterpret_cast<DWORD*>(count);
  EnumChildWindows(hwnd, CountWindow, count);
  return TRUE;
}

// The thread's windows, children included: most of the USER objects a leak would leave.
DWORD ThreadWindows() {
  DWORD count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, LPARAM(&count));
  return count;
}

// Handle values are multiples of 4 given out lowest first, so a process holding a few
// hundred has them all below 0x10000.
DWORD OpenHandles() {
  DWORD count = 0;
  for (uintptr_t h = 4; h < 0x10000; h += 4) {
    DWORD flags = 0;
    count += GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags) != 0;
  }
  return count;
}

size_t CommittedPrivateBytes() {
  size_t total = 0;
  MEMORY_BASIC_INFORMATION region;
  const char* at = nullptr;
  while (VirtualQuery(at, &region, sizeof(region)) == sizeof(region)) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

Holdings Measure() {
  Holdings h;
  const HANDLE self = GetCurrentProcess();
  h.gdi_objects = GetGuiResources(self, GR_GDIOBJECTS);
  h.user_objects = GetGuiResources(self, GR_USEROBJECTS);
  GetProcessHandleCount(self, &h.handles);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
  h.private_bytes = memory.PrivateUsage;
  auto note = [&](const char* name) {
    h.source += (h.source.empty() ? "" : ", ") + std::string(name);
  };
  if (h.gdi_objects == 0) {
    h.gdi_objects = GdiTableEntries();
    note("GDI from the handle table");
  }
  if (h.user_objects == 0) {
    h.user_objects = ThreadWindows();
    note("USER = the thread's windows");
  }
  if (h.handles == 0) {
    h.handles = OpenHandles();
    note("handles probed");
  }
  if (h.private_bytes == 0) {
    h.private_bytes = CommittedPrivateBytes();
    note("private = committed private pages");
  }
  return h;
}

void Report(const char* what, const Holdings& before, const Holdings& after) {
  std::printf(
      "%s: GDI objects %lu -> %lu, USER objects %lu -> %lu, handles %lu -> %lu, "
      "private %zu KB -> %zu KB (%s)\n",
      what, before.gdi_objects, after.gdi_objects, before.user_objects, after.user_objects,
      before.handles, after.handles, before.private_bytes / 1024, after.private_bytes / 1024,
      after.source.empty() ? "as the system counts" : after.source.c_str());
}

// A leak of one object in a few hundred calls, or of a kilobyte a call, goes past these
// margins; they leave room for what Wine makes on its own now and then.
void ExpectNothingHeldOn(const Holdings& before, const Holdings& after) {
  EXPECT_GT(after.gdi_objects, 0u);  // counted at all
  EXPECT_LE(after.gdi_objects, before.gdi_objects + 2);
  EXPECT_LE(after.user_objects, before.user_objects);
  EXPECT_LE(after.handles, before.handles + 2);
  EXPECT_LE(after.private_bytes, before.private_bytes + 1024 * 1024);
}

// --- Driving MainWindow --------------------------------------------------------------------

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) tk::ProcessMessage(msg);
}

// Refuses (and counts) every dialog box while it lives: the reminder box is one, and one
// that came up would wait for someone to close it. Caught at its creation, as its title is
// only set afterwards.
class DialogsRefused {
 public:
  DialogsRefused() { hook_ = SetWindowsHookExW(WH_CBT, Watch, nullptr, GetCurrentThreadId()); }
  ~DialogsRefused() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }
  DialogsRefused(const DialogsRefused&) = delete;
  DialogsRefused& operator=(const DialogsRefused&) = delete;
  bool installed() const { return hook_ != nullptr; }
  int refused() const { return refused_; }

 private:
  static LRESULT CALLBACK Watch(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
      const wchar_t* kind = reinterpret_cast<const CBT_CREATEWNDW*>(lp)->lpcs->lpszClass;
      const bool dialog = IS_INTRESOURCE(kind) ? LOWORD(reinterpret_cast<ULONG_PTR>(kind)) == 32770
                                               : _wcsicmp(kind, L"#32770") == 0;
      if (dialog) {
        ++refused_;
        return 1;
      }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  HHOOK hook_ = nullptr;
  static inline int refused_ = 0;
};

// Repeatable noise: the same bytes every run, none of them 0 (which would end the text).
std::string RandomBytes(size_t n, uint64_t seed) {
  std::string out(n, '\0');
  for (char& c : out) {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    c = char(1 + seed % 255);
  }
  return out;
}

constexpr size_t kJunkBytes = 100 * 1024;

// Long texts that each read as a number no hour or minute ever is, each a number and then,
// after a blank, noise. The numbers stay a few thousand digits long: Wine's edit box takes
// seconds to lay out one unbroken run of 100 KB.
std::vector<std::string> NonMatchingJunk() {
  const std::string digits(3000, '9');
  const std::vector<std::string> numbers = {
      "99",
      "\xa3\xb9\xa3\xb9\xa1\xa1",  // full-width "99" and an ideographic space
      digits,                      // too large: infinity
      "-" + digits,
      "7e" + digits,    // an exponent past any double
      "59.5" + digits,  // 59.6 once rounded
  };
  std::vector<std::string> texts;
  uint64_t seed = 1;
  for (const std::string& number : numbers) {
    texts.push_back(number + " " + RandomBytes(kJunkBytes - number.size() - 1, seed++));
  }
  return texts;
}

class LongRun : public testing::Test {
 protected:
  // The program's own bindings; other suites bind theirs in their own set-up.
  static void SetUpTestSuite() { ASSERT_TRUE(tk::Initialise(app::HandlerTable())); }
  void TearDown() override {
    if (tk::Window* w = tk::FindLiveWindow("MainWindow")) DestroyWindow(w->hwnd());
    PumpPending();
    EXPECT_EQ(tk::LiveWindowCount(), 0u);
    reminder::StopSound();
    app::MessageText.clear();
    ui::ApplyVisualStyle(0);  // MainWindow's created handler applied it
  }
};

TEST_F(LongRun, HundredThousandClockTicksHoldNothingMore) {
  tk::Window* w = tk::LoadWindow("MainWindow");
  ASSERT_NE(w, nullptr);
  auto* clock_text = w->Find<tk::Label>("标签_电脑时间");
  auto* play_music = w->Find<tk::CheckBox>("选择框1");
  auto* choose = w->Find<tk::Button>("按钮2");
  ASSERT_TRUE(clock_text != nullptr && play_music != nullptr && choose != nullptr);
  ASSERT_TRUE(IsWindowVisible(clock_text->hwnd()));  // or UpdateWindow would paint nothing

  constexpr int kWarmUp = 1000;
  constexpr int kTicks = 100000;
  auto tick = [&](int i) {
    // 选择音乐 is disabled and enabled again now and then, as when the box is clicked.
    if (i % 500 == 0) play_music->SetTicked(!play_music->ticked());
    reminder::ClockTick(*w);
    if (i % 10 == 0) PumpPending();  // the painting itself is done inside the tick
  };
  for (int i = 0; i < kWarmUp; ++i) tick(i);
  const Holdings before = Measure();
  for (int i = 0; i < kTicks; ++i) tick(i);
  const std::string earlier = reminder::FormatDateTime(reminder::CurrentDateTime());
  reminder::ClockTick(*w);
  const std::string later = reminder::FormatDateTime(reminder::CurrentDateTime());
  const Holdings after = Measure();
  Report("100000 clock ticks", before, after);

  const std::string shown = clock_text->caption();
  EXPECT_TRUE(shown == earlier || shown == later) << shown;
  EXPECT_EQ(choose->disabled(), !play_music->ticked());
  ExpectNothingHeldOn(before, after);
}

TEST_F(LongRun, AlarmCheckReadsLongJunkWithoutAlarmingOrHoldingMore) {
  tk::Window* w = tk::LoadWindow("MainWindow");
  ASSERT_NE(w, nullptr);
  auto* hour_box = w->Find<tk::EditBox>("编辑框1");
  auto* minute_box = w->Find<tk::EditBox>("编辑框3");
  auto* alarm = w->Find<tk::Timer>("时钟1");
  ASSERT_TRUE(hour_box != nullptr && minute_box != nullptr && alarm != nullptr);
  DialogsRefused refuse;
  ASSERT_TRUE(refuse.installed());
  const int refused_before = refuse.refused();
  reminder::ArmClicked(*w);
  ASSERT_EQ(alarm->period(), 100);

  const std::vector<std::string> junk = NonMatchingJunk();
  const std::string noise = RandomBytes(kJunkBytes, 3);
  // Each junk text in the hour box; then, with the hour matching (so that the minute is
  // read too), in the minute box.
  auto round = [&](int calls) {
    for (const std::string& text : junk) {
      hour_box->SetText(text);
      minute_box->SetText(noise);
      ASSERT_GE(GetWindowTextLengthW(hour_box->hwnd()), int(kJunkBytes / 2));
      for (int i = 0; i < calls; ++i) {
        reminder::AlarmTick(*w);
        PumpPending();
      }
      minute_box->SetText(text);
      hour_box->SetText(std::to_string(reminder::CurrentDateTime().hour) + " " + noise);
      for (int i = 0; i < calls; ++i) {
        reminder::AlarmTick(*w);
        PumpPending();
      }
    }
  };
  round(10);
  const Holdings before = Measure();
  round(100);
  const Holdings after = Measure();
  Report("alarm checks of 100 KB texts", before, after);

  EXPECT_EQ(refuse.refused(), refused_before);  // no reminder box
  EXPECT_EQ(alarm->period(), 100);              // still armed: it stops itself only on a match
  EXPECT_TRUE(app::MessageText.empty());
  EXPECT_FALSE(reminder::SoundPlaying());
  ExpectNothingHeldOn(before, after);
}

// The pointer over MainWindow's four buttons in turn, back and forth, as the system tells
// each (a move inside it, then its leave), with 开始定时 pressed and let go now and then:
// far more sweeps than a minute holds, each redraw composed and copied.
TEST_F(LongRun, PointerSweepingOverTheButtonsHoldsNothingMore) {
  tk::Window* w = tk::LoadWindow("MainWindow");
  ASSERT_NE(w, nullptr);
  std::vector<HWND> buttons;
  for (const char* name : {"按钮1", "按钮2", "按钮3"}) {
    auto* b = w->Find<tk::Button>(name);
    ASSERT_NE(b, nullptr);
    buttons.push_back(b->hwnd());
  }
  auto* box = w->Find<tk::CheckBox>("选择框1");
  ASSERT_NE(box, nullptr);
  buttons.push_back(box->hwnd());
  ASSERT_TRUE(IsWindowVisible(buttons[0]));  // or nothing would be drawn
  const size_t restyled = ui::RestyledControlCount();
  ASSERT_GE(restyled, 8u);  // the buttons, the check box and the four edit boxes

  auto sweep = [&](int sweeps) {
    for (int i = 0; i < sweeps; ++i) {
      for (int k = 0; k < 8; ++k) {
        const HWND b = buttons[size_t(k < 4 ? k : 7 - k)];
        SendMessageW(b, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageW(b, WM_MOUSELEAVE, 0, 0);
      }
      if (i % 10 == 0) {
        SendMessageW(buttons[0], BM_SETSTATE, TRUE, 0);
        SendMessageW(buttons[0], BM_SETSTATE, FALSE, 0);
      }
      PumpPending();
    }
  };
  sweep(50);
  const Holdings before = Measure();
  sweep(3000);
  const Holdings after = Measure();
  Report("3000 pointer sweeps over the buttons", before, after);
  ExpectNothingHeldOn(before, after);
  EXPECT_EQ(ui::RestyledControlCount(), restyled);
}

}  // namespace
