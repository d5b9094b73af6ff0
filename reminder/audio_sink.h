// The output device as the player's worker thread uses it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "reminder/pcm.h"

namespace reminder {

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Opens the device for `format`; false when there is none (the player falls silent).
  virtual bool Open(const PcmFormat& format) = 0;
  // Queues `frames` frames. Waits while every buffer is in use; false once aborted or
  // when the device fails.
  virtual bool Write(const int16_t* samples, size_t frames) = 0;
  // Lets what is queued play out; returns early once aborted.
  virtual void Drain() = 0;
  // Silences the device, discards what is queued and closes it.
  virtual void Close() = 0;
  // From another thread: makes a waiting Write or Drain return at once. Stays in force.
  virtual void Abort() = 0;
};

}  // namespace reminder
