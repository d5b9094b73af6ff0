#include "app/delayed_call.h"

#include <gtest/gtest.h>

#include <vector>

namespace app {
namespace {

// Records what the delayed call asks of its timer; the test fires it by hand.
class ManualTimer final : public OneShotTimer {
 public:
  bool Start(int32_t ms) override {
    log.push_back("start " + std::to_string(ms));
    running = accept;
    return accept;
  }
  void Stop() override {
    log.push_back("stop");
    running = false;
  }
  bool accept = true;
  bool running = false;
  std::vector<std::string> log;
};

TEST(DelayedCall, RunsOnceWhenFiredAfterStoppingTheTimer) {
  ManualTimer timer;
  DelayedCall call(timer);
  int calls = 0;
  bool timer_running_during_call = true;
  ASSERT_TRUE(call.Request(3000, [&] {
    ++calls;
    timer_running_during_call = timer.running;
  }));
  EXPECT_TRUE(call.pending());
  EXPECT_EQ(calls, 0);
  call.Fire();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(timer_running_during_call);
  EXPECT_FALSE(call.pending());
  call.Fire();  // a late timer message after the call
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(timer.log, (std::vector<std::string>{"start 3000", "stop"}));
}

TEST(DelayedCall, RefusedWhilePendingAndThePendingOneIsKept) {
  ManualTimer timer;
  DelayedCall call(timer);
  std::vector<int> ran;
  ASSERT_TRUE(call.Request(3000, [&] { ran.push_back(1); }));
  EXPECT_FALSE(call.Request(10, [&] { ran.push_back(2); }));
  EXPECT_FALSE(call.Request(0, [&] { ran.push_back(3); }));  // not even at once
  EXPECT_TRUE(ran.empty());
  call.Fire();
  EXPECT_EQ(ran, (std::vector<int>{1}));
  EXPECT_EQ(timer.log, (std::vector<std::string>{"start 3000", "stop"}));
}

TEST(DelayedCall, DelayBelowOneCallsBeforeReturning) {
  for (int32_t delay : {0, -1, INT32_MIN}) {
    ManualTimer timer;
    DelayedCall call(timer);
    int calls = 0;
    EXPECT_TRUE(call.Request(delay, [&] { ++calls; }));
    EXPECT_EQ(calls, 1) << delay;
    EXPECT_FALSE(call.pending());
    EXPECT_TRUE(timer.log.empty());
  }
}

TEST(DelayedCall, RoutineMayRequestTheNextCall) {
  ManualTimer timer;
  DelayedCall call(timer);
  int second = 0;
  bool accepted = false;
  ASSERT_TRUE(call.Request(5, [&] { accepted = call.Request(7, [&] { ++second; }); }));
  call.Fire();
  EXPECT_TRUE(accepted);
  EXPECT_TRUE(call.pending());
  call.Fire();
  EXPECT_EQ(second, 1);
  EXPECT_EQ(timer.log, (std::vector<std::string>{"start 5", "stop", "start 7", "stop"}));
}

TEST(DelayedCall, ATimerThePlatformRefusesLeavesNothingPending) {
  ManualTimer timer;
  timer.accept = false;
  DelayedCall call(timer);
  EXPECT_FALSE(call.Request(100, [] {}));
  EXPECT_FALSE(call.pending());
  timer.accept = true;
  EXPECT_TRUE(call.Request(100, [] {}));
}

}  // namespace
}  // namespace app
