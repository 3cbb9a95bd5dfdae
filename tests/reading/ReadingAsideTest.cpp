// The reading giving way to short texts said over it, and the links it
// tells a listener about as it reads them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "reading/PageConverter.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"
#include "support/FakeSpeechLibrary.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::reading {
namespace {

using Lines = std::vector<std::string>;

// Records what it is told, with the virtual time.
struct Listener : LinkListener {
  explicit Listener(testing::SimulatedEventLoop& l) : loop(l) {}
  void LinkStarted(int32_t link) override {
    heard.push_back(std::to_string(loop.Elapsed()) + " start " + std::to_string(link));
  }
  void LinkEnded() override { heard.push_back(std::to_string(loop.Elapsed()) + " end"); }
  uint32_t PauseAfterLink() override { return pause; }
  testing::SimulatedEventLoop& loop;
  Lines heard;
  uint32_t pause = 0;
};

class ReadingAside : public ::testing::Test {
 protected:
  testing::SimulatedEventLoop loop;
  testing::FakeSpeechLibrary library{loop};
  std::unique_ptr<ReadingList> list = std::make_unique<ReadingList>();
  platform::Edit speedField{"EditVelocitat"};
  bool speechOn = true;
  speech::SpeechEngine engine{library, *list, speedField, [] { return std::string("file:///p/"); }};
  std::unique_ptr<platform::Timer> poll = loop.CreateTimer();
  ReadingSequencer sequencer{*list, engine, loop, *poll, [this] { return speechOn; }, speedField};
  PageConverter converter{*list, &sequencer};
  Listener listener{loop};

