#include "reminder/handlers.h"

#include "app/globals.h"
#include "reminder/clock.h"
#include "reminder/play_mp3.h"
#include "toolkit/win/message_box.h"
#include "ui/visual_style.h"

namespace reminder {
namespace {

constexpr int32_t kTickMilliseconds = 100;

}  // namespace

void MainWindowCreated(tk::Window& main_window) {
  if (auto* clock = main_window.Find<tk::Timer>("时钟2")) clock->SetPeriod(kTickMilliseconds);
  ui::ApplyVisualStyle(3);
}

void ClockTick(tk::Window& main_window) {
  auto* clock_text = main_window.Find<tk::Label>("标签_电脑时间");
  auto* play_music = main_window.Find<tk::CheckBox>("选择框1");
  auto* choose = main_window.Find<tk::Button>("按钮2");
  if (clock_text == nullptr || play_music == nullptr || choose == nullptr) return;

  const DateTime now = CurrentDateTime();
  clock_text->SetCaption(FormatDateTime(now));
  choose->SetDisabled(!play_music->ticked());
}

void ArmClicked(tk::Window& main_window) {
  if (auto* alarm = main_window.Find<tk::Timer>("时钟1")) alarm->SetPeriod(kTickMilliseconds);
}

void AlarmTick(tk::Window& main_window) {
  auto* alarm = main_window.Find<tk::Timer>("时钟1");
  const auto* hour_box = main_window.Find<tk::EditBox>("编辑框1");
  const auto* minute_box = main_window.Find<tk::EditBox>("编辑框3");
  const auto* memo = main_window.Find<tk::EditBox>("编辑框2");
  if (alarm == nullptr || hour_box == nullptr || minute_box == nullptr || memo == nullptr) return;

  if (!Matches(CurrentDateTime().hour, TextToNumber(hour_box->text()))) return;
  // The clock is read again: the minute may have turned since the hour was read.
  if (!Matches(CurrentDateTime().minute, TextToNumber(minute_box->text()))) return;
  alarm->SetPeriod(0);
  PlayMp3(app::SoundFilePath);
  app::MessageText = memo->text();  // what the user wrote beside "提醒内容："
  tk::ShowMessageBox(app::MessageText, "时间到了~");
}

}  // namespace reminder
