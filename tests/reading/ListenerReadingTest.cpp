// What a listener hears of a converted page: units with nothing to say are
// passed over, with the cursors, the links counted and the mark in step;
// the page's own text in the page's language, the program's words in the
// user's.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "reading/PageConverter.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"
#include "support/FakeSpeechLibrary.h"
#include "support/ReadingRig.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::reading {
namespace {

using Lines = std::vector<std::string>;

class ListenerTest : public ::testing::Test, public ReadingMarkView, protected testing::ReadingRig {
 protected:
  ListenerTest() : ReadingRig("/p/i.htm") {}
  Lines marks;

  void SetUp() override {
    ASSERT_FALSE(engine.LoadSpeechEngine());
    sequencer.Follower().SetView(this);
    library.ClearLog();
  }
  void ShowReadingMark(const ReadingMark& mark) override {
    const char* kinds[] = {"Text", "Image", "Link"};
    marks.push_back(kinds[static_cast<int>(mark.kind)] +
                    (mark.item != 0 ? std::to_string(mark.item) : std::string()) + "(" + mark.text +
                    ")");
  }
  void HideReadingMark() override { marks.push_back("Hide"); }

  void Page(const std::string& html, const std::string& title = "Ex") {
    list->SetReadingMode(ReadingMode::Page);
    list->SetPageTitle(title);
    list->SetPageAddresses("base/", "page.htm");
    converter.ConvertPage(html);
  }
  Lines Reads() const { return library.ReadsAndStops(); }
};

// "Un. . . Dos." holds two empty units between its sentences.
TEST_F(ListenerTest, UnitsWithNothingToSayArePassedOverWithoutTheirPause) {
  Page("Un. . . Dos. <b> </b>. « ». ");
  ASSERT_EQ(list->UnitCount, 9);
  ASSERT_EQ(list->Unit(4).Text, "");
  ASSERT_EQ(list->Unit(5).Text, "");
  sequencer.StartReadingAt(1);
  std::vector<int32_t> cursors;
  At(1310, [&] { cursors.push_back(list->UnitCursor); });
  loop.RunFor(5000);
  // As for "Un. Dos.": nothing between the two sentences, and nothing after.
  EXPECT_EQ(Reads(),
            (Lines{"0 Read(Títol )", "100 Read(Ex )", "700 Read(UN )", "1300 Read(DOS )"}));
  EXPECT_EQ(cursors, std::vector<int32_t>{6});
  EXPECT_EQ(marks, (Lines{"Text(UN)", "Text(DOS)", "Hide"}));
  EXPECT_EQ(list->UnitCursor, 0);
  EXPECT_TRUE(Silent());
}

TEST_F(ListenerTest, ATitleWithNothingToSayIsPassedOverAndThePauseKept) {
  Page("Un.", " ");
  sequencer.StartReadingAt(1);
  loop.RunFor(3000);
  EXPECT_EQ(Reads(), (Lines{"0 Read(Títol )", "600 Read(UN.  )"}));
  Page("", "Ex");  // a page with nothing but its title
  library.ClearLog();
  sequencer.StartReadingAt(1);
  loop.RunFor(3000);
  EXPECT_EQ(Reads().size(), 2u);
  EXPECT_TRUE(Silent());
}

TEST_F(ListenerTest, PauseAndResumeRepeatTheUnitAfterTheOnesPassedOver) {
  // Paused while "DOS" is spoken, and in the pause after "UN".
  struct Case {
    uint32_t pauseAt;
    int32_t cursorWhilePaused;
    const char* repeated;
  } const cases[] = {{1310, 5, "Read(DOS )"}, {800, 2, "Read(UN )"}};
  for (const auto& c : cases) {
    sequencer.StartReadingAt(0);
    library.ClearLog();
    const uint64_t t0 = loop.Elapsed();
    Page("Un. . . Dos. Tres.");
    sequencer.StartReadingAt(1);
    int32_t paused = -1;
    At(t0 + c.pauseAt, [&] {
      speechOn = false;
      sequencer.StepBackAndStop();
      paused = list->UnitCursor;
    });
    At(t0 + 3000, [&] {
      speechOn = true;
      sequencer.SpeakNext();
    });
    loop.RunFor(6000);
    EXPECT_EQ(paused, c.cursorWhilePaused) << c.pauseAt;
    const Lines reads = Reads();
    const auto stop =
        std::find(reads.begin(), reads.end(), std::to_string(t0 + c.pauseAt) + " Stop");
    ASSERT_TRUE(stop != reads.end() && stop + 1 != reads.end()) << c.pauseAt;
    EXPECT_EQ(stop[1], std::to_string(t0 + 3500) + " " + c.repeated) << c.pauseAt;
  }
}

TEST_F(ListenerTest, LinksAreCountedAndFollowedAcrossUnitsPassedOver) {
  Page("<a href=\"a.htm\">A</a> . . <a href=\"b.htm\">B</a> . <a href=\"c.htm\">C</a>");
  ASSERT_EQ(list->LinkCount, 3);
  list->ResolvedLink(1) = "file:///p/a.htm";
  list->ResolvedLink(2) = "file:///p/b.htm";
  list->ResolvedLink(3) = "file:///p/c.htm";
  sequencer.StartReadingAt(1);
  Lines followed;
  for (const uint64_t t : {720u, 1330u, 1940u, 2540u}) {
    At(t, [&] {
      followed.push_back(std::to_string(list->LinkCursor) + " " +
                         list->Link(list->LinkCursor).Address);
    });
  }
  loop.RunFor(6000);
  EXPECT_EQ(followed, (Lines{"1 A.HTM", "1 A.HTM", "2 B.HTM", "2 B.HTM"}));
  EXPECT_EQ(marks, (Lines{"Link1(A)", "Link2(B)", "Link3(C)", "Hide"}));
  // F2 while "B" is read follows b.htm.
  sequencer.StartReadingAt(1);
  At(loop.Elapsed() + 2000, [&] { sequencer.ResolveCurrentLink(); });
  loop.RunFor(3000);
  EXPECT_EQ(list->LinkTarget, "file:///p/b.htm");
}

TEST_F(ListenerTest, AJumpOntoALinkAfterUnitsPassedOverReadsItsAnnouncement) {
  Page("Un. . . <a href=\"a.htm\">A</a> . . Dos. <a href=\"b.htm\">B</a>");
  sequencer.StartReadingAt(1);
  // As a pointer resting on the second link makes it.
  At(710, [&] {
    engine.upcTVStop();
    list->UnitCursor = list->Link(2).UnitIndex - 2;
  });
  loop.RunFor(3000);
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 6u);
  EXPECT_EQ(reads[3], "710 Stop");
  EXPECT_EQ(reads[4], "1300 Read(LINK )");
  EXPECT_EQ(reads[5], "1900 Read(B )");
}

