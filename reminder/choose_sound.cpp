#include "reminder/handlers.h"

#include <string>
#include <utility>

#include "app/globals.h"
#include "reminder/sound_name.h"

namespace reminder {

void ChooseSoundClicked(tk::Window& main_window) {
  auto* dialog = main_window.Find<tk::FileDialog>("通用对话框1");
  const auto* play_music = main_window.Find<tk::CheckBox>("选择框1");
  auto* sound_name = main_window.Find<tk::EditBox>("编辑框4");
  if (dialog == nullptr || play_music == nullptr || sound_name == nullptr) return;

  dialog->settings().kind = tk::FileDialogSettings::Kind::kOpen;
  dialog->settings().filter = "mp3|*.mp3";
  if (!play_music->ticked()) return;
  std::string chosen;
  if (!dialog->Open(&chosen)) return;
  app::SoundFilePath = std::move(chosen);
  sound_name->SetText(DisplayedSoundName(app::SoundFilePath));
}

}  // namespace reminder
