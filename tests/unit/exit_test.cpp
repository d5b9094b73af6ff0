#include <gtest/gtest.h>

#include "app/exit_slot.h"
#include "app/globals.h"

namespace app {
namespace {

int g_runs = 0;
ExitSlot* g_slot = nullptr;
bool g_reentered = false;

void CountingRoutine() {
  ++g_runs;
  // An end that starts inside the routine finds the slot empty already.
  if (g_slot != nullptr) g_reentered = g_slot->RunOnce();
}

TEST(ExitSlot, RunsItsRoutineExactlyOnce) {
  ExitSlot slot;
  EXPECT_FALSE(slot.RunOnce());  // nothing registered yet
  g_runs = 0;
  g_slot = &slot;
  slot.Register(CountingRoutine);
  EXPECT_TRUE(slot.filled());
  EXPECT_TRUE(slot.RunOnce());
  EXPECT_FALSE(slot.RunOnce());
  EXPECT_EQ(g_runs, 1);
  EXPECT_FALSE(g_reentered);
  EXPECT_FALSE(slot.filled());
  g_slot = nullptr;
}

TEST(GlobalTexts, EmptyAtStartAndReleasedByTheExitRoutine) {
  EXPECT_TRUE(SoundFilePath.empty());
  EXPECT_TRUE(MessageText.empty());
  SoundFilePath.assign(4000, 'x');
  MessageText = "\xcc\xe1\xd0\xd1";
  ReleaseGlobalTexts();
  EXPECT_TRUE(SoundFilePath.empty());
  EXPECT_TRUE(MessageText.empty());
  EXPECT_LT(SoundFilePath.capacity(), 4000u);  // given back, not just cleared
}

}  // namespace
}  // namespace app
