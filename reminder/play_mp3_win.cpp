#include <memory>

#include "reminder/play_mp3.h"
#include "reminder/sound_player.h"
#include "reminder/wave_out_sink.h"

namespace reminder {
namespace {

// Only the user-interface thread replaces or clears it.
std::unique_ptr<SoundPlayer>& CurrentPlayer() {
  static std::unique_ptr<SoundPlayer> player;
  return player;
}

}  // namespace

void StopSound() {
  auto& player = CurrentPlayer();
  if (player == nullptr) return;
  player->Stop();
  player.reset();
}

void PlayMp3(const std::string& path) {
  StopSound();
  if (path.empty()) return;
  auto& player = CurrentPlayer();
  player = std::make_unique<SoundPlayer>(path, OpenFileSource(path),
                                         std::make_unique<WaveOutSink>());
  player->Start();  // a file that could not be opened leaves the player stopped
}

bool SoundPlaying() {
  const auto& player = CurrentPlayer();
  return player != nullptr && player->playing();
}

}  // namespace reminder
