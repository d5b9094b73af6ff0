#include "reminder/mp3_decoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "test_files.h"

namespace reminder {
namespace {

const std::string kFixtures = TAVRIN_MP3_FIXTURES;
const std::string kConformance = TAVRIN_MP3_CONFORMANCE;

// The bytes of a string, handed out no more than `piece` at a time, as a slow disk might.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string data, size_t piece = SIZE_MAX)
      : data_(std::move(data)), piece_(piece) {}
  long Read(void* buffer, size_t size) override {
    const size_t n = std::min({size, piece_, data_.size() - pos_});
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return long(n);
  }

 private:
  const std::string data_;
  const size_t piece_;
  size_t pos_ = 0;
};

// Passes reads through and remembers how the decoder asked for them; optionally fails
// every read once `fail_after` bytes have been given.
class RecordingSource final : public ByteSource {
 public:
  explicit RecordingSource(ByteSource& inner, size_t fail_after = SIZE_MAX)
      : inner_(inner), fail_after_(fail_after) {}
  long Read(void* buffer, size_t size) override {
    largest_request = std::max(largest_request, size);
    if (total >= fail_after_) return -1;
    const long n = inner_.Read(buffer, std::min(size, fail_after_ - total));
    if (n > 0) total += size_t(n);
    return n;
  }
  size_t largest_request = 0;
  size_t total = 0;

 private:
  ByteSource& inner_;
  const size_t fail_after_;
};

struct Decoded {
  std::vector<PcmBlock> blocks;
  bool failed = false;
};

Decoded Decode(ByteSource& source) {
  Decoded out;
  Mp3Decoder decoder(source);
  PcmBlock block;
  while (decoder.Next(&block)) {
    EXPECT_TRUE(block.format.channels == 1 || block.format.channels == 2);
    EXPECT_FALSE(block.samples.empty());
    // A partial frame would swap the channels of everything after it.
    EXPECT_EQ(block.samples.size() % size_t(std::max(block.format.channels, 1)), 0u);
    // The player queues blocks a few deep: one must not hold the whole sound.
    EXPECT_LE(block.samples.size(), size_t(16384 * block.format.channels));
    out.blocks.push_back(std::move(block));
  }
  EXPECT_FALSE(decoder.Next(&block)) << "the end is for good";
  out.failed = decoder.failed();
  return out;
}

Decoded DecodeFile(const std::string& path) {
  auto source = OpenFileSource(path);
  EXPECT_TRUE(source) << path;
  if (!source) return {{}, true};
  return Decode(*source);
}

// The stretches of one format each, in stream order.
std::vector<PcmBlock> Segments(const Decoded& decoded) {
  std::vector<PcmBlock> segments;
  for (const PcmBlock& block : decoded.blocks) {
    if (segments.empty() || !(segments.back().format == block.format)) {
      segments.push_back({block.format, {}});
    }
    auto& samples = segments.back().samples;
    samples.insert(samples.end(), block.samples.begin(), block.samples.end());
  }
  return segments;
}

std::vector<int16_t> ToSamples(const std::string& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// make_fixture writes the canonical 44-byte header and nothing else.
std::vector<int16_t> ReadWavSamples(const std::string& path) {
  const std::string wav = ReadFile(path);
  EXPECT_GE(wav.size(), 44u) << path;
  if (wav.size() < 44) return {};
  EXPECT_EQ(wav.substr(36, 4), "data") << path;
  return ToSamples(wav.substr(44));
}

size_t Frames(const PcmBlock& segment) {
  return segment.samples.size() / size_t(segment.format.channels);
}

// Rising crossings of the first channel, through a band around zero so that coding noise is
// not counted, timed from the first to the last in the middle of the sound; at the rate the
// block claims, so sound labelled with the wrong rate shows as the wrong pitch.
double ToneHz(const PcmBlock& segment) {
  const size_t frames = Frames(segment);
  const size_t begin = frames / 10, end = frames - frames / 10;
  const int channels = segment.format.channels;
  int peak = 0;
  for (size_t i = begin; i < end; ++i) {
    peak = std::max(peak, std::abs(segment.samples[i * channels]));
  }
  const int band = peak / 4;
  bool low = false;
  size_t first = 0, last = 0;
  int rises = 0;
  for (size_t i = begin; i < end; ++i) {
    const int v = segment.samples[i * channels];
    if (v < -band) {
      low = true;
    } else if (low && v > band) {
      low = false;
      if (rises++ == 0) first = i;
      last = i;
    }
  }
  return rises > 1 ? (rises - 1) * double(segment.format.rate) / double(last - first) : 0;
}

double SumSquaredError(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    const double d = double(a[i]) - double(b[i]);
    sum += d * d;
  }
  return sum;
}

// Signal to coding noise with both aligned at the first sample, which is only high when the
// encoder's delay was cut off exactly. The decoded sound is matched in level first: lame
// leaves tones about 5 % quieter.
double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded) {
  const size_t n = std::min(reference.size(), decoded.size());
  double signal = 0, product = 0;
  for (size_t i = 0; i < n; ++i) {
    signal += double(reference[i]) * reference[i];
    product += double(reference[i]) * decoded[i];
  }
  const double gain = product / std::max(signal, 1.0);
  double noise = 0;
  for (size_t i = 0; i < n; ++i) {
    const double d = gain * reference[i] - decoded[i];
    noise += d * d;
  }
  return 10 * std::log10(gain * gain * signal / std::max(noise, 1e-9));
}

double PsnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded) {
  const double n = double(std::min(reference.size(), decoded.size()));
  const double mse = SumSquaredError(reference, decoded) / n;
  return 10 * std::log10(32767.0 * 32767.0 / std::max(mse, 1e-12));
}

// --- Good files --------------------------------------------------------------------------

struct GoodFile {
  const char* mp3;
  const char* wav;  // what lame encoded
  int rate, channels;
  int frame_samples;  // per channel: 1152 for MPEG-1, 576 for MPEG-2 and 2.5
  double tone_hz;     // 0 for a chord with noise
  double min_snr_db;
};

void PrintTo(const GoodFile& f, std::ostream* os) { *os << f.mp3; }

class Mp3GoodFile : public testing::TestWithParam<GoodFile> {};

TEST_P(Mp3GoodFile, DecodesToTheSourceGaplesslyAtItsOwnRate) {
  const GoodFile& f = GetParam();
  const Decoded decoded = DecodeFile(kFixtures + "/" + f.mp3);
  EXPECT_FALSE(decoded.failed);
  const auto segments = Segments(decoded);
  ASSERT_EQ(segments.size(), 1u);
  const PcmBlock& sound = segments[0];
  EXPECT_EQ(sound.format, (PcmFormat{f.rate, f.channels}));

  const std::vector<int16_t> source = ReadWavSamples(kFixtures + "/" + f.wav);
  const double source_frames = double(source.size()) / f.channels;
  EXPECT_NEAR(double(Frames(sound)), source_frames, f.frame_samples);
  EXPECT_GT(SnrDb(source, sound.samples), f.min_snr_db) << "gain-matched SNR";
  if (f.tone_hz > 0) {
    EXPECT_NEAR(ToneHz(sound), f.tone_hz, f.tone_hz * 0.01);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Mp3, Mp3GoodFile,
    testing::Values(
        GoodFile{"mpeg1_44k_stereo_cbr.mp3", "mpeg1_44k_stereo_cbr.wav", 44100, 2, 1152, 440, 40},
        GoodFile{"mpeg1_44k_joint_vbr.mp3", "mpeg1_44k_joint_vbr.wav", 44100, 2, 1152, 0, 25},
        GoodFile{"mpeg1_32k_mono_cbr.mp3", "mpeg1_32k_mono_cbr.wav", 32000, 1, 1152, 3000, 40},
        GoodFile{"mpeg2_22k_mono_cbr.mp3", "mpeg2_22k_mono_cbr.wav", 22050, 1, 576, 1000, 40},
        GoodFile{"mpeg2_24k_joint_vbr.mp3", "mpeg2_24k_joint_vbr.wav", 24000, 2, 576, 1500, 30},
        GoodFile{"mpeg25_8k_mono_cbr.mp3", "mpeg25_8k_mono_cbr.wav", 8000, 1, 576, 1000, 40},
        GoodFile{"mpeg25_11k_stereo_cbr.mp3", "mpeg25_11k_stereo_cbr.wav", 11025, 2, 576, 700, 40},
        // Fewer frames than it takes to trust a run: trusted at the end of the file.
        GoodFile{"short_beep.mp3", "short_beep.wav", 44100, 2, 1152, 880, 40},
        // 1000 random bytes before the first frame.
        GoodFile{"junk_in_front.mp3", "mpeg1_44k_stereo_cbr.wav", 44100, 2, 1152, 440, 40},
        // ID3v2 of about 180 KB with a picture in front, ID3v1 behind.
        GoodFile{"tagged.mp3", "mpeg1_44k_stereo_cbr.wav", 44100, 2, 1152, 440, 40}),
    [](const auto& info) {
      std::string name = info.param.mp3;
      return name.substr(0, name.find('.'));
    });

TEST(Mp3Decoder, FollowsAFormatChangeMidStream) {
  const Decoded decoded = DecodeFile(kFixtures + "/format_change.mp3");
  EXPECT_FALSE(decoded.failed);
  const auto segments = Segments(decoded);
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0].format, (PcmFormat{44100, 2}));
  EXPECT_EQ(segments[1].format, (PcmFormat{22050, 1}));
  EXPECT_NEAR(ToneHz(segments[0]), 440, 4.4);
  EXPECT_NEAR(ToneHz(segments[1]), 1000, 10);
  const double first = double(ReadWavSamples(kFixtures + "/mpeg1_44k_stereo_cbr.wav").size()) / 2;
  const double second = double(ReadWavSamples(kFixtures + "/mpeg2_22k_mono_cbr.wav").size());
  EXPECT_NEAR(double(Frames(segments[0])), first, 1152);
  // The second file's LAME header is not looked for mid-stream, so its info frame, delay
  // and padding play as sound: a few frames more, never less.
  EXPECT_GE(double(Frames(segments[1])), second);
  EXPECT_LE(double(Frames(segments[1])), second + 4 * 576);
}

