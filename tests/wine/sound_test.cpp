// PlayMp3 under Wine, heard through the ALSA file device that the test prefix makes the
// default output: every stream the program opens lands in a file of its own, so what was
// played, how often and until when can be read back.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/shell.h"
#include "capture.h"
#include "child_process.h"
#include "reminder/mp3_decoder.h"
#include "reminder/play_mp3.h"
#include "toolkit/win/text.h"
#include "wait.h"

using testing_support::ChildProcess;
using testing_support::WaitFor;
using testing_support::CaptureBase;
using testing_support::CaptureFiles;
using testing_support::RemoveCaptures;
using testing_support::SizeOf;

namespace {

// Fixtures made at build time (tests/unit/mp3_fixtures.cmake).
constexpr const wchar_t* kToneFixture = L"mpeg1_44k_stereo_cbr.mp3";      // 3 s, 440 Hz
constexpr const wchar_t* kFormatChangeFixture = L"format_change.mp3";     // 44.1 kHz stereo, then 22.05 kHz mono
constexpr const wchar_t* kLongFixture = L"long_44k_stereo_cbr.mp3";       // 40 s
constexpr const wchar_t* kRandomFixture = L"random.mp3";
constexpr const wchar_t* kEmptyFixture = L"empty.mp3";

std::wstring g_fixtures;  // Windows path of the folder with the MP3 fixtures

std::string FixtureGbk(const wchar_t* name) { return tk::Narrow(g_fixtures + L"\\" + name); }

std::vector<int16_t> ReadSamples(const std::wstring& path) {
  const std::string bytes = testing_support::ReadWholeFile(path);
  std::vector<int16_t> samples(bytes.size() / 2);
  memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

std::vector<int16_t> Decoded(const std::string& path, reminder::PcmFormat* format = nullptr) {
  std::vector<int16_t> all;
  auto source = reminder::OpenFileSource(path);
  if (source == nullptr) return all;
  reminder::Mp3Decoder decoder(*source);
  reminder::PcmBlock block;
  while (decoder.Next(&block)) {
    if (format != nullptr) *format = block.format;
    all.insert(all.end(), block.samples.begin(), block.samples.end());
  }
  return all;
}

int ThreadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int n = 0;
  for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry)) {
    n += entry.th32OwnerProcessID == GetCurrentProcessId();
  }
  CloseHandle(snapshot);
  return n;
}

DWORD HandleCount() {
  DWORD n = 0;
  GetProcessHandleCount(GetCurrentProcess(), &n);
  return n;
}

class Sound : public testing::Test {
 protected:
  void SetUp() override {
    if (CaptureBase().empty()) GTEST_SKIP() << "skipped: TAVRIN_AUDIO_FILE names no capture file";
    reminder::StopSound();
    RemoveCaptures();
  }
  void TearDown() override { reminder::StopSound(); }
};

TEST_F(Sound, PlaysTheFileOnceFromStartToEnd) {
  const std::string tone = FixtureGbk(kToneFixture);
  reminder::PcmFormat format;
  const std::vector<int16_t> expected = Decoded(tone, &format);
  ASSERT_FALSE(expected.empty());
  reminder::PlayMp3(tone);
  EXPECT_TRUE(reminder::SoundPlaying());
  ASSERT_TRUE(WaitFor([] { return !reminder::SoundPlaying(); }, 30000));
  const auto files = CaptureFiles();
  ASSERT_EQ(files.size(), 1u);  // one stream: played once
  const std::vector<int16_t> heard = ReadSamples(files[0]);
  ASSERT_EQ(heard.size(), expected.size());
  int worst = 0;
  for (size_t i = 0; i < heard.size(); ++i) worst = std::max(worst, std::abs(heard[i] - expected[i]));
  EXPECT_LE(worst, 2);
}

TEST_F(Sound, ASecondPlayStopsTheFirstAndStartsFromTheBeginning) {
  const std::string longer = FixtureGbk(kLongFixture);
  reminder::PlayMp3(longer);
  ASSERT_TRUE(WaitFor([] {
    const auto f = CaptureFiles();
    return !f.empty() && SizeOf(f[0]) > 256 * 1024;
  }, 20000));
  reminder::PlayMp3(longer);
  const auto first = CaptureFiles().at(0);
  const LONGLONG stopped_at = SizeOf(first);
  Sleep(400);
  EXPECT_EQ(SizeOf(first), stopped_at) << "the first sound went on after the second play";
  ASSERT_TRUE(WaitFor([] {
    const auto f = CaptureFiles();
    return f.size() >= 2 && SizeOf(f[1]) > 128 * 1024;
  }, 20000));
  const auto a = ReadSamples(first), b = ReadSamples(CaptureFiles()[1]);
  ASSERT_GE(a.size(), 32768u);
  ASSERT_GE(b.size(), 32768u);
  EXPECT_TRUE(std::equal(a.begin(), a.begin() + 32768, b.begin()));
  EXPECT_LT(size_t(stopped_at) / 2, Decoded(longer).size());  // it was cut short
}

