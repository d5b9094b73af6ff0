// Decoded sound as the player passes it on: signed 16-bit samples, channels interleaved.
#pragma once

#include <cstdint>
#include <vector>

namespace reminder {

struct PcmFormat {
  int rate = 0;      // samples per second per channel
  int channels = 0;  // 1 or 2
  bool operator==(const PcmFormat&) const = default;
};

struct PcmBlock {
  PcmFormat format;
  std::vector<int16_t> samples;  // interleaved; frames = samples.size() / channels
};

}  // namespace reminder
