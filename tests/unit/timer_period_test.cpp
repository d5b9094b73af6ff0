#include "toolkit/timer_period.h"

#include <gtest/gtest.h>

#include <vector>

namespace tk {
namespace {

using Action = TimerPeriod::Action;

struct Step {
  int32_t write;
  Action action;
  int32_t held;
};

struct Sequence {
  const char* what;
  std::vector<Step> steps;
};

TEST(TimerPeriod, WritesFollowTheRule) {
  const Sequence sequences[] = {
      {"start then stop", {{100, Action::kRestart, 100}, {0, Action::kStop, 0}}},
      {"same value leaves a running timer alone",
       {{100, Action::kRestart, 100}, {100, Action::kNone, 100}}},
      {"another value restarts", {{100, Action::kRestart, 100}, {250, Action::kRestart, 250}}},
      {"negative is 0", {{100, Action::kRestart, 100}, {-5, Action::kStop, 0}}},
      {"negative while stopped does nothing", {{-1, Action::kNone, 0}}},
      {"0 while stopped does nothing", {{0, Action::kNone, 0}}},
      {"extremes", {{INT32_MAX, Action::kRestart, INT32_MAX}, {INT32_MIN, Action::kStop, 0}}},
  };
  for (const Sequence& s : sequences) {
    TimerPeriod period;
    for (const Step& step : s.steps) {
      EXPECT_EQ(period.Set(step.write), step.action) << s.what << ", writing " << step.write;
      EXPECT_EQ(period.value(), step.held) << s.what;
      EXPECT_EQ(period.running(), step.held > 0) << s.what;
    }
  }
}

TEST(TimerPeriod, InitialValueFromLayout) {
  EXPECT_EQ(TimerPeriod(0).value(), 0);
  EXPECT_EQ(TimerPeriod(-7).value(), 0);
  TimerPeriod running(100);
  EXPECT_TRUE(running.running());
  EXPECT_EQ(running.Set(100), Action::kNone);
}

}  // namespace
}  // namespace tk
