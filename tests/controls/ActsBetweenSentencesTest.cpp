// What the user does between two sentences, on the simulated platform: a
// page asked for in the pause after a link is announced whole, and F2
// follows the link the user heard last, however the reading got there.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/SimulatedWindow.h"

namespace sonavia::controls {
namespace {

using Lines = std::vector<std::string>;

const char* const kFirst = "file:///w/index.htm";
const char* const kNext = "file:///w/seguent.htm";

class ActsBetweenSentencesTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  ActsBetweenSentencesTest() : SimulatedWindow("/w") {}

  void SetUp() override {
    main.FormCreate();
    about.FormCreate();
    main.TimerControlSituacio->SetEnabled(false);
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body =
        "<body><p>Un.</p><p><a href=\"seguent.htm\">Primer</a></p><p>Dos.</p>"
        "<p><a href=\"b.htm\">Segon</a></p><p>Tres.</p></body>";
    page.links = {kNext, "file:///w/b.htm"};
    browser.AddPage(kFirst, page);
    main.GoToAddress(kFirst);
    loop.RunFor(300 + 2500 + 50);
    ASSERT_EQ(list->LinkCount, 2);
  }
  // The texts handed to the library from `from` on, each with " Stop" when
  // the library was stopped while saying it.
  Lines Heard(size_t from) const {
    Lines heard;
    const Lines all = library.ReadsAndStops();
    for (size_t i = from; i < all.size(); ++i) {
      const std::string& line = all[i];
      const size_t read = line.find(" Read(");
      if (read != std::string::npos) {
        heard.push_back(line.substr(read + 6, line.size() - read - 7));
      } else if (!heard.empty()) {
        heard.back() += " Stop";
      }
    }
    return heard;
  }
  // Does `act` once the unit `unit` is being said (`during`) or in the
  // pause after it. Checked every 5 ms from inside the loop, so that it runs
  // inside the reading's own waits, as a key pressed then would.
  void When(int32_t unit, bool during, std::function<void()> act) {
    loop.Post(5, [this, unit, during, act] {
      const bool there = list->UnitCursor == unit && main.Speech.Speaking == during &&
                         (main.Speech.upcTVStatus() != 0) == during;
      if (there) {
        act();
      } else {
        When(unit, during, act);
      }
    });
  }
  Lines Navigated() const {
    Lines navigated;
    for (const auto& call : browser.calls) {
      if (call.rfind("Navigate(", 0) == 0) navigated.push_back(call.substr(9, call.size() - 10));
    }
    return navigated;
  }
};

TEST_F(ActsBetweenSentencesTest, APageAskedForBetweenTwoSentencesIsAnnouncedWhole) {
  for (const bool tooLong : {false, true}) {
    testing::ScriptedPage next;
    next.title = "Seguent";
    next.body = "<body><p>Hola.</p></body>";
    if (tooLong) {
      next.body.clear();
      for (int i = 0; i < 600; ++i) next.body += "<a href=\"l" + std::to_string(i) + "\">L</a> ";
    }
    browser.AddPage(kNext, next);
    const std::vector<std::pair<const char*, std::function<void()>>> moments = {
        {"F2 in the pause after a link's text",
         [&] { When(list->Link(1).UnitIndex, false, [&] { main.mnuAnarALink.Click(); }); }},
        {"Enter in the pause after a link's text",
         [&] {
           When(list->Link(1).UnitIndex, false, [&] { main.ApplicationEvents1Message(0x0D); });
         }},
        {"F2 while a link's text is said",
         [&] { When(list->Link(1).UnitIndex, true, [&] { main.mnuAnarALink.Click(); }); }},
        {"the pointed link followed in the pause after a text",
         [&] {
           When(list->Link(1).UnitIndex + 1, false, [&] {
             browser.ShowStatus(kNext);
             main.SpeedButtonAlLink.Click();
           });
         }},
    };
    for (const auto& [name, act] : moments) {
      SCOPED_TRACE(std::string(name) + (tooLong ? ", a page too long" : ""));
      main.GoToAddress(kFirst);
      loop.RunFor(300 + 2500 + 50);
      const size_t from = library.ReadsAndStops().size();
      act();
      loop.RunFor(8000);
      const Lines heard = Heard(from);
      Lines wanted = {"Pàgina carregada ", "Títol ", "Seguent "};
      if (tooLong)
        wanted.insert(wanted.begin() + 1, "Document massa llarg, no el podré llegir tot");
      auto start = std::find(heard.begin(), heard.end(), wanted.front());
      ASSERT_NE(start, heard.end()) << ::testing::PrintToString(heard);
      const auto shown = std::min(heard.end() - start, static_cast<ptrdiff_t>(wanted.size()));
      EXPECT_EQ(Lines(start, start + shown), wanted) << ::testing::PrintToString(heard);
    }
  }
}

TEST_F(ActsBetweenSentencesTest, F2FollowsTheLinkHeardLastAfterAPointerOrTab) {
  const char* const kSecond = "file:///w/b.htm";
  struct Case {
    const char* name;
    const char* passed;  // the reading has gone past this unit
    bool tab;            // the link reached with Tab, else pointed at
    const char* target;
    bool inThePause;  // F2 in the pause after the link's text, else during it
  } const cases[] = {
      {"back to the first by Tab", "TRES.", true, kNext, false},
      {"back to the first by the pointer", "TRES.", false, kNext, true},
      {"the second again by the pointer", "TRES.", false, kSecond, false},
      {"the second again by Tab", "TRES.", true, kSecond, true},
      {"ahead to the second", "UN.", false, kSecond, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    main.GoToAddress(kFirst);
    loop.RunFor(300 + 2500 + 50);
    ASSERT_TRUE(RunUntilReading(c.passed));
    if (c.tab) main.SpeedButtonTab.Click();
    browser.ShowStatus(c.target);
    const int32_t k = std::string(c.target) == kNext ? 1 : 2;
    browser.calls.clear();
    bool pressed = false;
    When(list->Link(k).UnitIndex, !c.inThePause, [&] {
      pressed = true;
      main.mnuAnarALink.Click();
    });
    loop.RunFor(5000);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(Navigated(), Lines{c.target});
  }
}

}  // namespace
}  // namespace sonavia::controls
