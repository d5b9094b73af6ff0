// The one background player behind PlayMp3: its own copy of the path, a play count of 1,
// and a worker thread that reads, decodes and feeds the output device until the file ends
// or it is stopped.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "reminder/audio_sink.h"
#include "reminder/byte_source.h"

namespace reminder {

class SoundPlayer {
 public:
  // `source` may be null: the file could not be opened, and the player stays stopped.
  SoundPlayer(std::string path, std::unique_ptr<ByteSource> source,
              std::unique_ptr<AudioSink> sink);
  ~SoundPlayer();  // stops first
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // Starts playing on the worker and returns at once; false when there is nothing to play.
  bool Start();
  // Synchronous: when it returns the sound is silent, what was queued is discarded, the
  // device is closed and the worker has ended.
  void Stop();

  bool playing() const { return playing_.load(std::memory_order_acquire); }
  const std::string& path() const { return path_; }
  int play_count() const { return play_count_; }

 private:
  void Work() noexcept;
  void Play();

  const std::string path_;
  const int play_count_ = 1;
  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<AudioSink> sink_;
  std::thread worker_;
  std::atomic<bool> playing_{false};
  std::atomic<bool> stopping_{false};
};

}  // namespace reminder
