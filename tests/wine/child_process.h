// Starting a program under test and collecting its exit code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testing_support {

class ChildProcess {
 public:
  // Starts `exe` with `arguments` in `folder` (empty: the current one).
  ChildProcess(const std::wstring& exe, const std::wstring& arguments,
               const std::wstring& folder = L"");
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }
  // The exit code, or nothing if it still runs after `timeout_ms` (it is then killed).
  std::optional<DWORD> Wait(DWORD timeout_ms);
  bool running() const;

 private:
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD id_ = 0;
};

// The full path of this test program, and its folder.
std::wstring ThisExe();
std::wstring FolderOf(const std::wstring& path);
// A fresh, empty temporary folder of the test run.
std::wstring TempFolder(const std::wstring& name);
std::string ReadWholeFile(const std::wstring& path);

}  // namespace testing_support
