#include "reading/ReadingSequencer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "reading/PageConverter.h"
#include "speech/SpeechEngine.h"
#include "support/FakeSpeechLibrary.h"
#include "support/ReadingRig.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::reading {
namespace {

using Lines = std::vector<std::string>;

class SequencerTest : public ::testing::Test, protected testing::ReadingRig {
 protected:
  SequencerTest() : ReadingRig("file:///p/index.htm") {}

  void SetUp() override {
    ASSERT_FALSE(engine.LoadSpeechEngine());
    library.ClearLog();
  }

  void Page(const std::string& html, const std::string& title = "Ex") {
    list->SetReadingMode(ReadingMode::Page);
    list->SetPageTitle(title);
    converter.ConvertPage(html);
  }

  Lines Reads() const { return library.ReadsAndStops(); }
};

TEST_F(SequencerTest, PageTimeline) {
  Page("Un. Dos.");
  sequencer.StartReadingAt(1);
  loop.RunFor(3000);
  EXPECT_EQ(Reads(),
            (Lines{"0 Read(Títol )", "100 Read(Ex )", "700 Read(UN )", "1300 Read(DOS.  )"}));
  EXPECT_EQ(list->UnitCursor, 0);
  EXPECT_EQ(list->LinkCursor, 0);
  EXPECT_TRUE(Silent());
  // Voices: the title in the item voice, the text back in the text voice.
  const Lines& calls = library.calls;
  const auto at = [&](const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) - calls.begin();
  };
  EXPECT_LT(at("SetSpeaker(2)"), at("Read(Ex )"));
  EXPECT_LT(at("SetSpeaker(0)"), at("Read(UN )"));
}

// On a busy thread the poll's ticks come late: every unit still comes once,
// in order, each later by the lateness, and the speed field is enabled
// again as soon as a unit has ended, during the pause before the next.
TEST_F(SequencerTest, PageTimelineWithLateTicks) {
  loop.SetTimerLateness(30, true);
  Page("Un. Dos.");
  bool fieldInPause = false;
  sequencer.StartReadingAt(1);
  At(500, [&] { fieldInPause = speedField.Enabled(); });  // the pause before unit 3
  loop.RunFor(3000);
  EXPECT_EQ(Reads(),
            (Lines{"0 Read(Títol )", "130 Read(Ex )", "760 Read(UN )", "1390 Read(DOS.  )"}));
  EXPECT_TRUE(fieldInPause);
  EXPECT_TRUE(Silent());
}

TEST_F(SequencerTest, LinksWalk) {
  Page("Text. <a href=\"a\">Primer</a> more <a href=\"b\">Segon</a>");
  list->SetReadingMode(ReadingMode::Links);
  sequencer.StartReadingAt(1);
  loop.RunFor(3000);
  EXPECT_EQ(Reads(), (Lines{"500 Read(PRIMER )", "1100 Read(SEGON )"}));
  EXPECT_EQ(library.speaker, 2);
  EXPECT_EQ(list->LinkCursor, 0);
  EXPECT_TRUE(Silent());
}

TEST_F(SequencerTest, EmptyListOrSpeechOffSpeaksNothing) {
  sequencer.StartReadingAt(1);
  loop.RunFor(2000);
  EXPECT_TRUE(Reads().empty());
  Page("Un.");
  speechOn = false;
  sequencer.StartReadingAt(1);
  loop.RunFor(2000);
  EXPECT_TRUE(Reads().empty());
  EXPECT_EQ(list->UnitCursor, 0);
}

TEST_F(SequencerTest, PauseAndResumeRepeatTheInterruptedUnit) {
  // During unit 3 (spoken from 700), then in the pause that follows it.
  for (const uint32_t pauseAt : {710u, 1000u}) {
    library.ClearLog();
    sequencer.StartReadingAt(0);
    const uint32_t t0 = static_cast<uint32_t>(loop.Elapsed());
    Page("Un. Dos. Tres.");
    sequencer.StartReadingAt(1);
    At(t0 + pauseAt, [&] {
      speechOn = false;
      sequencer.StepBackAndStop();
    });
    At(t0 + 2000, [&] {
      speechOn = true;
      sequencer.SpeakNext();
    });
    loop.RunFor(5000);
    const Lines reads = Reads();
    ASSERT_GE(reads.size(), 7u) << pauseAt;
    EXPECT_EQ(reads[2], std::to_string(t0 + 700) + " Read(UN )");
    EXPECT_EQ(reads[3], std::to_string(t0 + pauseAt) + " Stop");
    EXPECT_EQ(reads[4], std::to_string(t0 + 2500) + " Read(UN )") << "resuming repeats unit 3";
    EXPECT_EQ(reads[5], std::to_string(t0 + 3100) + " Read(DOS )");
    EXPECT_EQ(reads[6], std::to_string(t0 + 3700) + " Read(TRES.  )");
  }
}

