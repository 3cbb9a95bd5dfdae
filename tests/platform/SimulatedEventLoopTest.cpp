#include "support/SimulatedEventLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/UnitTools.h"

namespace sonavia::testing {
namespace {

using platform::WaitProcessingMessages;

struct Log {
  SimulatedEventLoop& loop;
  std::vector<std::string> lines;
  void Add(const std::string& what) {
    lines.push_back(std::to_string(loop.Elapsed()) + " " + what);
  }
};

std::unique_ptr<platform::Timer> MakeTimer(SimulatedEventLoop& loop, uint32_t interval,
                                           std::function<void()> handler, bool enabled = true) {
  auto timer = loop.CreateTimer();
  timer->SetEnabled(false);
  timer->SetInterval(interval);
  timer->SetOnTimer(std::move(handler));
  timer->SetEnabled(enabled);
  return timer;
}

TEST(SimulatedEventLoop, TimersFireInOrderOfDueTime) {
  SimulatedEventLoop loop;
  Log log{loop, {}};
  auto a = MakeTimer(loop, 300, [&] { log.Add("a"); });
  auto b = MakeTimer(loop, 200, [&] { log.Add("b"); });
  loop.Post(250, [&] { log.Add("event"); });
  loop.RunFor(650);
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{"200 b", "250 event", "300 a", "400 b", "600 a", "600 b"}));
}

TEST(SimulatedEventLoop, TimerSwitchedFromInsideHandlers) {
  SimulatedEventLoop loop;
  Log log{loop, {}};
  std::unique_ptr<platform::Timer> other;
  auto self = MakeTimer(loop, 100, nullptr);
  self->SetOnTimer([&] {
    log.Add("self");
    self->SetEnabled(false);  // stops itself: no further tick
    other->SetEnabled(true);  // starts the other, counting from now
  });
  other = MakeTimer(
      loop, 150, [&] { log.Add("other"); }, false);
  loop.RunFor(500);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"100 self", "250 other", "400 other"}));
  EXPECT_FALSE(self->Enabled());
}

TEST(SimulatedEventLoop, DisabledTimerDueInTheSameDispatchDoesNotFire) {
  SimulatedEventLoop loop;
  Log log{loop, {}};
  std::unique_ptr<platform::Timer> second;
  auto first = MakeTimer(loop, 100, [&] {
    log.Add("first");
    second->SetEnabled(false);
  });
  second = MakeTimer(loop, 100, [&] { log.Add("second"); });
  loop.RunFor(250);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"100 first", "200 first"}));
}

TEST(SimulatedEventLoop, WaitsDispatchAndNest) {
  SimulatedEventLoop loop;
  Log log{loop, {}};
  auto ticker = MakeTimer(loop, 100, [&] { log.Add("tick"); });
  loop.Post(50, [&] {
    log.Add("outer begins");
    WaitProcessingMessages(loop, 300);
    log.Add("outer ends");
  });
  loop.Post(120, [&] {
    log.Add("inner begins");
    WaitProcessingMessages(loop, 100);
    log.Add("inner ends");
  });
  loop.RunFor(400);
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{"50 outer begins", "100 tick", "120 inner begins", "200 tick",
                                      "220 inner ends", "300 tick", "350 outer ends", "400 tick"}));
}

TEST(SimulatedEventLoop, TimerTicksAgainInsideItsOwnWait) {
  SimulatedEventLoop loop;
  Log log{loop, {}};
  int depth = 0;
  auto timer = MakeTimer(loop, 100, nullptr);
  timer->SetOnTimer([&] {
    log.Add("tick depth " + std::to_string(depth));
    if (depth++ == 0) WaitProcessingMessages(loop, 250);
    --depth;
  });
  loop.RunFor(300);
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{"100 tick depth 0", "200 tick depth 1", "300 tick depth 1"}));
}

TEST(WaitProcessingMessages, MeasuresAcrossTheCounterWrap) {
  for (const uint32_t start : {0u, 0xFFFFFF00u, 0xFFFFFFFFu}) {
    SimulatedEventLoop loop(start);
    Log log{loop, {}};
    auto ticker = MakeTimer(loop, 400, [&] { log.Add("tick"); });
    WaitProcessingMessages(loop, 1000);
    EXPECT_EQ(loop.Elapsed(), 1000u) << start;
    EXPECT_EQ(log.lines, (std::vector<std::string>{"400 tick", "800 tick"})) << start;
  }
}

// Counts the loop's calls: each is one wake-up of the thread.
class CountingLoop : public platform::EventLoop {
 public:
  explicit CountingLoop(SimulatedEventLoop& loop) : loop_(loop) {}
  uint32_t TickCount() override { return loop_.TickCount(); }
  void ProcessMessages() override {
    ++wakeUps;
    loop_.ProcessMessages();
  }
  void WaitForMessages(uint32_t longest) override {
    ++wakeUps;
    loop_.WaitForMessages(longest);
  }
  std::unique_ptr<platform::Timer> CreateTimer() override { return loop_.CreateTimer(); }
  int wakeUps = 0;

