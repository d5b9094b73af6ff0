// MP3 (MPEG 1, 2 and 2.5 Layer III) decoding with libmpg123's feed interface: the
// decoder pulls the file from a ByteSource in small pieces as it goes.
#pragma once

#include <memory>

#include "reminder/byte_source.h"
#include "reminder/pcm.h"

namespace reminder {

class Mp3Decoder {
 public:
  explicit Mp3Decoder(ByteSource& source);
  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  // The next block of sound, in the stream's own rate and channel count. A block whose
  // format differs from the previous one means the stream changed there. False at the end
  // of the audio, and for data that is not MP3 audio at all (then no block was given).
  bool Next(PcmBlock* block);

  // True when the stream ended because the data could not be read or decoded.
  bool failed() const { return failed_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool failed_ = false;
};

}  // namespace reminder
