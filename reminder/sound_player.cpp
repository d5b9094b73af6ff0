#include "reminder/sound_player.h"

#include "reminder/mp3_decoder.h"

namespace reminder {

SoundPlayer::SoundPlayer(std::string path, std::unique_ptr<ByteSource> source,
                         std::unique_ptr<AudioSink> sink)
    : path_(std::move(path)), source_(std::move(source)), sink_(std::move(sink)) {}

SoundPlayer::~SoundPlayer() { Stop(); }

bool SoundPlayer::Start() {
  if (source_ == nullptr || sink_ == nullptr || worker_.joinable()) return false;
  playing_.store(true, std::memory_order_release);
  try {
    worker_ = std::thread(&SoundPlayer::Work, this);
  } catch (...) {
    playing_.store(false, std::memory_order_release);
    return false;
  }
  return true;
}

void SoundPlayer::Stop() {
  stopping_.store(true, std::memory_order_release);
  if (sink_ != nullptr) sink_->Abort();
  if (worker_.joinable()) worker_.join();
  playing_.store(false, std::memory_order_release);
}

void SoundPlayer::Work() noexcept {
  try {
    Play();
  } catch (...) {
    // Out of memory or the like: the sound just ends.
  }
  playing_.store(false, std::memory_order_release);
}

void SoundPlayer::Play() {
  Mp3Decoder decoder(*source_);
  AudioSink& sink = *sink_;
  bool open = false;
  PcmFormat format;
  PcmBlock block;
  auto stopping = [this] { return stopping_.load(std::memory_order_acquire); };
  while (!stopping() && decoder.Next(&block)) {
    if (block.format.channels <= 0 || block.samples.empty()) continue;
    if (!open || block.format != format) {
      // The stream changed its rate or channels: what is queued plays out in its own
      // format, then the device is opened anew for the rest.
      if (open) {
        sink.Drain();
        sink.Close();
        open = false;
      }
      if (stopping() || !sink.Open(block.format)) break;
      open = true;
      format = block.format;
    }
    const size_t frames = block.samples.size() / size_t(format.channels);
    if (!sink.Write(block.samples.data(), frames)) break;
  }
  if (open) {
    if (!stopping()) sink.Drain();  // let the end of the file be heard
    sink.Close();
  }
}

}  // namespace reminder
