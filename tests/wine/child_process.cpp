#include "child_process.h"

#include <vector>

namespace testing_support {

ChildProcess::ChildProcess(const std::wstring& exe, const std::wstring& arguments,
                           const std::wstring& folder) {
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  std::vector<wchar_t> buffer(command.begin(), command.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    process_ = pi.hProcess;
    thread_ = pi.hThread;
    id_ = pi.dwProcessId;
  }
}

ChildProcess::~ChildProcess() {
  if (process_ != nullptr) {
    if (running()) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
  if (thread_ != nullptr) CloseHandle(thread_);
}

std::optional<DWORD> ChildProcess::Wait(DWORD timeout_ms) {
  if (process_ == nullptr) return std::nullopt;
  if (WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

bool ChildProcess::running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::wstring ThisExe() {
  std::wstring path(4096, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
  path.resize(n);
  return path;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring TempFolder(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring folder = std::wstring(base) + L"tavrin-" + name + L"-" +
                        std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) out.append(chunk, got);
  CloseHandle(file);
  return out;
}

}  // namespace testing_support
