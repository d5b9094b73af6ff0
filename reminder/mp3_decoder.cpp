#include "reminder/mp3_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <new>
#include <vector>

namespace reminder {
namespace {

// Small pieces keep memory flat whatever the file's size; libmpg123 keeps only what it has
// not parsed yet.
constexpr size_t kReadSize = 16 * 1024;
// Large enough that the output device is not fed crumbs, small enough to queue a few.
constexpr size_t kMaxBlockFrames = 8192;
// libmpg123 skips up to 64 KiB of junk looking for a frame header and resyncs through bad
// data, so random bytes now and then pass for a frame or two. Sound is only believed once
// this many frames follow each other without a gap, all of one format. In random
// bytes each further header lands where the last frame ended and matches it about once in
// 250 000 tries, so eight in a row never happen, while real MP3 has them from its start.
constexpr int kTrustedRun = 8;
// libmpg123 gives up on junk in front of the first frame after 64 KiB, but its feed reader
// starts counting afresh each time it runs out of input, so fed piece by piece it would
// search a whole film named .mp3. The limit is kept here instead, behind an ID3v2 tag.
constexpr size_t kJunkLimit = 64 * 1024;
constexpr size_t kId3HeaderSize = 10;

// Where the first frame has to have begun: after the ID3v2 tag `header` announces, if any,
// and the junk allowed.
size_t AudioSearchEnd(const unsigned char* header) {
  const unsigned char* size = header + 6;
  size_t tag = 0;
  if (std::memcmp(header, "ID3", 3) == 0 && header[3] != 0xff &&
      ((size[0] | size[1] | size[2] | size[3]) & 0x80) == 0) {
    const bool footer = header[5] & 0x10;
    tag = kId3HeaderSize +
          (size_t(size[0]) << 21 | size_t(size[1]) << 14 | size_t(size[2]) << 7 | size_t(size[3]));
    if (footer) tag += kId3HeaderSize;
  }
  return tag + kJunkLimit;
}

bool LibraryReady() {
  // A no-op since libmpg123 1.27; older ones want it once before the first handle, and a
  // function-local static makes that once safe when decoders start on several threads.
  static const bool ready = mpg123_init() == MPG123_OK;
  return ready;
}

}  // namespace

struct Mp3Decoder::Impl {
  explicit Impl(ByteSource& source) : source(source), piece(kReadSize) {}
  ~Impl() { mpg123_delete(handle); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  bool Open();
  // Decodes the next frame and passes its sound on; sets `ended` at the end or on failure.
  void Step();
  // The frame libmpg123 has just decoded, unless it is junk that only looks like a frame.
  void Take(const unsigned char* audio, size_t bytes);
  void Emit(const void* data, size_t count);
  void End(bool error);

  ByteSource& source;
  mpg123_handle* handle = nullptr;
  std::vector<unsigned char> piece;
  bool source_ended = false;
  unsigned char header[kId3HeaderSize] = {};
  size_t fed = 0;                // bytes given to libmpg123
  size_t search_end = SIZE_MAX;  // known once the first bytes are
  bool frame_seen = false;
  bool ended = false;
  bool failed = false;
  PcmFormat format;  // of what libmpg123 decodes now

  // The run of frames the current one belongs to: each began where the one before ended.
  PcmFormat run_format;
  long long run_next = -1;  // where the run's next frame has to begin
  int run_frames = 0;
  bool run_trusted = false;
  std::vector<int16_t> held;  // the sound of a run not trusted yet
  bool trusted_once = false;  // the data is MPEG audio: some run was trusted

  std::deque<PcmBlock> ready;
};

bool Mp3Decoder::Impl::Open() {
  if (!LibraryReady()) return false;
  handle = mpg123_new(nullptr, nullptr);
  if (!handle) return false;
  // No MPG123_AUTO_RESAMPLE: every rate is allowed below, and any rate but the stream's
  // own would come from libmpg123's crude resampler. Tags are only skipped, not parsed.
  if (mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_SKIP_ID3V2, 0) !=
          MPG123_OK ||
      mpg123_format_none(handle) != MPG123_OK) {
    return false;
  }
  const long* rates = nullptr;
  size_t rate_count = 0;
  mpg123_rates(&rates, &rate_count);
  for (size_t i = 0; i < rate_count; ++i) {
    if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
        MPG123_OK) {
      return false;
    }
  }
  return mpg123_open_feed(handle) == MPG123_OK;
}