  void SetUp() override {
    speedField.SetText("180");
    ASSERT_FALSE(engine.LoadSpeechEngine());
    engine.SetSpeechRate(180);
    sequencer.SetLinkListener(&listener);
    library.ClearLog();
  }
  void Page(const std::string& html, ReadingMode mode = ReadingMode::Page) {
    list->SetReadingMode(mode);
    list->SetPageTitle("Ex");
    converter.ConvertPage(html);
  }
  // What the library was handed and told, with the virtual times; loads
  // and the voice switches they bring are left out.
  Lines Said() const {
    Lines said;
    for (const auto& line : library.timeline) {
      for (const char* call : {" Read(", " Stop", " SetSpeed(", " SetSpeaker"}) {
        if (line.find(call) != std::string::npos) said.push_back(line);
      }
    }
    return said;
  }
  void At(uint32_t time, std::function<void()> action) {
    loop.Post(time - static_cast<uint32_t>(loop.Elapsed()), std::move(action));
  }
};

TEST_F(ReadingAside, AUnitGivesWayAndIsReadAgainFromItsStartAfterTheAside) {
  Page("Una frase prou llarga. Dos.");
  library.msPerCharacter = 40;
  list->UnitCursor = 2;
  At(0, [&] { sequencer.SpeakNext(); });  // the unit comes after the pause, at 500
  At(700, [&] { sequencer.SpeakAside("Parar", 200); });
  loop.RunFor(4000);
  EXPECT_EQ(Said(), (Lines{"500 Read(UNA FRASE PROU LLARGA )",
                           // The item voice's speaker and the aside's own rate, both put
                           // back at once for the reading.
                           "700 SetSpeaker(2)", "700 SetSpeed(200)", "700 Read(Parar )",
                           "700 SetSpeed(180)", "700 SetSpeaker(0)",
                           // Said by 940; the poll sees it at 1000; the pause; the unit
                           // again, whole (880 ms); the next.
                           "1500 Read(UNA FRASE PROU LLARGA )", "2900 Read(DOS.  )"}));
  EXPECT_EQ(list->UnitCursor, 0) << "read to the end";
}

TEST_F(ReadingAside, AUnitDueWhileAnAsideIsSaidWaitsForIt) {
  Page("Un. Dos.");
  list->UnitCursor = 2;
  At(0, [&] { sequencer.SpeakNext(); });  // "UN" at 500, over by 530
  // "DOS." falls due at 1100, while the aside is said.
  At(800, [&] {
    library.msPerCharacter = 100;
    sequencer.SpeakAside("Refrescar", 180);
  });
  loop.RunFor(4000);
  EXPECT_EQ(Said(), (Lines{"500 Read(UN )", "800 SetSpeaker(2)", "800 Read(Refrescar )",
                           "800 SetSpeaker(0)", "2300 Read(DOS.  )"}))
      << "the aside ends at 1800, seen at once by the poll, and the pause follows";
}

TEST_F(ReadingAside, EachAsideCutsTheLastAndTheReadingWaitsForTheLast) {
  Page("Una frase prou llarga.");
  library.msPerCharacter = 100;
  list->UnitCursor = 2;
  At(0, [&] { sequencer.SpeakNext(); });
  // Each lasts 800 ms: the next cuts it.
  for (uint32_t t : {200u, 600u, 1000u}) At(t, [&] { sequencer.SpeakAside("Al link", 180); });
  loop.RunFor(3000);
  Lines reads;
  for (const auto& line : Said()) {
    if (line.find("Read(") != std::string::npos) reads.push_back(line);
  }
  EXPECT_EQ(reads, (Lines{"200 Read(Al link )", "600 Read(Al link )", "1000 Read(Al link )",
                          "2300 Read(UNA FRASE PROU LLARGA.  )"}));
}

TEST_F(ReadingAside, APauseWhileTheUnitHasGivenWayStepsBackOnce) {
  Page("Un. Dos. Tres.");
  library.msPerCharacter = 100;
  list->UnitCursor = 3;
  At(0, [&] { sequencer.SpeakNext(); });  // "DOS." at 500
  At(700, [&] { sequencer.SpeakAside("Tab", 180); });
  At(800, [&] {  // F3
    speechOn = false;
    sequencer.StepBackAndStop();
  });
  loop.RunFor(2000);
  EXPECT_EQ(list->UnitCursor, 3);
  EXPECT_FALSE(sequencer.AsideSounding()) << "the pause silences the aside too";
  library.ClearLog();
  speechOn = true;
  sequencer.SpeakNext();  // F3 again
  ASSERT_FALSE(Said().empty());
  EXPECT_EQ(Said().front(), "2500 Read(DOS )") << "the unit that gave way, not the one before";
}

TEST_F(ReadingAside, AResetDropsTheResumption) {
  Page("Un. Dos.");
  library.msPerCharacter = 100;
  list->UnitCursor = 2;
  At(0, [&] { sequencer.SpeakNext(); });  // "UN." at 500
  At(700, [&] { sequencer.SpeakAside("Parar", 180); });
  At(800, [&] {
    sequencer.StartReadingAt(0);  // a new page begins
    library.ClearLog();
  });
  loop.RunFor(5000);
  EXPECT_TRUE(Said().empty());
}

TEST_F(ReadingAside, ReadingLINKAgainAfterAPauseCountsItsLinkOnce) {
  Page("<a href=\"u.htm\">U</a> <a href=\"d.htm\">D</a>");
  list->ResolvedLink(1) = "file:///p/u.htm";
  list->ResolvedLink(2) = "file:///p/d.htm";
  library.msPerCharacter = 100;
  list->UnitCursor = 2;
  At(0, [&] { sequencer.SpeakNext(); });  // "LINK" of link 1, from 500 to 1000
  At(700, [&] {                           // F3
    speechOn = false;
    sequencer.StepBackAndStop();
  });
  loop.RunFor(900);
  EXPECT_EQ(list->LinkCursor, 0);
  At(1000, [&] {  // F3 again
    speechOn = true;
    sequencer.SpeakNext();
  });
  loop.RunFor(1000);  // "LINK" again at 1500
  EXPECT_EQ(list->LinkCursor, 1);
  sequencer.ResolveCurrentLink();
  EXPECT_EQ(list->LinkTarget, "file:///p/u.htm") << "F2 follows the link being read";
}

TEST_F(ReadingAside, TheListenerHearsEachLinkFromItsStartToTheEndOfItsText) {
  struct Case {
    ReadingMode mode;
    uint32_t pause;  // what the listener asks after a link's text
    Lines heard;
    Lines reads;
  } const cases[] = {
      // "LINK" after the pause, at 500; the text at 1100, over by 1120 and
      // seen by the poll at 1200; then the pause, or the listener's.
      {ReadingMode::Page,
       0,
       {"500 start 1", "1200 end", "1700 start 2", "2400 end"},
       // The blank unit at the end has nothing to say and is passed over.
       {"500 Read(LINK )", "1100 Read(U )", "1700 Read(LINK )", "2300 Read(D )"}},
      {ReadingMode::Page,
       1300,
       {"500 start 1", "1200 end", "2500 start 2", "3200 end"},
       {"500 Read(LINK )", "1100 Read(U )", "2500 Read(LINK )", "3100 Read(D )"}},
      {ReadingMode::Links,
       0,
       {"500 start 1", "600 end", "1100 start 2", "1200 end"},
       {"500 Read(U )", "1100 Read(D )"}},
      {ReadingMode::Links,
       1300,
       {"500 start 1", "600 end", "1900 start 2", "2000 end"},
       {"500 Read(U )", "1900 Read(D )"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << (c.mode == ReadingMode::Page ? "page" : "links") << " " << c.pause);
    Page("<a href=\"u.htm\">U</a><a href=\"d.htm\">D</a>", c.mode);
    listener.heard.clear();
    listener.pause = c.pause;
    loop.RunFor(10000);
    library.ClearLog();
    const uint32_t t0 = static_cast<uint32_t>(loop.Elapsed());
    // From the first link's "LINK" (unit 3) in the page walk.
    loop.Post(0, [&] {
      list->UnitCursor = 2;
      sequencer.SpeakNext();
    });
    loop.RunFor(5000);
    Lines heard, reads;
    for (const auto& h : listener.heard) {
      heard.push_back(std::to_string(std::stoul(h) - t0) + h.substr(h.find(' ')));
    }
    for (const auto& line : Said()) {
      if (line.find("Read(") == std::string::npos) continue;
      reads.push_back(std::to_string(std::stoul(line) - t0) + line.substr(line.find(' ')));
    }
    EXPECT_EQ(heard, c.heard);
    EXPECT_EQ(reads, c.reads);
  }
}

TEST_F(ReadingAside, TheListenerHearsALinkEndWhenTheReadingLeavesIt) {
  Page("<a href=\"u.htm\">U</a> Un.");
  library.msPerCharacter = 100;
  struct Case {
    const char* name;
    std::function<void()> leave;
  } const cases[] = {
      {"pause", [&] { sequencer.StepBackAndStop(); }},
      {"reset", [&] { sequencer.StartReadingAt(0); }},
      {"aside", [&] { sequencer.SpeakAside("Tab", 180); }},
      {"F2", [&] { sequencer.ResolveCurrentLink(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sequencer.StartReadingAt(0);
    loop.RunFor(3000);
    listener.heard.clear();
    loop.Post(0, [&] {
      list->UnitCursor = 2;
      sequencer.SpeakNext();
    });
    loop.RunFor(800);  // into "LINK"
    c.leave();
    ASSERT_EQ(listener.heard.size(), 2u);
    EXPECT_EQ(listener.heard[0].substr(listener.heard[0].find(' ')), " start 1");
    EXPECT_EQ(listener.heard[1].substr(listener.heard[1].find(' ')), " end");
  }
}

}  // namespace
}  // namespace sonavia::reading
