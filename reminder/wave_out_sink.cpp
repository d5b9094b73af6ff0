#include "reminder/wave_out_sink.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "toolkit/win/system_library.h"

namespace reminder {
namespace {

// A quarter of a second per buffer: four of them keep a second queued, enough to ride out
// a busy machine, little enough that a stop is never late by much.
constexpr int kBufferDivisor = 4;
// A device that returns no buffer for this long past their length has stalled.
constexpr DWORD kStallGraceMs = 2000;

// winmm is loaded with the first sound, not with the program.
struct WaveOutApi {
  decltype(&::waveOutOpen) open = nullptr;
  decltype(&::waveOutPrepareHeader) prepare = nullptr;
  decltype(&::waveOutWrite) write = nullptr;
  decltype(&::waveOutUnprepareHeader) unprepare = nullptr;
  decltype(&::waveOutReset) reset = nullptr;
  decltype(&::waveOutClose) close = nullptr;
  bool ok() const { return open && prepare && write && unprepare && reset && close; }
};

template <typename Pointer>
void Bind(Pointer* slot, const char* name) {
  *slot = tk::SystemFunctionAs<std::remove_pointer_t<Pointer>>(L"winmm.dll", name);
}

const WaveOutApi& Api() {
  static const WaveOutApi api = [] {
    WaveOutApi a;
    Bind(&a.open, "waveOutOpen");
    Bind(&a.prepare, "waveOutPrepareHeader");
    Bind(&a.write, "waveOutWrite");
    Bind(&a.unprepare, "waveOutUnprepareHeader");
    Bind(&a.reset, "waveOutReset");
    Bind(&a.close, "waveOutClose");
    return a;
  }();
  return api;
}

}  // namespace

WaveOutSink::WaveOutSink() : signal_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

WaveOutSink::~WaveOutSink() {
  Close();
  if (signal_ != nullptr) CloseHandle(signal_);
}

void CALLBACK WaveOutSink::Done(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR,
                                DWORD_PTR) {
  // Nothing but the signal: no wave function may be called from here.
  if (message == WOM_DONE) SetEvent(reinterpret_cast<WaveOutSink*>(instance)->signal_);
}

bool WaveOutSink::Open(const PcmFormat& format) {
  if (aborted() || signal_ == nullptr || device_ != nullptr || !Api().ok()) return false;
  if (format.rate <= 0 || format.channels < 1 || format.channels > 2) return false;
  WAVEFORMATEX wave{};
  wave.wFormatTag = WAVE_FORMAT_PCM;
  wave.nChannels = WORD(format.channels);
  wave.nSamplesPerSec = DWORD(format.rate);
  wave.wBitsPerSample = 16;
  wave.nBlockAlign = WORD(format.channels * 2);
  wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
  if (Api().open(&device_, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(&Done),
                  reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    device_ = nullptr;
    return false;
  }
  format_ = format;
  const size_t frames = size_t(std::max(format.rate / kBufferDivisor, 256));
  buffer_ms_ = DWORD(frames * 1000 / size_t(format.rate));
  for (Buffer& b : buffers_) {
    b.samples.assign(frames * size_t(format.channels), 0);
    b.filled = 0;
    b.queued = false;
    b.header = WAVEHDR{};
    b.header.lpData = reinterpret_cast<LPSTR>(b.samples.data());
    b.header.dwBufferLength = DWORD(b.samples.size() * sizeof(int16_t));
    if (Api().prepare(device_, &b.header, sizeof(b.header)) != MMSYSERR_NOERROR) {
      Close();
      return false;
    }
  }
  current_ = 0;
  return true;
}

void WaveOutSink::Reclaim() {
  for (Buffer& b : buffers_) {
    if (b.queued && (b.header.dwFlags & WHDR_DONE) != 0) {
      b.queued = false;
      b.filled = 0;
    }
  }
}

bool WaveOutSink::WaitUntilFree(const Buffer& buffer) {
  const DWORD limit = buffer_ms_ * DWORD(kBuffers) + kStallGraceMs;
  const DWORD start = GetTickCount();
  for (;;) {
    if (aborted()) return false;
    Reclaim();
    if (!buffer.queued) return true;
    if (GetTickCount() - start > limit) return false;
    WaitForSingleObject(signal_, 50);
  }
}

bool WaveOutSink::Queue(Buffer& buffer) {
  buffer.header.dwBufferLength = DWORD(buffer.filled * sizeof(int16_t));
  buffer.header.dwFlags &= ~DWORD(WHDR_DONE);
  if (Api().write(device_, &buffer.header, sizeof(buffer.header)) != MMSYSERR_NOERROR) {
    return false;
  }
  buffer.queued = true;
  current_ = (current_ + 1) % kBuffers;
  return true;
}

bool WaveOutSink::Write(const int16_t* samples, size_t frames) {
  if (device_ == nullptr) return false;
  size_t left = frames * size_t(format_.channels);
  while (left > 0) {
    if (aborted()) return false;
    // Buffers go out and come back in turn, so the next one to fill is the oldest.
    Buffer& b = buffers_[current_];
    if (b.queued && !WaitUntilFree(b)) return false;
    const size_t take = std::min(left, b.samples.size() - b.filled);
    std::memcpy(b.samples.data() + b.filled, samples, take * sizeof(int16_t));
    b.filled += take;
    samples += take;
    left -= take;
    if (b.filled == b.samples.size() && !Queue(b)) return false;
  }
  return true;
}

void WaveOutSink::Drain() {
  if (device_ == nullptr) return;
  Buffer& partial = buffers_[current_];
  if (!partial.queued && partial.filled > 0 && !Queue(partial)) return;
  const DWORD limit = buffer_ms_ * DWORD(kBuffers) + kStallGraceMs;
  DWORD start = GetTickCount();
  for (;;) {
    if (aborted()) return;
    const size_t before = size_t(std::count_if(buffers_.begin(), buffers_.end(),
                                               [](const Buffer& b) { return b.queued; }));
    Reclaim();
    const size_t queued = size_t(std::count_if(buffers_.begin(), buffers_.end(),
                                               [](const Buffer& b) { return b.queued; }));
    if (queued == 0) return;
    if (queued < before) start = GetTickCount();  // progress: the stall clock starts again
    if (GetTickCount() - start > limit) return;
    WaitForSingleObject(signal_, 50);
  }
}

void WaveOutSink::Close() {
  if (device_ == nullptr) return;
  // Silence at once and hand every buffer back, then let go of them and of the device.
  Api().reset(device_);
  for (Buffer& b : buffers_) {
    if (b.header.dwFlags & WHDR_PREPARED) Api().unprepare(device_, &b.header, sizeof(b.header));
    b.queued = false;
    b.filled = 0;
  }
  Api().close(device_);
  device_ = nullptr;
}

void WaveOutSink::Abort() {
  aborted_.store(true, std::memory_order_release);
  if (signal_ != nullptr) SetEvent(signal_);
}

}  // namespace reminder