 private:
  SimulatedEventLoop& loop_;
};

TEST(WaitProcessingMessages, SleepsUntilAMessageOrTheEnd) {
  struct Case {
    const char* name;
    uint32_t wait;
    uint32_t tickEvery;  // 0: no timer
    int mostWakeUps;
  };
  const Case cases[] = {
      {"nothing pending", 2500, 0, 1},
      {"a poll every 100 ms", 2500, 100, 25},
      {"a timer beyond the end", 500, 10000, 1},
  };
  for (const auto& c : cases) {
    SimulatedEventLoop loop;
    CountingLoop counting(loop);
    int ticks = 0;
    auto timer = MakeTimer(
        loop, c.tickEvery, [&] { ++ticks; }, c.tickEvery != 0);
    WaitProcessingMessages(counting, c.wait);
    EXPECT_EQ(loop.Elapsed(), c.wait) << c.name;
    EXPECT_LE(counting.wakeUps, c.mostWakeUps) << c.name;
    EXPECT_EQ(ticks, c.tickEvery == 0 ? 0 : static_cast<int>((c.wait - 1) / c.tickEvery)) << c.name;
  }
}

// What falls due at the very end of a wait runs after it, as it always has:
// the code after the wait comes first.
TEST(WaitProcessingMessages, WhatIsDueAtTheEndComesAfterIt) {
  SimulatedEventLoop loop;
  Log log{loop, {}};
  loop.Post(10, [&] {
    log.Add("wait begins");
    WaitProcessingMessages(loop, 500);
    log.Add("wait ends");
  });
  loop.Post(509, [&] { log.Add("just before"); });
  loop.Post(510, [&] { log.Add("at the end"); });
  loop.RunFor(600);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"10 wait begins", "509 just before",
                                                 "510 wait ends", "510 at the end"}));
}

// An outer wait whose end passes inside an inner one ends as soon as the
// inner one returns, before anything else runs.
TEST(WaitProcessingMessages, OuterEndPassedInsideAnInnerWait) {
  SimulatedEventLoop loop;
  Log log{loop, {}};
  auto ticker = MakeTimer(loop, 100, [&] { log.Add("tick"); });
  loop.Post(50, [&] {
    log.Add("outer begins");
    WaitProcessingMessages(loop, 200);
    log.Add("outer ends");
  });
  loop.Post(120, [&] {
    log.Add("inner begins");
    WaitProcessingMessages(loop, 230);
    log.Add("inner ends");
  });
  loop.Post(350, [&] { log.Add("due as the inner ends"); });
  loop.RunFor(400);
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{"50 outer begins", "100 tick", "120 inner begins", "200 tick",
                                      "300 tick", "350 inner ends", "350 outer ends",
                                      "350 due as the inner ends", "400 tick"}));
}

TEST(WaitProcessingMessages, ZeroReturnsWithoutDispatching) {
  SimulatedEventLoop loop;
  bool ran = false;
  loop.Post(0, [&] { ran = true; });
  WaitProcessingMessages(loop, 0);
  EXPECT_FALSE(ran);
  EXPECT_EQ(loop.Elapsed(), 0u);
}

TEST(WaitProcessingMessages, EndsOnTimeWhenTimersAreFarAway) {
  SimulatedEventLoop loop;
  auto late = MakeTimer(loop, 10000, [] {});
  WaitProcessingMessages(loop, 500);
  EXPECT_EQ(loop.Elapsed(), 500u);
}

TEST(SimulatedEventLoop, DestroyedTimerNeverFires) {
  SimulatedEventLoop loop;
  int ticks = 0;
  auto timer = MakeTimer(loop, 100, [&] { ++ticks; });
  loop.Post(150, [&] { timer.reset(); });
  loop.RunFor(1000);
  EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace sonavia::testing

namespace sonavia::testing {
namespace {

// Late delivery: the next tick counts from the late one, and a tick that
// fell due before its timer stopped is still delivered once when asked.
TEST(SimulatedEventLoop, LateTicksRearmFromTheirDelivery) {
  struct Case {
    const char* name;
    uint32_t lateness;
    bool stale;
    uint32_t stopAt;  // 0: never stopped
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"on time", 0, false, 0, {"100 tick", "200 tick", "300 tick"}},
      {"late", 30, false, 0, {"130 tick", "260 tick"}},
      {"stopped before a late tick, stale off", 30, false, 115, {}},
      {"stopped before a late tick, stale on", 30, true, 115, {"130 tick"}},
      {"stopped before falling due, stale on", 30, true, 90, {}},
  };
  for (const auto& c : cases) {
    SimulatedEventLoop loop;
    loop.SetTimerLateness(c.lateness, c.stale);
    Log log{loop, {}};
    auto timer = loop.CreateTimer();
    timer->SetInterval(100);
    timer->SetOnTimer([&] { log.Add("tick"); });
    if (c.stopAt != 0) loop.Post(c.stopAt, [&] { timer->SetEnabled(false); });
    loop.RunFor(300);
    EXPECT_EQ(log.lines, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace sonavia::testing