TEST(Mp3Decoder, TruncatedFilePlaysWhatItHasThenEnds) {
  const Decoded whole = DecodeFile(kFixtures + "/mpeg1_44k_stereo_cbr.mp3");
  const Decoded cut = DecodeFile(kFixtures + "/truncated.mp3");
  EXPECT_FALSE(cut.failed);
  const auto whole_sound = Segments(whole);
  const auto cut_sound = Segments(cut);
  ASSERT_EQ(whole_sound.size(), 1u);
  ASSERT_EQ(cut_sound.size(), 1u);
  const auto& a = whole_sound[0].samples;
  const auto& b = cut_sound[0].samples;
  // The cut keeps 30000 of 48900 bytes: all whole frames in them play, as they would have.
  EXPECT_GT(b.size(), a.size() / 2);
  ASSERT_LT(b.size(), a.size());
  EXPECT_TRUE(std::equal(b.begin(), b.end(), a.begin()));
}

TEST(Mp3Decoder, SoundGoesOnAfterADamagedStretch) {
  const auto cut = Segments(DecodeFile(kFixtures + "/truncated.mp3"));
  const auto whole = Segments(DecodeFile(kFixtures + "/mpeg1_44k_stereo_cbr.mp3"));
  const Decoded decoded = DecodeFile(kFixtures + "/spliced.mp3");
  EXPECT_FALSE(decoded.failed);
  const auto spliced = Segments(decoded);
  ASSERT_EQ(cut.size(), 1u);
  ASSERT_EQ(whole.size(), 1u);
  ASSERT_EQ(spliced.size(), 1u);
  // Both files play in full. The cut frame, read on into the second file, and that file's
  // info frame and delay, which are not looked for mid-stream, add a few frames.
  const double both = double(Frames(cut[0]) + Frames(whole[0]));
  EXPECT_GE(double(Frames(spliced[0])), both);
  EXPECT_LE(double(Frames(spliced[0])), both + 4 * 1152);
  EXPECT_TRUE(std::equal(cut[0].samples.begin(), cut[0].samples.end(), spliced[0].samples.begin()));
}

// --- Reading -----------------------------------------------------------------------------

