// The player's worker against a device that records what it is given. The real device is
// exercised under Wine; here the threading, the order of device calls and the stop are
// checked under the sanitizers (TSan included).
#include "reminder/sound_player.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "reminder/mp3_decoder.h"

namespace reminder {
namespace {

// Fixtures made at build time (tests/unit/mp3_fixtures.cmake).
constexpr const char* kToneFixture = "mpeg1_44k_stereo_cbr.mp3";      // 3 s, 440 Hz
constexpr const char* kFormatChangeFixture = "format_change.mp3";     // 44.1 kHz stereo, then 22.05 kHz mono
constexpr const char* kLongFixture = "long_44k_stereo_cbr.mp3";       // 40 s
constexpr const char* kRandomFixture = "random.mp3";
constexpr const char* kEmptyFixture = "empty.mp3";

std::string Fixture(const std::string& name) { return std::string(TAVRIN_MP3_FIXTURES) + "/" + name; }

// What the decoder makes of a file, block formats kept.
std::vector<PcmBlock> DecodeAll(const std::string& path) {
  std::vector<PcmBlock> blocks;
  auto source = OpenFileSource(path);
  if (source == nullptr) return blocks;
  Mp3Decoder decoder(*source);
  PcmBlock block;
  while (decoder.Next(&block)) blocks.push_back(block);
  return blocks;
}

// A device that keeps every call and every sample. `stall` makes Write wait until the
// player aborts, like a device that never hands a buffer back.
class RecordingSink final : public AudioSink {
 public:
  struct Segment {
    PcmFormat format;
    std::vector<int16_t> samples;
    bool drained = false;
    bool closed = false;
  };

  explicit RecordingSink(bool stall = false, bool refuse_open = false)
      : stall_(stall), refuse_open_(refuse_open) {}

  bool Open(const PcmFormat& format) override {
    std::lock_guard lock(mutex_);
    ++opens_;
    if (refuse_open_ || aborted_) return false;
    segments_.push_back({format, {}, false, false});
    return true;
  }
  bool Write(const int16_t* samples, size_t frames) override {
    std::unique_lock lock(mutex_);
    ++writes_;
    changed_.notify_all();
    if (stall_) changed_.wait(lock, [&] { return aborted_; });
    if (aborted_) return false;
    auto& s = segments_.back().samples;
    s.insert(s.end(), samples, samples + frames * size_t(segments_.back().format.channels));
    return true;
  }
  void Drain() override {
    std::lock_guard lock(mutex_);
    segments_.back().drained = true;
  }
  void Close() override {
    std::lock_guard lock(mutex_);
    segments_.back().closed = true;
    ++closes_;
  }
  void Abort() override {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    changed_.notify_all();
  }

  bool WaitForWrites(int n) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return writes_ >= n; });
  }
  std::vector<Segment> segments() {
    std::lock_guard lock(mutex_);
    return segments_;
  }
  int opens() {
    std::lock_guard lock(mutex_);
    return opens_;
  }
  int closes() {
    std::lock_guard lock(mutex_);
    return closes_;
  }

 private:
  const bool stall_;
  const bool refuse_open_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool aborted_ = false;
  int opens_ = 0, writes_ = 0, closes_ = 0;
  std::vector<Segment> segments_;
};

bool WaitUntilStopped(const SoundPlayer& player) {
  for (int i = 0; i < 2000 && player.playing(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return !player.playing();
}

TEST(SoundPlayer, PlaysTheWholeFileOnceAndStopsByItself) {
  const std::string path = Fixture(kToneFixture);
  const std::vector<PcmBlock> expected = DecodeAll(path);
  ASSERT_FALSE(expected.empty());
  std::vector<int16_t> all;
  for (const PcmBlock& b : expected) all.insert(all.end(), b.samples.begin(), b.samples.end());

  auto sink = std::make_unique<RecordingSink>();
  RecordingSink* device = sink.get();
  SoundPlayer player(path, OpenFileSource(path), std::move(sink));
  EXPECT_EQ(player.play_count(), 1);
  EXPECT_EQ(player.path(), path);
  ASSERT_TRUE(player.Start());
  EXPECT_FALSE(player.Start());  // one play per player
  ASSERT_TRUE(WaitUntilStopped(player));
  const auto segments = device->segments();
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0].format, expected.front().format);
  EXPECT_EQ(segments[0].samples, all);
  EXPECT_TRUE(segments[0].drained);  // the end is heard before the device closes
  EXPECT_TRUE(segments[0].closed);
  player.Stop();
  EXPECT_EQ(device->closes(), 1);
}

