// The default wave output device (WAVE_MAPPER), fed through a few buffers. The device
// reports finished buffers through a callback that only signals an event; every wave
// function is called from the player's worker thread.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <vector>

#include "reminder/audio_sink.h"

namespace reminder {

class WaveOutSink final : public AudioSink {
 public:
  WaveOutSink();
  ~WaveOutSink() override;
  WaveOutSink(const WaveOutSink&) = delete;
  WaveOutSink& operator=(const WaveOutSink&) = delete;

  bool Open(const PcmFormat& format) override;
  bool Write(const int16_t* samples, size_t frames) override;
  void Drain() override;
  void Close() override;
  void Abort() override;

 private:
  static constexpr size_t kBuffers = 4;
  struct Buffer {
    WAVEHDR header{};
    std::vector<int16_t> samples;
    size_t filled = 0;  // samples
    bool queued = false;
  };

  static void CALLBACK Done(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR);
  bool aborted() const { return aborted_.load(std::memory_order_acquire); }
  // Waits until `buffer` is back from the device; false when aborted or the device stalls.
  bool WaitUntilFree(const Buffer& buffer);
  bool Queue(Buffer& buffer);
  void Reclaim();

  HANDLE signal_ = nullptr;
  HWAVEOUT device_ = nullptr;
  PcmFormat format_;
  DWORD buffer_ms_ = 0;
  std::array<Buffer, kBuffers> buffers_;
  size_t current_ = 0;
  std::atomic<bool> aborted_{false};
};

}  // namespace reminder