TEST_F(SequencerTest, PauseInTheLinksWalkStepsBackTheLinkAlone) {
  Page("Text. <a href=\"a\">Primer</a> more <a href=\"b\">Segon</a>");
  list->SetReadingMode(ReadingMode::Links);
  sequencer.StartReadingAt(1);
  At(510, [&] {
    list->UnitCursor = 7;  // left alone: the links walk moves only its own cursor
    speechOn = false;
    sequencer.StepBackAndStop();
  });
  At(600, [&] {
    EXPECT_EQ(list->LinkCursor, 0);
    EXPECT_EQ(list->UnitCursor, 7);
    speechOn = true;
    sequencer.SpeakNext();
  });
  loop.RunFor(3000);
  EXPECT_EQ(Reads(),
            (Lines{"500 Read(PRIMER )", "510 Stop", "1100 Read(PRIMER )", "1700 Read(SEGON )"}));
}

TEST_F(SequencerTest, TheJumpContinuesFromTheNewUnit) {
  Page("Un. Dos. Tres. Quatre.");
  sequencer.StartReadingAt(1);
  At(710, [&] {
    engine.upcTVStop();
    list->UnitCursor = 5;
  });
  loop.RunFor(3000);
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 5u);
  EXPECT_EQ(reads[3], "710 Stop");
  EXPECT_EQ(reads[4], "1300 Read(QUATRE.  )");
}

TEST_F(SequencerTest, ABusyEngineEndsTheChain) {
  // Unit 3 is in the title's voice, so no reload silences the message.
  Page("<a href=\"u\">x</a> y.");
  sequencer.StartReadingAt(1);
  // A message that outlasts the pause after unit 2.
  At(300, [&] { engine.SpeakMessage("Un missatge prou llarg per a durar més que la pausa"); });
  loop.RunFor(5000);
  EXPECT_EQ(Reads().back(), "300 Read(Un missatge prou llarg per a durar més que la pausa )");
  EXPECT_EQ(list->UnitCursor, 3) << "the cursor stays past the unit not spoken";
  EXPECT_TRUE(Silent());
}

TEST_F(SequencerTest, LinkAnnouncementsAreCountedByTheirText) {
  Page("LINK. <a href=\"u\">x</a>");
  ASSERT_EQ(list->Unit(3).Text, "LINK");
  ASSERT_EQ(list->Unit(3).Kind, UnitKind::Text);
  sequencer.StartReadingAt(1);
  std::vector<int32_t> cursors;
  for (uint32_t t : {750u, 1350u}) At(t, [&] { cursors.push_back(list->LinkCursor); });
  loop.RunFor(1400);
  EXPECT_EQ(cursors, (std::vector<int32_t>{1, 2}));
}

// The address followed is where a click on the link goes, as the document
// gives it for the link in the same place; never the link table's
// upper-cased text, lowered or put after a base.
TEST_F(SequencerTest, ResolvingTheCurrentLinkTakesTheDocumentsAddressOfTheSamePlace) {
  Page(
      "<a href=\"Ajuda.htm\">1</a><a href=\"/Wiki/Main_Page\">2</a><a href=\"?q=Pa\">3</a>"
      "<a href=\"#Sec\">4</a><a href=\"p%C3%A0gina.htm\">5</a><a href=\"HTTPS://S.CAT/X\">6</a>"
      "<a href=\"nowhere.htm\">7</a>");
  list->SetPageAddresses("http://h.cat/Dir/", "http://h.cat/Dir/Index.htm?x=1#top");
  const Lines document = {"http://h.cat/Dir/Ajuda.htm",
                          "http://h.cat/Wiki/Main_Page",
                          "http://h.cat/Dir/Index.htm?q=Pa",
                          "http://h.cat/Dir/Index.htm?x=1#Sec",
                          "http://h.cat/Dir/pàgina.htm",
                          "https://s.cat/X",
                          ""};
  for (size_t i = 0; i < document.size(); ++i) {
    list->ResolvedLink(static_cast<int32_t>(i) + 1) = document[i];
  }
  ASSERT_EQ(list->LinkCount, 7);
  for (int32_t i = 1; i <= 7; ++i) {
    list->LinkCursor = i;
    EXPECT_TRUE(sequencer.ResolveCurrentLink());
    EXPECT_EQ(list->LinkTarget, document[static_cast<size_t>(i) - 1]) << i;
    EXPECT_EQ(list->LinkCursor, i);
  }
  list->LinkCursor = 0;  // no link read yet: the first one
  sequencer.ResolveCurrentLink();
  EXPECT_EQ(list->LinkCursor, 1);
  EXPECT_EQ(list->LinkTarget, "http://h.cat/Dir/Ajuda.htm");

  Page("no links");
  list->LinkTarget = "kept";
  sequencer.ResolveCurrentLink();
  EXPECT_EQ(list->LinkTarget, "kept");
}

