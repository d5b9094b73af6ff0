// The program's two global texts (GBK byte strings), empty at start; the empty string
// stands for "no text". The exit routine releases both.
#pragma once

#include <string>

namespace app {

// Full path of the sound file confirmed last in the file dialog.
extern std::string SoundFilePath;
// Body of the reminder's message box.
extern std::string MessageText;

// The exit routine: releases both texts.
void ReleaseGlobalTexts();

}  // namespace app