TEST_F(ListenerTest, TheLinksWalkPassesOverLinksWithNothingToSay) {
  Page("<a href=\"a.htm\">A</a><a href=\"b.htm\">»</a><a href=\"c.htm\">C</a>");
  list->SetReadingMode(ReadingMode::Links);
  sequencer.StartReadingAt(1);
  int32_t cursor = 0;
  At(1110, [&] { cursor = list->LinkCursor; });
  loop.RunFor(3000);
  EXPECT_EQ(Reads(), (Lines{"500 Read(A )", "1100 Read(C )"}));
  EXPECT_EQ(cursor, 3);
  EXPECT_EQ(marks, (Lines{"Link1(A)", "Link3(C)", "Hide"}));
  EXPECT_TRUE(Silent());
}

TEST_F(ListenerTest, MarkupAndMarksAreSpokenAsTheirCharactersAndPauses) {
  // As the page view writes "x < => y".
  Page("x &lt; =&gt; y. <a href=\"u\">Dr. No</a>");
  ASSERT_EQ(list->Unit(3).Text, "X &LT; =&GT; Y");
  sequencer.StartReadingAt(1);
  loop.RunFor(5000);
  const Lines reads = Reads();
  ASSERT_EQ(reads.size(), 5u);
  EXPECT_EQ(reads[2], "700 Read(X < => Y )");
  EXPECT_EQ(reads[4].substr(reads[4].find(' ') + 1), "Read(DR. NO )");
  EXPECT_EQ(marks[0], "Text(X &LT; =&GT; Y)") << "the mark finds the text as the page has it";
}

}  // namespace
}  // namespace sonavia::reading