TEST(SoundPlayer, AChangeOfFormatReopensTheDeviceAfterPlayingOut) {
  const std::string path = Fixture(kFormatChangeFixture);
  const std::vector<PcmBlock> expected = DecodeAll(path);
  ASSERT_FALSE(expected.empty());
  std::vector<RecordingSink::Segment> want;
  for (const PcmBlock& b : expected) {
    if (want.empty() || want.back().format != b.format) want.push_back({b.format, {}, true, true});
    want.back().samples.insert(want.back().samples.end(), b.samples.begin(), b.samples.end());
  }
  ASSERT_GE(want.size(), 2u) << "the fixture must change its format";

  auto sink = std::make_unique<RecordingSink>();
  RecordingSink* device = sink.get();
  SoundPlayer player(path, OpenFileSource(path), std::move(sink));
  ASSERT_TRUE(player.Start());
  ASSERT_TRUE(WaitUntilStopped(player));
  const auto got = device->segments();
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].format, want[i].format) << i;
    EXPECT_EQ(got[i].samples, want[i].samples) << i;
    EXPECT_TRUE(got[i].drained && got[i].closed) << i;
  }
}

TEST(SoundPlayer, StopIsSynchronousEvenWhenTheDeviceStalls) {
  const std::string path = Fixture(kLongFixture);
  auto sink = std::make_unique<RecordingSink>(/*stall=*/true);
  RecordingSink* device = sink.get();
  SoundPlayer player(path, OpenFileSource(path), std::move(sink));
  ASSERT_TRUE(player.Start());
  ASSERT_TRUE(device->WaitForWrites(1));
  EXPECT_TRUE(player.playing());
  player.Stop();  // returns: the worker has ended
  EXPECT_FALSE(player.playing());
  const auto segments = device->segments();
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_TRUE(segments[0].closed);
  EXPECT_FALSE(segments[0].drained);  // stopped, not played out
  player.Stop();  // a second stop is harmless
  EXPECT_EQ(device->closes(), 1);
}

TEST(SoundPlayer, SilentWhenThereIsNothingToPlayOrNoDevice) {
  {
    SoundPlayer missing("nowhere.mp3", nullptr, std::make_unique<RecordingSink>());
    EXPECT_FALSE(missing.Start());
    EXPECT_FALSE(missing.playing());
  }
  for (const char* name : {kRandomFixture, kEmptyFixture}) {
    auto sink = std::make_unique<RecordingSink>();
    RecordingSink* device = sink.get();
    SoundPlayer player(name, OpenFileSource(Fixture(name)), std::move(sink));
    ASSERT_TRUE(player.Start()) << name;  // opened, so it tries
    ASSERT_TRUE(WaitUntilStopped(player)) << name;
    EXPECT_EQ(device->opens(), 0) << name << ": no device for what is not sound";
  }
  auto sink = std::make_unique<RecordingSink>(false, /*refuse_open=*/true);
  RecordingSink* device = sink.get();
  SoundPlayer no_device("tone", OpenFileSource(Fixture(kToneFixture)), std::move(sink));
  ASSERT_TRUE(no_device.Start());
  ASSERT_TRUE(WaitUntilStopped(no_device));
  EXPECT_EQ(device->opens(), 1);
  EXPECT_TRUE(device->segments().empty());
}

TEST(SoundPlayer, DestroyedWhilePlaying) {
  const std::string path = Fixture(kLongFixture);
  for (int i = 0; i < 5; ++i) {
    SoundPlayer player(path, OpenFileSource(path), std::make_unique<RecordingSink>());
    ASSERT_TRUE(player.Start());
    std::this_thread::sleep_for(std::chrono::milliseconds(i * 3));
  }  // each destructor stops its worker; ASan/TSan see no leak or race
}

}  // namespace
}  // namespace reminder
