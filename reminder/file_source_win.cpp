#include <windows.h>

#include "reminder/byte_source.h"
#include "toolkit/win/text.h"

namespace reminder {
namespace {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {}
  ~FileSource() override { CloseHandle(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  long Read(void* buffer, size_t size) override {
    DWORD got = 0;
    const DWORD want = DWORD(size > 0x10000000 ? 0x10000000 : size);
    if (!ReadFile(file_, buffer, want, &got, nullptr)) return -1;
    return long(got);
  }

 private:
  HANDLE file_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path) {
  const std::wstring wide = tk::Widen(path);
  if (wide.empty()) return nullptr;
  // Others may go on reading, renaming or deleting the file while it plays.
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<FileSource>(file);
}

}  // namespace reminder
