// The order of a page's document completions, with the engine's reports and
// its snapshot reads scripted on the simulated loop.
#include "shell/CompletionOrder.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/UnitTools.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::shell {
namespace {

using Snapshot = CompletionOrder::Snapshot;

// An engine whose snapshot reads take a while, and a log of what the order
// asks for and raises, with the tick count.
class CompletionOrderTest : public ::testing::Test {
 protected:
  testing::SimulatedEventLoop loop;
  std::vector<std::string> log;
  // How long each read takes, in the order they are asked for; 50 ms when
  // none is left.
  std::deque<uint32_t> readTimes;
  // Runs inside each completion's handler.
  std::function<void(bool top)> handler;
  int depth = 0, deepest = 0;
  std::vector<Snapshot> asked;
  uint64_t origin = 0;  // where the log's times count from
  std::unique_ptr<CompletionOrder> order;

  void SetUp() override { Restart(); }
  // A new order, and a log that counts from now.
  void Restart() {
    order = std::make_unique<CompletionOrder>(
        CompletionOrder::Actions{[this](Snapshot s) { Read(s); },
                                 [this](bool top) { Completed(top); }},
        loop);
    log.clear();
    origin = loop.Elapsed();
  }
  void Note(const std::string& what) {
    log.push_back(std::to_string(loop.Elapsed() - origin) + " " + what);
  }
  void Read(Snapshot s) {
    asked.push_back(s);
    Note(s.top ? "read top" : "read frame");
    uint32_t time = 50;
    if (!readTimes.empty()) {
      time = readTimes.front();
      readTimes.pop_front();
    }
    loop.Post(time, [this, s] {
      if (order != nullptr) order->SnapshotRead(s);
    });
  }
  void Completed(bool top) {
    ++depth;
    deepest = std::max(deepest, depth);
    Note(std::string(top ? "top" : "frame") + (order->Busy() ? " complete, busy" : " complete"));
    if (handler) handler(top);
    --depth;
  }
  // Posts an engine report `at` ms from now.
  void At(uint32_t at, std::function<void(CompletionOrder&)> report) {
    loop.Post(at, [this, report] {
      if (order != nullptr) report(*order);
    });
  }
};

// The engine reports a load, and its top document is created.
const auto kStart = [](CompletionOrder& o) {
  o.LoadStarted();
  o.TopStarted();
};
const auto kFrame = [](CompletionOrder& o) { o.FrameLoaded(); };
const auto kTop = [](CompletionOrder& o) { o.TopLoaded(); };

TEST_F(CompletionOrderTest, APageWithoutFramesCompletesOnceItsTopDocumentIsRead) {
  EXPECT_FALSE(order->Busy());
  At(0, kStart);
  At(100, kTop);
  loop.RunFor(10);
  EXPECT_TRUE(order->Busy());
  loop.RunFor(1000);
  EXPECT_FALSE(order->Busy());
  EXPECT_EQ(log, (std::vector<std::string>{"100 read top", "150 top complete"}));
}

TEST_F(CompletionOrderTest, FramesCompleteFirstWhateverOrderTheEngineReports) {
  // The engine finishes the top document while both frames are still
  // being read, and the second frame's read comes back first.
  readTimes = {80, 30, 50};
  At(0, kStart);
  At(10, kFrame);
  At(20, kFrame);
  At(25, kTop);
  loop.RunFor(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"10 read frame", "20 read frame",
                                           "50 frame complete, busy", "90 frame complete, busy",
                                           "90 read top", "140 top complete"}));
}

TEST_F(CompletionOrderTest, AFrameReportedOutsideItsPagesLoadIsNotAFrameOfIt) {
  At(0, kFrame);  // before any load
  At(10, kStart);
  At(20, kTop);
  At(30, kFrame);   // after the top document finished
  At(200, kFrame);  // after the page completed
  loop.RunFor(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"20 read top", "70 top complete"}));
}

TEST_F(CompletionOrderTest, ACompletionWhoseHandlerWaitsIsNeitherNestedNorOvertaken) {
  // Each handler dispatches messages for 400 ms, as the page's
  // announcement does, while the other reads come back.
  handler = [this](bool) { platform::WaitProcessingMessages(loop, 400); };
  readTimes = {50, 60, 70, 10};
  At(0, kStart);
  At(0, kFrame);
  At(0, kFrame);
  At(0, kFrame);
  At(5, kTop);
  loop.RunFor(3000);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(log, (std::vector<std::string>{"0 read frame", "0 read frame", "0 read frame",
                                           "50 frame complete, busy", "70 read top",
                                           "450 frame complete, busy", "850 frame complete, busy",
                                           "1250 top complete"}));
  EXPECT_FALSE(order->Busy());
}

