// Where the player's bytes come from: read piece by piece from the start to the end, never
// whole.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace reminder {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes into `buffer`: the count read, 0 at the end, -1 on a read error.
  virtual long Read(void* buffer, size_t size) = 0;
};

// The file at `path` (GBK), or null when it cannot be opened. On Windows the path is
// converted with code page 936 and opened with CreateFileW; natively it is used as it is.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path);

}  // namespace reminder
