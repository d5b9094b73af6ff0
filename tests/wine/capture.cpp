#include "capture.h"

#include <algorithm>
#include <cwchar>

namespace testing_support {

std::wstring CaptureBase() {
  wchar_t unix_path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TAVRIN_AUDIO_FILE", unix_path, MAX_PATH) == 0) return L"";
  std::wstring path = std::wstring(L"Z:") + unix_path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::vector<std::wstring> CaptureFiles() {
  std::vector<std::wstring> files;
  const std::wstring base = CaptureBase();
  if (base.empty()) return files;
  if (GetFileAttributesW(base.c_str()) != INVALID_FILE_ATTRIBUTES) files.push_back(base);
  for (int i = 1; i < 1000; ++i) {
    wchar_t suffix[8];
    swprintf(suffix, 8, L".%04d", i);
    if (GetFileAttributesW((base + suffix).c_str()) == INVALID_FILE_ATTRIBUTES) break;
    files.push_back(base + suffix);
  }
  return files;
}

void RemoveCaptures() {
  for (const auto& f : CaptureFiles()) DeleteFileW(f.c_str());
}

LONGLONG SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace testing_support
