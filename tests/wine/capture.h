// What the program played, as the test prefix's ALSA file device wrote it: each stream
// the program opens lands in a file of its own, named after $TAVRIN_AUDIO_FILE.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The capture file's name as ALSA sees it, turned into a Windows path; empty when unset.
std::wstring CaptureBase();
// The first stream goes to the base name, later ones to base.0001, base.0002 ...
std::vector<std::wstring> CaptureFiles();
void RemoveCaptures();
// A file's size in bytes, -1 when it is not there.
LONGLONG SizeOf(const std::wstring& path);

}  // namespace testing_support
