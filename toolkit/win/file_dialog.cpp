#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "toolkit/file_filter.h"
#include "toolkit/win/controls.h"
#include "toolkit/win/system_library.h"
#include "toolkit/win/text.h"
#include "toolkit/win/window.h"

namespace tk {
namespace {

// The system takes an empty text to mean "not given" only as a null pointer.
const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

DWORD FlagsOf(const FileDialogSettings& s) {
  DWORD flags = 0;
  if (s.file_must_exist) flags |= OFN_FILEMUSTEXIST;
  if (s.path_must_exist) flags |= OFN_PATHMUSTEXIST;
  if (s.hide_read_only) flags |= OFN_HIDEREADONLY;
  if (s.create_prompt) flags |= OFN_CREATEPROMPT;
  if (s.overwrite_prompt) flags |= OFN_OVERWRITEPROMPT;
  if (s.keep_current_folder) flags |= OFN_NOCHANGEDIR;
  if (s.multiple_selection) flags |= OFN_ALLOWMULTISELECT;
  if (s.explorer_look) flags |= OFN_EXPLORER;
  if (s.resizable) flags |= OFN_ENABLESIZING;
  return flags;
}

}  // namespace

bool FileDialog::Open(std::string* chosen) {
  const FileDialogSettings& s = settings_;
  // Widened whole, NULs and all. Whatever the conversion makes of stray bytes, the two
  // NULs added keep the system from reading past the list.
  std::wstring filter = Widen(SystemFilterList(s.filter));
  if (!filter.empty()) filter.append(2, L'\0');
  const std::wstring title = Widen(s.title);
  const std::wstring initial_folder = Widen(s.initial_folder);
  const std::wstring default_extension = Widen(s.default_extension);

  // The buffer is counted in UTF-16 units, as the W function takes it.
  std::vector<wchar_t> path(s.path_buffer_bytes > 0 ? s.path_buffer_bytes : 1, L'\0');
  const std::wstring preset = Widen(s.file_name);
  if (preset.size() < path.size()) preset.copy(path.data(), preset.size());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner().hwnd();
  ofn.lpstrFilter = OrNull(filter);
  ofn.nFilterIndex = DWORD(s.filter_index > 0 ? s.filter_index : 0);
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = DWORD(path.size());
  ofn.lpstrTitle = OrNull(title);
  ofn.lpstrInitialDir = OrNull(initial_folder);
  ofn.lpstrDefExt = OrNull(default_extension);
  ofn.Flags = FlagsOf(s);
  auto* show = SystemFunctionAs<BOOL WINAPI(OPENFILENAMEW*)>(
      L"comdlg32.dll",
      s.kind == FileDialogSettings::Kind::kSave ? "GetSaveFileNameW" : "GetOpenFileNameW");
  if (show == nullptr) return false;
  const BOOL confirmed = show(&ofn);
  // A cancellation and a failure, FNERR_BUFFERTOOSMALL among them, both end here.
  if (!confirmed) return false;

  path.back() = L'\0';
  std::string result = Narrow(path.data());
  // The buffer's bytes are counted in GBK: a Chinese path can fit the UTF-16 buffer and
  // still not the program's.
  if (result.empty() || result.size() >= s.path_buffer_bytes) return false;
  settings_.file_name = result;
  *chosen = std::move(result);
  return true;
}

}  // namespace tk