TEST_F(CompletionOrderTest, ANewerLoadDropsWhatTheOlderOneStillHadToRaise) {
  struct Case {
    const char* name;
    std::vector<std::pair<uint32_t, void (*)(CompletionOrder&)>> reports;
    std::vector<std::string> expected;
  } const cases[] = {
      {"reads in flight",
       {{0, kStart}, {0, kFrame}, {10, kTop}, {20, kStart}, {100, kTop}},
       {"0 read frame", "100 read top", "150 top complete"}},
      {"the top document's read in flight",
       {{0, kStart}, {10, kTop}, {20, kStart}, {30, kTop}},
       {"10 read top", "30 read top", "80 top complete"}},
      {"an older frame's read coming back while the new page's frame is read",
       {{0, kStart}, {0, kFrame}, {20, kStart}, {30, kFrame}, {40, kTop}},
       {"0 read frame", "30 read frame", "80 frame complete, busy", "80 read top",
        "130 top complete"}},
      {"the older top document still waiting for its frames",
       {{0, kStart}, {0, kFrame}, {10, kTop}, {20, kStart}, {30, kFrame}, {200, kTop}},
       {"0 read frame", "30 read frame", "80 frame complete, busy", "200 read top",
        "250 top complete"}},
  };
  for (const auto& c : cases) {
    Restart();
    for (const auto& [at, report] : c.reports) At(at, report);
    loop.RunFor(1000);
    EXPECT_EQ(log, c.expected) << c.name;
    EXPECT_FALSE(order->Busy()) << c.name;
  }
}

TEST_F(CompletionOrderTest, ALoadStartedInsideAHandlerDropsTheCompletionsQueuedBehindIt) {
  // The first frame's handler waits; meanwhile the second frame is read
  // and queued, and the user leaves for another page.
  handler = [this](bool top) {
    if (!top && log.size() == 3) platform::WaitProcessingMessages(loop, 200);
  };
  At(0, kStart);
  At(0, kFrame);
  At(10, kFrame);
  At(100, kStart);
  At(300, kTop);
  loop.RunFor(1000);
  EXPECT_EQ(log,
            (std::vector<std::string>{"0 read frame", "10 read frame", "50 frame complete, busy",
                                      "300 read top", "350 top complete"}));
}

TEST_F(CompletionOrderTest, ACompletionGoesOnlyToTheLoadThatAskedForIt) {
  At(0, kStart);
  At(10, kTop);
  loop.RunFor(20);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(order->Current(asked[0]));
  order->LoadStarted();
  EXPECT_TRUE(order->Busy());
  EXPECT_FALSE(order->Current(asked[0]));
  loop.RunFor(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"10 read top"}));
  EXPECT_TRUE(order->Busy()) << "the new load has not finished";
}

TEST_F(CompletionOrderTest, APageWhoseProcessEndedRaisesNothingMoreAndIsNotBusy) {
  const auto kEnded = [](CompletionOrder& o) { o.Abandon(); };
  struct Case {
    const char* name;
    std::vector<std::pair<uint32_t, void (*)(CompletionOrder&)>> reports;
    std::vector<std::string> expected;
  } const cases[] = {
      // The engine still reports the failed load's end, and late frames.
      {"while loading", {{0, kStart}, {10, kEnded}, {20, kTop}, {30, kFrame}}, {}},
      {"with a frame's read in flight",
       {{0, kStart}, {0, kFrame}, {10, kEnded}, {20, kTop}},
       {"0 read frame"}},
      {"with the top document's read in flight",
       {{0, kStart}, {10, kTop}, {20, kEnded}},
       {"10 read top"}},
      {"once complete",
       {{0, kStart}, {10, kTop}, {100, kEnded}, {110, kTop}},
       {"10 read top", "60 top complete"}},
      {"and loaded again",
       {{0, kStart}, {10, kEnded}, {20, kTop}, {30, kStart}, {40, kTop}},
       {"40 read top", "90 top complete"}},
  };
  for (const auto& c : cases) {
    Restart();
    for (const auto& [at, report] : c.reports) At(at, report);
    loop.RunFor(15);
    loop.RunFor(1000);
    EXPECT_EQ(log, c.expected) << c.name;
    EXPECT_FALSE(order->Busy()) << c.name;
  }
}

