// How many dialogs a page may open, on the simulated clock.
#include "shell/PageDialogLimit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/SimulatedEventLoop.h"

namespace sonavia::shell {
namespace {

// At each time (ms from the start), a dialog asked for, or with "page" a
// new page loading; what each dialog got, as "time:window" or
// "time:answered".
struct Step {
  uint32_t at;
  bool newPage = false;
};

std::string Outcomes(uint32_t startTick, const std::vector<Step>& steps) {
  testing::SimulatedEventLoop loop(startTick);
  PageDialogLimit limit(loop);
  std::string outcome;
  uint32_t now = 0;
  for (const Step& step : steps) {
    loop.RunFor(step.at - now);
    now = step.at;
    if (step.newPage) {
      limit.NewPage();
      continue;
    }
    if (!outcome.empty()) outcome += ' ';
    outcome += std::to_string(step.at) + (limit.MayShow() ? ":window" : ":answered");
  }
  return outcome;
}

TEST(PageDialogLimit, AfterThreeDialogsWithinTenSecondsTheRestAreAnsweredWithoutAWindow) {
  struct Case {
    const char* name;
    uint32_t startTick;
    std::vector<Step> steps;
    const char* expected;
  } const cases[] = {
      {"three at once, then the fourth",
       0,
       {{0}, {0}, {0}, {0}},
       "0:window 0:window 0:window 0:answered"},
      {"the first still counts at exactly ten seconds",
       0,
       {{0}, {1}, {2}, {10000}, {10001}},
       "0:window 1:window 2:window 10000:answered 10001:window"},
      {"one ages out at a time",
       0,
       {{0}, {5000}, {9000}, {10001}, {10002}, {15000}, {15001}},
       "0:window 5000:window 9000:window 10001:window 10002:answered 15000:answered "
       "15001:window"},
      {"dialogs answered without a window do not count",
       0,
       {{0}, {1}, {2}, {3000}, {6000}, {9999}, {10001}},
       "0:window 1:window 2:window 3000:answered 6000:answered 9999:answered 10001:window"},
      {"a new page counts afresh",
       0,
       {{0}, {1}, {2}, {3}, {4, true}, {5}, {6}, {7}, {8}},
       "0:window 1:window 2:window 3:answered 5:window 6:window 7:window 8:answered"},
      {"spread out, every dialog gets a window",
       0,
       {{0}, {4000}, {8000}, {12000}, {16000}},
       "0:window 4000:window 8000:window 12000:window 16000:window"},
      {"the tick count wraps in between",
       0xFFFFFFFFu - 5,
       {{0}, {1}, {2}, {3}, {10000}, {10001}},
       "0:window 1:window 2:window 3:answered 10000:answered 10001:window"},
  };
  for (const auto& c : cases) EXPECT_EQ(Outcomes(c.startTick, c.steps), c.expected) << c.name;
}

}  // namespace
}  // namespace sonavia::shell
