// The native build's files: plain POSIX descriptors, so the unit tests read real files the
// way the player does.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "reminder/byte_source.h"

namespace reminder {
namespace {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  ~FileSource() override { close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  long Read(void* buffer, size_t size) override {
    // The count has to fit the long we return.
    if (size > size_t(LONG_MAX)) size = size_t(LONG_MAX);
    for (;;) {
      const ssize_t n = read(fd_, buffer, size);
      if (n >= 0) return long(n);
      if (errno != EINTR) return -1;
    }
  }

 private:
  const int fd_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return nullptr;
  return std::make_unique<FileSource>(fd);
}

}  // namespace reminder