TEST(Mp3Decoder, ReadsTheFileInPiecesAsItGoes) {
  for (const char* name : {"tagged.mp3", "mpeg1_44k_stereo_cbr.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = kFixtures + "/" + name;
    const size_t file_size = ReadFile(path).size();
    auto file = OpenFileSource(path);
    ASSERT_TRUE(file);
    RecordingSource source(*file);
    Mp3Decoder decoder(source);
    PcmBlock block;
    ASSERT_TRUE(decoder.Next(&block));
    const size_t read_for_first_block = source.total;
    while (decoder.Next(&block)) {
    }
    EXPECT_FALSE(decoder.failed());
    EXPECT_EQ(source.total, file_size);
    EXPECT_LE(source.largest_request, 64u * 1024);
    EXPECT_LT(source.largest_request, file_size / 2);
    // Sound starts before the file is read through, tag or no tag.
    EXPECT_LT(read_for_first_block, file_size);
  }
}

TEST(Mp3Decoder, SameSoundWhateverTheReadSizes) {
  for (const char* name : {"mpeg1_44k_joint_vbr.mp3", "tagged.mp3", "format_change.mp3"}) {
    const std::string bytes = ReadFile(kFixtures + "/" + name);
    MemorySource whole(bytes);
    const auto reference = Segments(Decode(whole));
    ASSERT_FALSE(reference.empty()) << name;
    // Frame and tag boundaries fall anywhere in a piece, or across many.
    for (size_t piece : {size_t(1), size_t(3), size_t(1000), size_t(70000)}) {
      SCOPED_TRACE(std::string(name) + ", pieces of " + std::to_string(piece));
      MemorySource trickle(bytes, piece);
      const auto segments = Segments(Decode(trickle));
      ASSERT_EQ(segments.size(), reference.size());
      for (size_t i = 0; i < segments.size(); ++i) {
        EXPECT_EQ(segments[i].format, reference[i].format);
        EXPECT_TRUE(segments[i].samples == reference[i].samples);
      }
    }
  }
}

TEST(Mp3Decoder, ReadErrorEndsTheSoundAsFailed) {
  const std::string bytes = ReadFile(kFixtures + "/mpeg1_44k_stereo_cbr.mp3");
  const Decoded whole = [&] {
    MemorySource source(bytes);
    return Decode(source);
  }();
  struct Case {
    size_t fail_after;
    bool some_sound;
  };
  for (const Case c : {Case{0, false}, Case{20000, true}}) {
    SCOPED_TRACE(c.fail_after);
    MemorySource inner(bytes);
    RecordingSource source(inner, c.fail_after);
    const Decoded decoded = Decode(source);
    EXPECT_TRUE(decoded.failed);
    EXPECT_EQ(!decoded.blocks.empty(), c.some_sound);
    EXPECT_LT(decoded.blocks.size(), whole.blocks.size());
  }
}

TEST(Mp3Decoder, DecodersOnSeveralThreadsAgreeWithOneAlone) {
  const std::vector<std::string> names = {"mpeg1_44k_joint_vbr.mp3", "mpeg2_24k_joint_vbr.mp3",
                                          "tagged.mp3", "format_change.mp3"};
  std::vector<std::vector<PcmBlock>> alone;
  for (const auto& name : names) alone.push_back(Segments(DecodeFile(kFixtures + "/" + name)));

  constexpr int kThreads = 4;
  std::vector<std::vector<std::vector<PcmBlock>>> together(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < names.size(); ++i) {
          // Each thread starts on another file, so different streams decode at once.
          const auto& name = names[(i + size_t(t)) % names.size()];
          MemorySource source(ReadFile(kFixtures + "/" + name));
          Mp3Decoder decoder(source);
          std::vector<PcmBlock> blocks;
          PcmBlock block;
          while (decoder.Next(&block)) blocks.push_back(block);
          if (round == 0) together[t].push_back(Segments({blocks, decoder.failed()}));
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (size_t i = 0; i < names.size(); ++i) {
      const size_t file = (i + size_t(t)) % names.size();
      const auto& got = together[t][i];
      ASSERT_EQ(got.size(), alone[file].size()) << names[file];
      for (size_t s = 0; s < got.size(); ++s) {
        EXPECT_EQ(got[s].format, alone[file][s].format) << names[file];
        EXPECT_TRUE(got[s].samples == alone[file][s].samples) << names[file];
      }
    }
  }
}

TEST(Mp3FileSource, GivesTheFileBytesAndNullForNoFile) {
  EXPECT_EQ(OpenFileSource(kFixtures + "/no such file.mp3"), nullptr);
  const std::string path = kFixtures + "/mpeg1_44k_stereo_cbr.mp3";
  auto source = OpenFileSource(path);
  ASSERT_TRUE(source);
  std::string read;
  char piece[1000];
  long n;
  while ((n = source->Read(piece, sizeof piece)) > 0) read.append(piece, size_t(n));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(source->Read(piece, sizeof piece), 0) << "the end stays the end";
  EXPECT_TRUE(read == ReadFile(path));
}

// --- Data that is not MP3 ----------------------------------------------------------------

struct BadFile {
  const char* what;
  std::string path;
};

void PrintTo(const BadFile& f, std::ostream* os) { *os << f.what; }

class Mp3BadFile : public testing::TestWithParam<BadFile> {};

TEST_P(Mp3BadFile, GivesNoSoundAndFails) {
  const Decoded decoded = DecodeFile(GetParam().path);
  EXPECT_TRUE(decoded.blocks.empty());
  EXPECT_TRUE(decoded.failed);
}

INSTANTIATE_TEST_SUITE_P(
    Mp3, Mp3BadFile,
    testing::Values(BadFile{"random", kFixtures + "/random.mp3"},
                    BadFile{"text", kFixtures + "/text.mp3"}, BadFile{"jpeg", TAVRIN_SPLASH},
                    BadFile{"wav", kFixtures + "/mpeg2_22k_mono_cbr.wav"},
                    BadFile{"empty", kFixtures + "/empty.mp3"},
                    // The info frame and the start of the first audio frame.
                    BadFile{"header_only", kFixtures + "/header_only.mp3"},
                    BadFile{"tag_only", kFixtures + "/tag_only.mp3"},
                    // An MP3 file behind a quarter of a megabyte of random bytes.
                    BadFile{"too_much_junk", kFixtures + "/too_much_junk.mp3"},
                    // Opens, but every read fails.
                    BadFile{"folder", kFixtures}),
    [](const auto& info) { return std::string(info.param.what); });

struct RandomBytes {
  unsigned seed;
  size_t size;
};

void PrintTo(const RandomBytes& r, std::ostream* os) { *os << r.seed << "/" << r.size; }

class Mp3RandomBytes : public testing::TestWithParam<RandomBytes> {};

TEST_P(Mp3RandomBytes, NeverSound) {
  std::mt19937 random(GetParam().seed);
  std::string bytes(GetParam().size, '\0');
  for (char& b : bytes) b = char(random() & 0xff);
  MemorySource source(std::move(bytes));
  const Decoded decoded = Decode(source);
  EXPECT_TRUE(decoded.blocks.empty());
  EXPECT_TRUE(decoded.failed);
}

std::vector<RandomBytes> RandomCases() {
  std::vector<RandomBytes> cases;
  const size_t sizes[] = {100, 5000, 65536, 300000, 1000000};
  for (unsigned seed = 1; seed <= 30; ++seed) cases.push_back({seed, sizes[seed % 5]});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Mp3, Mp3RandomBytes, testing::ValuesIn(RandomCases()),
                         [](const auto& info) {
                           return "seed" + std::to_string(info.param.seed) + "_" +
                                  std::to_string(info.param.size);
                         });

// Junk in which a few frame headers happen to follow each other at the right distance, as
// random bytes sometimes have them: plain libmpg123 decodes such frames to noise.
struct ChanceFrames {
  const char* what;
  uint32_t header;
  size_t frame_size;
  int count;
  bool at_end;  // the last one cut off by the end of the data
  size_t gap;   // junk between the frames after the first two, which resync then finds
};

void PrintTo(const ChanceFrames& c, std::ostream* os) { *os << c.what; }

class Mp3ChanceFrames : public testing::TestWithParam<ChanceFrames> {};

TEST_P(Mp3ChanceFrames, AreNotTakenForSound) {
  const ChanceFrames& c = GetParam();
  const auto frame_at = [&](int i) {
    return size_t(i) * c.frame_size + size_t(std::max(i - 1, 0)) * c.gap;
  };
  for (size_t at : {size_t(0), size_t(5000)}) {
    SCOPED_TRACE(at);
    std::mt19937 random(unsigned(at) + 1);
    std::string bytes(c.at_end ? at + frame_at(c.count) - c.frame_size / 2 : 40000, '\0');
    for (char& b : bytes) b = char(random() & 0xff);
    for (int i = 0; i < c.count; ++i) {
      for (int b = 0; b < 4; ++b) {
        bytes[at + frame_at(i) + size_t(b)] = char(c.header >> (24 - 8 * b));
      }
    }
    MemorySource source(std::move(bytes));
    const Decoded decoded = Decode(source);
    EXPECT_TRUE(decoded.blocks.empty());
    EXPECT_TRUE(decoded.failed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Mp3, Mp3ChanceFrames,
    testing::Values(
        // MPEG-1 Layer III, 128 kbps, 44.1 kHz, stereo: 417 bytes a frame.
        ChanceFrames{"mpeg1_pair", 0xfffb9000, 417, 2, false, 0},
        ChanceFrames{"mpeg1_three", 0xfffb9000, 417, 3, false, 0},
        // One frame short of being believed.
        ChanceFrames{"mpeg1_seven", 0xfffb9000, 417, 7, false, 0},
        ChanceFrames{"mpeg1_pair_at_end", 0xfffb9000, 417, 2, true, 0},
        // A pair, then eight more of the same kind, each found by resync 100 bytes on.
        ChanceFrames{"mpeg1_resynced", 0xfffb9000, 417, 10, false, 100},
        // MPEG-2 Layer III, 64 kbps, 22.05 kHz, mono: 208 bytes.
        ChanceFrames{"mpeg2_three", 0xfff380c0, 208, 3, false, 0},
        // MPEG-2.5 Layer III, 32 kbps, 8 kHz, mono: 288 bytes.
        ChanceFrames{"mpeg25_three", 0xffe348c0, 288, 3, false, 0},
        ChanceFrames{"mpeg25_pair_at_end", 0xffe348c0, 288, 2, true, 0}),
    [](const auto& info) { return std::string(info.param.what); });

// --- Conformance streams -----------------------------------------------------------------

struct Stream {
  const char* name;
  int rate, channels;
  int frame_samples;
};

void PrintTo(const Stream& s, std::ostream* os) { *os << s.name; }

class Mp3Conformance : public testing::TestWithParam<Stream> {};

TEST_P(Mp3Conformance, MatchesTheReferenceOutput) {
  struct stat folder {};
  if (stat(kConformance.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    GTEST_SKIP() << "skipped: the conformance streams are not at " << kConformance
                 << " (they are kept outside the repository)";
  }
  const Stream& s = GetParam();
  const std::string base = kConformance + "/" + s.name;
  const std::vector<int16_t> reference = ToSamples(ReadFile(base + ".pcm"));
  ASSERT_FALSE(reference.empty()) << base << ".pcm";
  const Decoded decoded = DecodeFile(base + ".bit");
  EXPECT_FALSE(decoded.failed);
  const auto segments = Segments(decoded);
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0].format, (PcmFormat{s.rate, s.channels}));
  const auto& samples = segments[0].samples;
  // The reference leaves out the last frame's worth that decoders give.
  EXPECT_GE(samples.size(), reference.size());
  EXPECT_LE(samples.size(), reference.size() + size_t(s.frame_samples * s.channels));
  EXPECT_GT(PsnrDb(reference, samples), 100);
}

INSTANTIATE_TEST_SUITE_P(
    Mp3, Mp3Conformance,
    testing::Values(Stream{"l3-compl", 48000, 1, 1152}, Stream{"l3-he_32khz", 32000, 1, 1152},
                    Stream{"l3-he_44khz", 44100, 1, 1152}, Stream{"l3-he_48khz", 48000, 1, 1152},
                    Stream{"l3-he_free", 44100, 2, 1152}, Stream{"l3-si", 44100, 1, 1152},
                    Stream{"l3-si_block", 44100, 1, 1152}, Stream{"l3-si_huff", 44100, 1, 1152},
                    Stream{"M2L3_bitrate_16_all", 16000, 1, 576},
                    Stream{"M2L3_bitrate_22_all", 22050, 1, 576},
                    Stream{"M2L3_bitrate_24_all", 24000, 1, 576},
                    Stream{"M2L3_compl24", 24000, 1, 576}, Stream{"M2L3_noise", 22050, 2, 576}),
    [](const auto& info) {
      std::string name = info.param.name;
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

}  // namespace
}  // namespace reminder