void Mp3Decoder::Impl::Step() {
  for (;;) {
    off_t number = 0;
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    const int result = mpg123_decode_frame(handle, &number, &audio, &bytes);
    if (result == MPG123_OK) {
      Take(audio, bytes);
      return;
    }
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK ||
          encoding != MPG123_ENC_SIGNED_16 || (channels != 1 && channels != 2)) {
        return End(true);
      }
      format = PcmFormat{int(rate), channels};
      continue;
    }
    if (result == MPG123_NEED_MORE) {
      // The feed reader has no end of input: every whole frame fed has been decoded by now,
      // and what is left is a partial frame or a tag, so the end of the source is the end.
      if (source_ended) return End(false);
      if (!frame_seen && fed >= search_end) return End(true);
      const long count = source.Read(piece.data(), piece.size());
      if (count < 0 || size_t(count) > piece.size()) return End(true);
      if (count == 0) {
        source_ended = true;
        continue;
      }
      if (fed < kId3HeaderSize) {
        const size_t take = std::min(kId3HeaderSize - fed, size_t(count));
        std::memcpy(header + fed, piece.data(), take);
        if (fed + take == kId3HeaderSize) search_end = AudioSearchEnd(header);
      }
      fed += size_t(count);
      if (mpg123_feed(handle, piece.data(), size_t(count)) != MPG123_OK) return End(true);
      continue;
    }
    // MPG123_DONE, or an error such as a resync that found nothing within its limit.
    return End(result != MPG123_DONE);
  }
}

void Mp3Decoder::Impl::Take(const unsigned char* audio, size_t bytes) {
  frame_seen = true;
  mpg123_frameinfo2 info{};
  if (format.channels == 0 || mpg123_info2(handle, &info) != MPG123_OK) return End(true);
  const long long offset = mpg123_framepos(handle);
  if (run_frames == 0 || offset != run_next || !(format == run_format)) {
    if (run_frames > 0 && !run_trusted) {
      held.clear();
      // The stream does not begin with MPEG audio: whatever comes later is not believed.
      if (!trusted_once) return End(true);
    }
    run_frames = 0;
    run_trusted = false;
    run_format = format;
  }
  run_next = offset + info.framesize;
  ++run_frames;
  const size_t count = bytes / sizeof(int16_t);
  if (run_trusted) return Emit(audio, count);
  const size_t old_size = held.size();
  held.resize(old_size + count);
  if (count > 0) std::memcpy(held.data() + old_size, audio, count * sizeof(int16_t));
  if (run_frames >= kTrustedRun) {
    run_trusted = trusted_once = true;
    Emit(held.data(), held.size());
    held.clear();
  }
}

void Mp3Decoder::Impl::Emit(const void* data, size_t count) {
  const auto* from = static_cast<const unsigned char*>(data);
  const size_t block_samples = kMaxBlockFrames * size_t(run_format.channels);
  while (count > 0) {
    if (ready.empty() || ready.back().format != run_format ||
        ready.back().samples.size() >= block_samples) {
      ready.emplace_back();
      ready.back().format = run_format;
      ready.back().samples.reserve(block_samples);
    }
    std::vector<int16_t>& samples = ready.back().samples;
    const size_t take = std::min(count, block_samples - samples.size());
    const size_t old_size = samples.size();
    samples.resize(old_size + take);
    std::memcpy(samples.data() + old_size, from, take * sizeof(int16_t));
    from += take * sizeof(int16_t);
    count -= take;
  }
}

void Mp3Decoder::Impl::End(bool error) {
  // A run cut short by the end of the file is a short sound, not junk: junk would have had
  // to line up frame after frame right to the last byte. One frame does not count, though: a
  // header by chance whose follower the end cut off looks just like it.
  if (!error && !run_trusted && run_frames >= 2) {
    trusted_once = true;
    Emit(held.data(), held.size());
  }
  held.clear();
  ended = true;
  failed = error || !trusted_once;
}

Mp3Decoder::Mp3Decoder(ByteSource& source) : impl_(std::make_unique<Impl>(source)) {
  if (!impl_->Open()) impl_->End(true);
}

Mp3Decoder::~Mp3Decoder() = default;

bool Mp3Decoder::Next(PcmBlock* block) {
  Impl& impl = *impl_;
  try {
    // A block is complete once the next one has begun, or at the end.
    while (!impl.ended && impl.ready.size() < 2) impl.Step();
  } catch (const std::bad_alloc&) {
    impl.ready.clear();
    impl.End(true);
  }
  failed_ = impl.failed;
  if (impl.ready.empty()) return false;
  *block = std::move(impl.ready.front());
  impl.ready.pop_front();
  return true;
}

}  // namespace reminder
