// Playing the reminder's sound once in the background, on the user-interface thread's
// behalf: PlayMp3 stops whatever still plays, then starts the new file and returns at
// once.
#pragma once

#include <string>

namespace reminder {

// `path` is GBK, possibly empty (then nothing plays). Nothing is ever reported.
void PlayMp3(const std::string& path);

// Stops and destroys the current player, if any; synchronous. Also the end-of-program
// clean-up.
void StopSound();

// Whether the current player is still playing (for tests and benchmarks).
bool SoundPlaying();

}  // namespace reminder
