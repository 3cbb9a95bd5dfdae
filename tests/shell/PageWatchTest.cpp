// Whether the page still answers, with its answers scripted on the
// simulated loop.
#include "shell/PageWatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/SimulatedEventLoop.h"

namespace sonavia::shell {
namespace {

// A page that answers each question 20 ms later while `answering`, and
// whose ended process is reported 30 ms later while `endsAtOnce`.
struct Rig {
  testing::SimulatedEventLoop loop;
  std::vector<std::string> log;
  bool answering = true;
  bool processes = true;  // there is a process to end
  bool endsAtOnce = true;
  PageWatch watch{{[this](uint64_t q) { Ask(q); }, [this] { Note("not responding"); },
                   [this] { return End(); }},
                  loop};

  void Note(const std::string& what) { log.push_back(std::to_string(loop.Elapsed()) + " " + what); }
  void Ask(uint64_t question) {
    if (answering) loop.Post(20, [this, question] { watch.Answered(question); });
  }
  bool End() {
    Note("end process");
    if (!processes) return false;
    if (endsAtOnce) {
      loop.Post(30, [this] {
        answering = true;
        if (!watch.ProcessEnded()) Note("told as a crash");
      });
    }
    return true;
  }
  void At(uint32_t t, std::function<void()> f) {
    loop.Post(static_cast<uint32_t>(t - loop.Elapsed()), std::move(f));
  }
};

TEST(PageWatch, APageThatStopsAnsweringIsToldOnceAndACommandGetsAFreshProcess) {
  struct Case {
    const char* name;
    uint32_t hangAt;  // the page stops answering; 0 never
    uint32_t reloadAt;
    bool processes, endsAtOnce;
    std::vector<std::string> expected;
  } const cases[] = {
      {"answering", 0, 6000, true, true, {"6000 reload"}},
      // Asked at 3000 and unanswered 3 s later.
      {"hung", 2500, 9000, true, true, {"6000 not responding", "9000 end process", "9030 reload"}},
      // A page may be busy for a moment: only one that is told hung is ended.
      {"hung, reloaded before it is told",
       2500,
       4000,
       true,
       true,
       {"4000 reload", "6000 not responding"}},
      {"hung, no process to end",
       2500,
       7000,
       false,
       true,
       {"6000 not responding", "7000 end process", "7000 reload"}},
      {"hung, its end never reported",
       2500,
       7000,
       true,
       false,
       {"6000 not responding", "7000 end process", "9000 reload"}},
  };
  for (const auto& c : cases) {
    Rig r;
    r.processes = c.processes;
    r.endsAtOnce = c.endsAtOnce;
    if (c.hangAt != 0) r.At(c.hangAt, [&r] { r.answering = false; });
    r.At(c.reloadAt, [&r] { r.watch.Run([&r] { r.Note("reload"); }); });
    r.loop.RunFor(c.reloadAt + 3000);
    EXPECT_EQ(r.log, c.expected) << c.name;
  }
}

TEST(PageWatch, AFreshProcessAnswersAndAHungOneIsToldAgain) {
  Rig r;
  r.At(2500, [&r] { r.answering = false; });
  r.At(7000, [&r] { r.watch.Run([&r] { r.Note("reload"); }); });
  r.At(12500, [&r] { r.answering = false; });
  r.loop.RunFor(20000);
  EXPECT_EQ(r.log, (std::vector<std::string>{"6000 not responding", "7000 end process",
                                             "7030 reload", "16000 not responding"}));
}

TEST(PageWatch, APageWaitingForItsDialogIsNotHung) {
  Rig r;
  r.At(2500, [&r] {
    r.answering = false;
    r.watch.DialogOpen(true);
  });
  r.At(20000, [&r] { r.watch.DialogOpen(false); });
  r.loop.RunFor(22000);
  EXPECT_EQ(r.log, std::vector<std::string>{});
  EXPECT_TRUE(r.watch.Responding());
  r.loop.RunFor(2000);
  EXPECT_EQ(r.log, std::vector<std::string>{"23000 not responding"}) << "its own time counts again";
  EXPECT_FALSE(r.watch.Responding());
}

TEST(PageWatch, ACommandLeavesAPageHeldInItsDialogThroughAFreshProcess) {
  Rig r;
  r.At(2500, [&r] { r.watch.DialogOpen(true); });
  r.At(3000, [&r] { r.watch.Run([&r] { r.Note("reload"); }); });
  r.loop.RunFor(4000);
  EXPECT_EQ(r.log, (std::vector<std::string>{"3000 end process", "3030 reload"}));
}

}  // namespace
}  // namespace sonavia::shell