struct Silent {
  const char* what;
  const wchar_t* fixture;  // null: the path is empty; "missing": no such file
};

class SilentPlay : public Sound, public testing::WithParamInterface<Silent> {};

TEST_P(SilentPlay, LeavesNoSoundNoThreadNoHandle) {
  const int threads = ThreadCount();
  const DWORD handles = HandleCount();
  std::string path;
  if (GetParam().fixture != nullptr) path = FixtureGbk(GetParam().fixture);
  reminder::PlayMp3(path);
  ASSERT_TRUE(WaitFor([] { return !reminder::SoundPlaying(); }, 5000));
  Sleep(300);
  EXPECT_TRUE(CaptureFiles().empty()) << GetParam().what;
  reminder::StopSound();
  EXPECT_LE(ThreadCount(), threads) << GetParam().what;
  EXPECT_LE(HandleCount(), handles + 1) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentPlay,
                         testing::Values(Silent{"empty path", nullptr},
                                         Silent{"missing file", L"no such file.mp3"},
                                         Silent{"random bytes", kRandomFixture},
                                         Silent{"empty file", kEmptyFixture}),
                         [](const auto& info) {
                           std::string n = info.param.what;
                           std::replace(n.begin(), n.end(), ' ', '_');
                           return n;
                         });

TEST_F(Sound, AChineseFileNameOpens) {
  // The path is GBK inside the program and must reach the file system as 铃声.
  const std::wstring copy = g_fixtures + L"\\铃声.mp3";
  ASSERT_TRUE(CopyFileW((g_fixtures + L"\\" + kToneFixture).c_str(), copy.c_str(), FALSE));
  reminder::PlayMp3(tk::Narrow(copy));
  ASSERT_TRUE(WaitFor([] { return !reminder::SoundPlaying(); }, 30000));
  EXPECT_EQ(CaptureFiles().size(), 1u);
  DeleteFileW(copy.c_str());
}

TEST_F(Sound, AfterAPlayNoThreadOrHandleIsLeft) {
  const int threads = ThreadCount();
  const DWORD handles = HandleCount();
  for (int i = 0; i < 3; ++i) {
    reminder::PlayMp3(FixtureGbk(kLongFixture));
    Sleep(200);
  }
  reminder::StopSound();
  EXPECT_LE(ThreadCount(), threads + 1);  // the system may keep one audio thread warm
  EXPECT_LE(HandleCount(), handles + 4);
}

TEST_F(Sound, EndingTheProgramStopsTheSound) {
  ChildProcess child(testing_support::ThisExe(), L"--end-mid-sound --fixtures=\"" + g_fixtures + L"\"");
  const auto code = child.Wait(30000);
  EXPECT_EQ(code, std::optional<DWORD>(0));
  const auto files = CaptureFiles();
  ASSERT_EQ(files.size(), 1u);
  const LONGLONG at_end = SizeOf(files[0]);
  EXPECT_GT(at_end, 0);
  Sleep(500);
  EXPECT_EQ(SizeOf(files[0]), at_end);
  EXPECT_LT(size_t(at_end) / 2, Decoded(FixtureGbk(kLongFixture)).size());
}

// The child of EndingTheProgramStopsTheSound: a sound, then the end program service.
int EndMidSound() {
  app::SetSoundStopper(reminder::StopSound);
  reminder::PlayMp3(FixtureGbk(kLongFixture));
  WaitFor([] {
    const auto f = CaptureFiles();
    return !f.empty() && SizeOf(f[0]) > 256 * 1024;
  }, 20000);
  app::EndProgram(0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool end_mid_sound = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"--fixtures=", 0) == 0) g_fixtures = arg.substr(11);
    if (arg == L"--end-mid-sound") end_mid_sound = true;
  }
  if (end_mid_sound) return EndMidSound();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