TEST_F(CompletionOrderTest, NothingIsRaisedOnceForgottenNorAfterAHandlerDestroysIt) {
  At(0, kStart);
  At(0, kFrame);
  At(5, kFrame);
  At(10, kTop);
  loop.RunFor(20);
  order->Forget();
  loop.RunFor(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"0 read frame", "5 read frame"}));

  // The window closes inside the first completion's handler, with the
  // second frame's completion queued behind it.
  Restart();
  readTimes = {10, 20};
  handler = [this](bool) {
    platform::WaitProcessingMessages(loop, 100);
    order.reset();
  };
  At(0, kStart);
  At(0, kFrame);
  At(0, kFrame);
  At(1, kTop);
  loop.RunFor(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"0 read frame", "0 read frame",
                                           "10 frame complete, busy", "20 read top"}));
}

// The page is taken as loaded once its text is there and has settled,
// whatever is still loading; the engine's own end comes later and changes
// nothing.
TEST_F(CompletionOrderTest, ThePageIsTakenAsLoadedOnceItsTextHasSettled) {
  const auto kParsed = [](CompletionOrder& o) { o.TopParsed(); };
  const auto kChanged = [](CompletionOrder& o) { o.TopChanged(); };
  const auto kEngineStart = [](CompletionOrder& o) { o.LoadStarted(); };
  // A new top document, with a load of its own when the engine reported none.
  const auto kDocument = [](CompletionOrder& o) {
    if (!o.TopStarted()) {
      o.LoadStarted();
      o.TopStarted();
    }
  };
  using Reports = std::vector<std::pair<uint32_t, void (*)(CompletionOrder&)>>;
  Reports changingForever = {{0, kStart}, {100, kParsed}};
  for (uint32_t t = 100; t < 6000; t += 200) changingForever.push_back({t, kChanged});
  Reports heldOpen = {{0, kStart}};
  for (uint32_t t = 50; t <= 650; t += 200) heldOpen.push_back({t, kChanged});
  heldOpen.push_back({60000, kTop});
  struct Case {
    const char* name;
    Reports reports;
    std::vector<std::string> expected;
  } const cases[] = {
      {"parsed, a picture never ends",
       {{0, kStart}, {200, kChanged}, {400, kParsed}, {60000, kTop}},
       {"700 read top", "750 top complete"}},
      {"parsed and still changing for a while",
       {{0, kStart}, {400, kParsed}, {500, kChanged}, {700, kChanged}},
       {"1000 read top", "1050 top complete"}},
      {"parsed and changing forever", changingForever, {"2100 read top", "2150 top complete"}},
      {"the engine's end before it settles",
       {{0, kStart}, {400, kParsed}, {450, kTop}, {800, kChanged}},
       {"450 read top", "500 top complete"}},
      {"the engine's end while its text is being read",
       {{0, kStart}, {100, kParsed}, {420, kTop}},
       {"400 read top", "450 top complete"}},
      {"a connection held open", heldOpen, {"2150 read top", "2200 top complete"}},
      {"nothing in the body yet",
       {{0, kStart}, {9000, kTop}},
       {"9000 read top", "9050 top complete"}},
      {"a frame still being read",
       {{0, kStart}, {100, kFrame}, {200, kParsed}, {60000, kTop}},
       {"100 read frame", "150 frame complete, busy", "500 read top", "550 top complete"}},
      {"what the page left behind reports once a load began",
       {{0, kEngineStart}, {50, kChanged}, {60, kFrame}, {500, kDocument}, {600, kParsed}},
       {"900 read top", "950 top complete"}},
      {"a page asked for while the last one still loads",
       {{0, kStart}, {100, kParsed}, {1000, kChanged}, {3000, kDocument}, {3100, kParsed}},
       {"400 read top", "450 top complete", "3400 read top", "3450 top complete"}},
      {"parsed after a newer load began",
       {{0, kStart}, {100, kParsed}, {200, kStart}, {700, kTop}},
       {"700 read top", "750 top complete"}},
  };
  for (const auto& c : cases) {
    Restart();
    for (const auto& [at, report] : c.reports) At(at, report);
    loop.RunFor(70000);
    EXPECT_EQ(log, c.expected) << c.name;
    EXPECT_FALSE(order->Busy()) << c.name;
  }
}

}  // namespace
}  // namespace sonavia::shell
