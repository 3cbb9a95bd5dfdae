// Spoken scanning in the whole window, under simulated time: each button's
// caption said as the scan reaches it, the reading giving way to it, the
// wait on "Al link" while a link is read, and the rest after two silent
// cycles.
#include "controls/SpokenScanning.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "controls/SwitchWindow.h"

namespace sonavia::controls {
namespace {

using testing::Lines;

const Lines kCycle = {"Anterior",
                      "Segü"
                      "ent",
                      "Parar",
                      "Refrescar",
                      "Re Pag",
                      "Av pag",
                      "Tab",
                      "Al link",
                      "No parlar"};

class SpokenScanning : public testing::SwitchWindow {};

TEST_F(SpokenScanning, EachButtonIsSaidInTheItemVoiceAsTheScanReachesIt) {
  WatchPointer();
  ScanOn(true);
  RunTo(1500 * 10 + 100);
  Lines expected, expectedMoves;
  for (int i = 0; i <= 9; ++i) {
    expected.push_back(std::to_string(1500 * (i + 1)) + " " + kCycle[i % 9]);
    expectedMoves.push_back(std::to_string(1500 * (i + 1)) + ":" + std::to_string(i % 9));
  }
  EXPECT_EQ(Said(), expected);
  EXPECT_EQ(moves, expectedMoves);
  // The item voice for each caption, the text voice's again after.
  for (const std::string& voice : library.voices) EXPECT_EQ(voice.rfind("99/2 ", 0), 0u) << voice;
  EXPECT_EQ(library.voices.size(), 10u);
  EXPECT_EQ(library.language, 99);
  EXPECT_EQ(library.speaker, 0);
}

TEST_F(SpokenScanning, ACaptionIsCutByTheNextStep) {
  library.msPerCharacter = 200;  // "Refrescar " would last two seconds
  ScanOn(true);
  RunTo(6000 + 1499);
  EXPECT_TRUE(library.Speaking()) << "Refrescar still being said";
  RunTo(7500);
  EXPECT_EQ(Said(6000), (Lines{"6000 Refrescar", "7500 Re Pag"}));
}

TEST_F(SpokenScanning, OffScanningSaysNothing) {
  ScanOn(false);
  RunTo(60000);
  EXPECT_TRUE(Said().empty());
  EXPECT_TRUE(main.TimerEscaneig->Enabled()) << "and never rests";
}

class SpokenScanningReduced : public testing::SwitchWindow {
 protected:
  SpokenScanningReduced() : SwitchWindow(false) {}
};

TEST_F(SpokenScanningReduced, WithoutTheSpeechLibraryTheItemIsDisabledAndNothingIsSaid) {
  EXPECT_FALSE(main.mnuEscaneigParlat.Enabled());
  main.mnuEscaneigParlat.OnClick();  // as a stored setting would
  main.mnuEscaneig.Click();
  RunTo(60000);
  EXPECT_TRUE(main.TimerEscaneig->Enabled()) << "no rest without speech";
  EXPECT_EQ(library.loads, 0);
}

// The rate for a caption, given the step and the reading's rate: measured,
// the library says "Anterior" in 600 ms at 180, "No parlar" in 450 ms at
// 255, "Tab" in 400 ms at 180; below 80 it speaks at 80.
TEST(CaptionRate, FasterOnlyWhenTheCaptionWouldOutlastTheStep) {
  struct Case {
    const char* caption;
    uint32_t step;
    int32_t rate;
    int32_t expected;
  } const cases[] = {
      {"Anterior", 1500, 180, 180},  // fits
      {"Anterior", 1500, 255, 255},  // never slower than the reading
      {"Tab", 500, 180, 180},
      {"Anterior", 500, 180, 249},
      {"Escaneig en pausa", 1000, 140, 215},
      {"No parlar", 500, 180, 255},  // as fast as it goes
      {"No parlar", 100, 180, 255},
      {"Anterior", 0, 180, 255},
      {"Av pag", 1306, 50, 50},    // 94,000 in 1,175 ms at 80: just fits
      {"Parar", 1500, 50, 50},     // fits at 80, the slowest spoken
      {"Anterior", 1500, 50, 83},  // does not
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CaptionRate(c.caption, c.step, c.rate), c.expected)
        << c.caption << " in " << c.step << " ms at " << c.rate;
  }
}

TEST_F(SpokenScanning, ACaptionThatWouldNotFitIsSaidFasterForItselfAlone) {
  // Half a second a step, and the rate the library was loaded with, 140.
  main.TextDecimesScan.SetText("5");
  ScanOn(true);
  library.ClearLog();
  RunTo(3500);
  Lines calls;
  for (const auto& line : library.timeline) {
    if (line.find("SetSpeed") != std::string::npos || line.find("Read(") != std::string::npos)
      calls.push_back(line);
  }
  EXPECT_EQ(calls, (Lines{"500 SetSpeed(249)",
                          "500 Read(Anterior )",
                          "500 SetSpeed(140)",
                          "1000 SetSpeed(229)",
                          "1000 Read(Segü"
                          "ent )",
                          "1000 SetSpeed(140)",
                          "1500 SetSpeed(189)",
                          "1500 Read(Parar )",
                          "1500 SetSpeed(140)",
                          "2000 SetSpeed(255)",
                          "2000 Read(Refrescar )",
                          "2000 SetSpeed(140)",
                          "2500 SetSpeed(209)",
                          "2500 Read(Re Pag )",
                          "2500 SetSpeed(140)",
                          "3000 SetSpeed(209)",
                          "3000 Read(Av pag )",
                          "3000 SetSpeed(140)",
                          "3500 SetSpeed(149)",
                          "3500 Read(Tab )",
                          "3500 SetSpeed(140)"}));
  // At a step of 1.5 s every caption fits at the reading's rate.
  main.mnuEscaneig.Click();
  main.TextDecimesScan.SetText("15");
  main.mnuEscaneig.Click();
  library.ClearLog();
  loop.RunFor(1500 * 9);
  for (const auto& line : library.timeline) EXPECT_EQ(line.find("SetSpeed"), std::string::npos);
}

TEST_F(SpokenScanning, TheReadingGivesWayToEachCaptionAndTakesUpItsUnitAgain) {
  ScanOn(true);
  LoadPage();  // "Pàgina carregada" at 300; the reading from 2800
  RunTo(5000);
  EXPECT_EQ(Said(2800), (Lines{"2801 Títol",
                               // The title gives way to "Següent" (80 ms) and comes again,
                               // whole; the title follows "Títol" without a pause.
                               "2901 Inici",
                               "3000 Segü"
                               "ent",
                               "3101 Inici",
                               // "Parar" comes in the pause after "DOS.", and "LINK" waits
                               // for nothing: it was said by then.
                               "3701 UN", "4301 DOS.", "4500 Parar", "4901 LINK"}));
}

TEST_F(SpokenScanning, WhileLinksAreReadTheScanWaitsOnAlLinkUntilAStepAfterTheLast) {
  WatchPointer();
  ScanOn(true);
  LoadPage();
  moves.clear();
  main.mnuCanviLlegirLinksLectures.Click();  // F4, at 2800: the links alone
  RunTo(9201);
  // Each link 1.4 s after the last has ended: the scan's step less 200 ms,
  // so that the wait goes on from one to the next; nothing else is said.
  EXPECT_EQ(Said(3000), (Lines{"3000 Segü"
                               "ent",
                               "3301 PRIMER", "4701 SEGON", "6101 TERCER",
                               // A step after the last link's end (6201) the scan goes on
                               // where it was, saying that button again.
                               "7701 Segü"
                               "ent",
                               "9201 Parar"}));
  EXPECT_EQ(moves, (Lines{"3000:1", "3301:7", "4701:7", "6101:7", "7701:1", "9201:2"}));
  EXPECT_EQ(browser.marks,
            (Lines{"3301 Link1(PRIMER)", "4701 Link2(SEGON)", "6101 Link3(TERCER)", "6201 Hide"}))
      << "the page shows each link as it is read";
}

TEST(SpokenScanningPress, APressWhileALinkIsOfferedFollowsTheLinkTheUserHeard) {
  // At 100 ms a letter, after F4 at 2800: "Següent" said from 3000 to 3800,
  // then "PRIMER" 4300-5000, "SEGON" 6300-6900, "TERCER" 8200-8900, and the
  // scan back on "Següent" at 10400.
  struct Case {
    const char* when;
    uint64_t at;
    const char* followed;  // nullptr: the button under the pointer
  } const cases[] = {
      {"during the first link's text", 4500, "a.htm"},
      {"in the step after it, before the second", 5500, "a.htm"},
      {"during the second", 6500, "b.htm"},
      {"after the last, within its step", 9500, "c.htm"},
      {"after that step", 10500, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    testing::SwitchRig r;
    r.library.msPerCharacter = 100;
    r.ScanOn(true);
    r.LoadPage();
    r.main.mnuCanviLlegirLinksLectures.Click();
    r.At(c.at, [&] { r.browser.calls.clear(); });
    r.PressAt(c.at);
    r.RunTo(c.at + 200);
    if (c.followed != nullptr) {
      EXPECT_EQ(r.browser.calls, Lines{std::string("Navigate(file:///w/") + c.followed + ")"});
    } else {
      EXPECT_EQ(r.browser.calls, Lines{"GoForward"}) << "\"Segü"
                                                        "ent\" pressed";
    }
  }
}

TEST_F(SpokenScanning, AfterTwoCyclesWithoutAPressItRestsAndSaysSo) {
  WatchPointer();
  ScanOn(true);
  RunTo(60000);
  const Lines said = Said();
  ASSERT_EQ(said.size(), 19u);
  EXPECT_EQ(said.back(), "28500 Escaneig en pausa");
  EXPECT_EQ(moves.back(), "27000:8") << "it rests where it was";
  EXPECT_EQ(main.Scan.FramedIndex(), kNoFrame);
  EXPECT_TRUE(main.mnuEscaneig.Checked());

  // A press wakes it, and clicks nothing: the scan starts again from the
  // first button a step later.
  Press();
  EXPECT_TRUE(main.SpeechState.On()) << "\"No parlar\" was not clicked";
  RunTo(61700);
  EXPECT_EQ(Said(60000), Lines{"61600 Anterior"}) << "a step after the press ended";
  EXPECT_EQ(moves.back(), "61600:0");

  // A link read while it rests is offered all the same; then it rests again.
  RunTo(61600 + 1500 * 18);
  ASSERT_EQ(Said().back(), "88600 Escaneig en pausa");
  moves.clear();
  LoadPage();
  ASSERT_TRUE(RunUntil([&] { return Pointer() == kFollowLinkIndex; }));
  EXPECT_EQ(main.Scan.FramedIndex(), kFollowLinkIndex);
  ASSERT_TRUE(RunUntil([&] { return Pointer() == 8; })) << "back where it rests";
  EXPECT_EQ(main.Scan.FramedIndex(), kNoFrame);
  const uint64_t back = loop.Elapsed();
  RunTo(back + 10000);
  for (const auto& line : Said(back)) EXPECT_EQ(line.find("Anterior"), std::string::npos) << line;
}

TEST_F(SpokenScanning, SwitchedOffAndOnItCountsItsTwoCyclesAfresh) {
  ScanOn(true);
  RunTo(1500 * 10 + 100);  // ten steps without a press
  main.mnuEscaneigParlat.Click();
  main.mnuEscaneigParlat.Click();
  RunTo(60000);
  EXPECT_EQ(Said().back(), "43500 Escaneig en pausa") << "eighteen steps after 15000";
}

TEST_F(SpokenScanning, APressOnTheRestingScanWhileALinkIsOfferedFollowsTheLink) {
  ScanOn(true);
  RunTo(28600);
  ASSERT_TRUE(main.Scan.Resting());
  LoadPage();
  ASSERT_TRUE(RunUntil([&] { return Pointer() == kFollowLinkIndex; }));
  browser.calls.clear();
  Press();
  EXPECT_EQ(browser.calls, Lines{"Navigate(file:///w/a.htm)"});
}

TEST_F(SpokenScanning, AHoldKeepsThePointerWhileALinkIsRead) {
  main.TextTimerParo.SetText("100");  // ten seconds
  ScanOn(true);
  RunTo(9100);  // on "Av pag"
  Press();      // holds from 9200 to 19200
  WatchPointer();
  LoadPage();  // its links read by 17000
  ASSERT_TRUE(RunUntil([&] { return list->LinkCursor == 3; }));
  RunTo(21000);
  EXPECT_EQ(moves.back(), "20700:6") << "on after the hold, with no link being read";
  for (const auto& move : moves) {
    if (std::stoull(move) < 19200) {
      EXPECT_EQ(move.substr(move.find(':')), ":5") << move;
    }
  }
}

TEST_F(SpokenScanning, TheSecondCycleKeepsThePointerWhileLinksAreRead) {
  WatchPointer();
  ScanOn(true);
  LoadPage();
  main.mnuCanviLlegirLinksLectures.Click();  // the links, each offered on "Al link"
  ASSERT_EQ(Pointer(), kFollowLinkIndex);
  Press(1600);  // long: the second cycle
  moves.clear();
  RunTo(loop.Elapsed() + 1500 * 4);
  ASSERT_FALSE(moves.empty());
  const auto places = main.SwitchPlaces.Buttons();
  for (const auto& move : moves) {
    platform::Button* on = ButtonAt(std::stoi(move.substr(move.find(':') + 1)));
    EXPECT_NE(std::find(places.begin(), places.end(), on), places.end())
        << move << ": a place, not a link";
  }
  // Scanning off and on again leaves it for the toolbar's buttons.
  main.mnuEscaneig.Click();
  main.mnuEscaneig.Click();
  EXPECT_FALSE(main.Scan.InSecondCycle());
}

}  // namespace
}  // namespace sonavia::controls