TEST_F(SequencerTest, ResolvingStopsTheReadingAndTheEndResolvesLinkOne) {
  Page("<a href=\"a.htm\">A</a> and <a href=\"b.htm\">B</a>.");
  list->ResolvedLink(1) = "file:///p/a.htm";
  list->ResolvedLink(2) = "file:///p/b.htm";
  sequencer.StartReadingAt(1);
  loop.RunFor(20000);
  EXPECT_TRUE(Silent());
  EXPECT_EQ(list->UnitCursor, 0);
  sequencer.ResolveCurrentLink();
  EXPECT_EQ(list->LinkTarget, "file:///p/a.htm");

  sequencer.StartReadingAt(1);
  At(loop.Elapsed() + 750, [&] { sequencer.ResolveCurrentLink(); });  // during "LINK"
  loop.RunFor(3000);
  EXPECT_TRUE(Silent());
  EXPECT_EQ(Reads().back().substr(Reads().back().find(' ')), " Stop");
  EXPECT_EQ(list->LinkTarget, "file:///p/a.htm");
}

TEST_F(SequencerTest, ReentrantStepsReadTheCursorAgain) {
  // A reset inside the pause: the next unit is unit 1.
  Page("Un. Dos.");
  sequencer.StartReadingAt(1);
  At(400, [&] { sequencer.StartReadingAt(0); });
  loop.RunFor(900);
  ASSERT_GE(Reads().size(), 3u);
  EXPECT_EQ(Reads()[2], "700 Read(Títol )");
  sequencer.StartReadingAt(0);
  loop.RunFor(2000);

  // A new page converted inside the pause: its units follow.
  library.ClearLog();
  Page("Un. Dos.");
  sequencer.StartReadingAt(1);
  const uint32_t t0 = static_cast<uint32_t>(loop.Elapsed());
  At(t0 + 400, [&] { Page("Nou.", "Nova"); });
  loop.RunFor(1500);
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 5u);
  EXPECT_EQ(reads[2], std::to_string(t0 + 700) + " Read(Títol )");
  EXPECT_EQ(reads[3], std::to_string(t0 + 800) + " Read(Nova )");
  EXPECT_EQ(reads[4], std::to_string(t0 + 1400) + " Read(NOU.  )");
}

TEST_F(SequencerTest, ASecondStepInsideTheFirst) {
  Page("Un. Dos. Tres.");
  sequencer.StartReadingAt(1);
  At(400, [&] { sequencer.SpeakNext(); });
  loop.RunFor(10000);
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 6u);
  EXPECT_EQ(reads[2], "900 Read(UN )");
  EXPECT_EQ(reads[3], "900 Stop") << "the outer step interrupts the inner one's unit";
  EXPECT_EQ(reads[4], "1900 Read(DOS )");
  EXPECT_EQ(list->UnitCursor, 0);
  EXPECT_TRUE(Silent());
}

TEST_F(SequencerTest, SpeakUnitWhileSpeakingStopsAndWaitsASecond) {
  sequencer.SpeakUnit("PRIMER ");
  EXPECT_TRUE(engine.Speaking);
  EXPECT_TRUE(poll->Enabled());
  sequencer.SpeakUnit("SEGON ");
  EXPECT_EQ(Reads(), (Lines{"0 Read(PRIMER )", "0 Stop", "1000 Read(SEGON )"}));

  library.busyForever = true;
  sequencer.StopSpeaking();
  EXPECT_TRUE(sequencer.SpeakUnit("TERCER "));
  EXPECT_FALSE(engine.Speaking);
  EXPECT_FALSE(poll->Enabled());
}

TEST_F(SequencerTest, SpeedFieldFollowsTheEngine) {
  library.msPerCharacter = 100;
  Page("Un.");
  sequencer.StartReadingAt(1);
  std::vector<bool> enabled;
  for (uint32_t t : {50u, 100u, 550u, 650u, 750u})
    At(t, [&] { enabled.push_back(speedField.Enabled()); });
  At(760, [&] { sequencer.StopSpeaking(); });
  At(770, [&] { enabled.push_back(speedField.Enabled()); });
  loop.RunFor(800);
  // Unit 1 (600 ms) is seen speaking at 100 and ending at 600; unit 2
  // follows at once and is seen speaking at 700.
  EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, true, false, true}));
}

TEST_F(SequencerTest, TooLongAPageWarnsInTheItemVoice) {
  std::string html;
  for (int i = 0; i < 1100; ++i) html += "s. ";
  Page(html);
  EXPECT_EQ(library.calls.back(), "Read(Document massa llarg, no el podré llegir tot)");
  EXPECT_EQ(library.speaker, 2);
  loop.RunFor(1000);
  ASSERT_GE(Reads().size(), 2u);
  EXPECT_EQ(Reads()[1], "500 Read(Títol )") << "the poll hands over to unit 1";
}

}  // namespace
}  // namespace sonavia::reading
