// The switch's presses on the button toolbar while scanning is on, under
// simulated time: what a press does with the new settings off (what a click
// does), presses ignored after a press, the extra step after a press, and
// the second cycle a long press opens, for the commands of the menus.
#include "controls/SwitchPresses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/SwitchWindow.h"
#include "support/TempDir.h"

namespace sonavia::controls {
namespace {

using testing::Lines;
using testing::SwitchRig;

// What the window did, as seen from outside: the browser's calls, the keys
// and clicks sent, the hold, speech on or off.
std::string Effects(SwitchRig& r) {
  std::string out;
  for (const auto& call : r.browser.calls) out += call + " ";
  for (const auto& call : r.input.calls) {
    if (call.rfind("SetCursorPos", 0) != 0) out += call + " ";
  }
  out += r.main.TimerParo->Enabled() ? "held " : "moving ";
  out += r.main.SpeechState.On() ? "speaking" : "silent";
  return out;
}

TEST(SwitchPresses, WithTheNewSettingsOffAPressDoesWhatAClickOnTheButtonDoes) {
  for (int index = 0; index <= 8; ++index) {
    SCOPED_TRACE(index);
    SwitchRig bySwitch, byClick;
    for (SwitchRig* r : {&bySwitch, &byClick}) {
      r->LoadPage();  // "Tab" enabled, "Al link" not
      r->ScanOn(false);
      r->RunTo(r->loop.Elapsed() + 1500 * (index + 1) - 1);
      r->RunUntil([&] { return r->Pointer() == index; }, 3000);
      r->browser.calls.clear();
      r->input.calls.clear();
    }
    // A press acts when the switch comes up; the click at the same moment.
    bySwitch.Press(100);
    byClick.loop.RunFor(100);
    platform::Button* button = byClick.ButtonAt(index);
    button->Enabled() ? button->Click() : byClick.main.ToolBarBotonsClick();
    EXPECT_EQ(Effects(bySwitch), Effects(byClick));
    // And the scan goes on the same. (The reading's pauses may run the
    // clock past the end of a run: the moves are compared up to it.)
    const uint64_t end = bySwitch.loop.Elapsed() + 8000;
    Lines moves[2];
    for (int k = 0; k < 2; ++k) {
      SwitchRig& r = k == 0 ? bySwitch : byClick;
      r.WatchPointer();
      r.RunTo(end);
      for (const auto& move : r.moves) {
        if (std::stoull(move) <= end) moves[k].push_back(move);
      }
    }
    EXPECT_EQ(moves[0], moves[1]);
    EXPECT_GE(moves[0].size(), 3u);
  }
}

TEST(SwitchPresses, APressWithinTheIgnoreTimeOfTheLastTakenPressIsIgnored) {
  // Presses on "Av pag", 1 ms long, at these times after the first; the
  // hold keeps the pointer there for all of them.
  const uint64_t presses[] = {0, 300, 499, 500, 900, 1000, 1600};
  struct Case {
    int tenths;
    uint32_t lateness;
    int taken;
  } const cases[] = {{0, 0, 7}, {5, 0, 4}, {5, 250, 4}, {20, 0, 1}, {20, 250, 1}, {1, 0, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.tenths << " tenths, ticks " << c.lateness << " late");
    SwitchRig r;
    r.loop.SetTimerLateness(c.lateness);
    r.main.Presses.SetIgnoreTenths(c.tenths);
    r.ScanOn(false);
    const uint64_t first = 6 * (1500 + c.lateness) + 100;  // on "Av pag"
    for (uint64_t t : presses) r.PressAt(first + t, 1);
    r.RunTo(first + 2000);
    int taken = 0;
    for (const auto& call : r.input.calls) taken += call == "PressKey(34)";
    EXPECT_EQ(taken, c.taken);
  }
}

TEST(SwitchPresses, OutOfRangeIgnoreTimesTakeEveryPress) {
  SwitchRig r;
  for (int tenths : {-1, 21, 100}) {
    r.main.Presses.SetIgnoreTenths(tenths);
    EXPECT_EQ(r.main.Presses.IgnoreTenths(), 0) << tenths;
  }
  r.main.Presses.SetIgnoreTenths(20);
  EXPECT_EQ(r.main.Presses.IgnoreTenths(), 20);
}

TEST(SwitchPresses, WithTheDelayAfterAPressTheFirstStepWaitsOneStepMore) {
  struct Case {
    bool delay;
    uint32_t lateness;
    Lines moves;  // after a press on "Següent" 200 ms after the scan came to it
  } const cases[] = {
      {false, 0, {"4500:2", "6000:3", "7500:4"}},
      {true, 0, {"4500:1", "6000:2", "7500:3"}},
      {false, 250, {"5250:2", "7000:3", "8750:4"}},
      {true, 250, {"5250:1", "7000:2", "8750:3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.delay ? "delay" : "none") << ", late " << c.lateness);
    SwitchRig r;
    r.loop.SetTimerLateness(c.lateness);
    r.main.Scan.SetDelayAfterPress(c.delay);
    r.ScanOn(false);
    const uint64_t onSeguent = 2 * (1500 + c.lateness);
    r.RunTo(onSeguent + 200);
    ASSERT_EQ(r.Pointer(), 1);
    r.WatchPointer();
    r.Press(50);
    r.RunTo(onSeguent + 3 * (1500 + c.lateness) + 10);
    EXPECT_EQ(r.moves, c.moves);
  }
}

TEST(SwitchPresses, AfterAHoldTheDelayAddsAStepToo) {
  for (bool delay : {false, true}) {
    SCOPED_TRACE(delay);
    SwitchRig r;
    r.main.Scan.SetDelayAfterPress(delay);
    r.ScanOn(false);
    r.RunTo(9200);  // on "Av pag"
    r.WatchPointer();
    r.Press(50);  // holds 3 s from 9250
    r.RunTo(16000);
    EXPECT_EQ(r.moves, delay ? (Lines{"13750:5", "15250:6"}) : (Lines{"13750:6", "15250:7"}));
  }
}

// The second cycle's places shown, with their captions.
Lines PlacesShown(SwitchRig& r) {
  Lines shown;
  for (platform::Button* place : r.main.SwitchPlaces.Buttons()) {
    if (place->Visible()) shown.push_back(place->Caption());
  }
  return shown;
}

TEST(SecondCycle, ALongPressOpensItAfterTheNineAndAPassWithoutAChoiceGoesBack) {
  for (bool spoken : {false, true}) {
    SCOPED_TRACE(spoken ? "spoken" : "silent");
    SwitchRig r;
    r.ScanOn(spoken);
    r.RunTo(4600);  // on "Parar" since 4500
    r.WatchPointer();
    // Held from 4600: the scan moves on to "Refrescar" at 6000, and the
    // press becomes long a step after it began, at 6100.
    r.main.ToolBarBotonsSwitchDown(r.ButtonAt(2));
    r.RunTo(6099);
    EXPECT_TRUE(PlacesShown(r).empty());
    r.RunTo(6100);
    EXPECT_EQ(PlacesShown(r),
              (Lines{"Elements de\nla pàgina", "Escriure", "Preferits", "Afegir als\npreferits",
                     "Llegir\nlinks", "Castellà",
                     "Tornar a\ncomenç"
                     "ar",
                     "Link\nllegit",
                     "Marc\nsegü"
                     "ent",
                     "Més\nràpid", "Més\nlent", spoken ? "Escaneig\nmut" : "Escaneig\nparlat",
                     "Silenciar\npàgina", "Aturar\nescaneig", "Pàgina\nsencera"}))
        << "no page read: no heading, paragraph or sentence to go to";
    EXPECT_FALSE(r.main.ImageQuelva2000.Visible()) << "the logo gives them its room";
    r.RunTo(6300);
    r.main.ToolBarBotonsSwitchUp();
    EXPECT_TRUE(r.browser.calls.empty()) << "a long press clicks nothing";
    r.RunTo(6100 + 1500 * 16 + 10);
    // The places in the nine buttons' stead, from the toolbar's left end.
    EXPECT_EQ(r.moves, (Lines{"6000:3", "7600:0", "9100:1", "10600:2", "12100:3", "13600:4",
                              "15100:5", "16600:6", "18100:7", "19600:8", "21100:9", "22600:10",
                              "24100:11", "25600:12", "27100:13", "28600:14", "30100:3"}));
    EXPECT_TRUE(PlacesShown(r).empty());
    EXPECT_TRUE(r.main.ImageQuelva2000.Visible());
    if (spoken) {
      EXPECT_EQ(
          r.Said(6100),
          (Lines{
              "6100 Més ordres", "7600 Elements de la pàgina", "9100 Escriure", "10600 Preferits",
              "12100 Afegir als preferits", "13600 Llegir links", "15100 Castellà",
              "16600 Tornar a començ"
              "ar",
              "18100 Link llegit",
              "19600 Marc segü"
              "ent",
              "21100 Més ràpid", "22600 Més lent", "24100 Escaneig mut", "25600 Silenciar pàgina",
              "27100 Aturar escaneig", "28600 Pàgina sencera", "30100 Refrescar"}));
    } else {
      EXPECT_TRUE(r.Said().empty());
    }
  }
}

TEST(SecondCycle, APressIsLongWhenItLastsAStepWithinOneAndThreeSeconds) {
  struct Case {
    const char* stepTenths;
    uint32_t longPress;
  } const cases[] = {{"5", 1000}, {"15", 1500}, {"22", 2200}, {"40", 3000}};
  for (const Case& c : cases) {
    for (uint32_t held : {c.longPress - 1, c.longPress}) {
      SCOPED_TRACE(::testing::Message() << c.stepTenths << " tenths, held " << held);
      SwitchRig r;
      r.main.TextDecimesScan.SetText(c.stepTenths);
      r.ScanOn(false);
      r.RunTo(100);
      r.Press(held);
      EXPECT_EQ(r.main.Scan.InSecondCycle(), held == c.longPress);
    }
  }
  // A press down whose release was lost: the next counts from itself.
  SwitchRig r;
  r.ScanOn(false);
  r.RunTo(100);
  r.main.ToolBarBotonsSwitchDown(r.ButtonAt(r.Pointer()));
  r.RunTo(600);
  r.Press(1499);
  EXPECT_FALSE(r.main.Scan.InSecondCycle());
}

TEST(SecondCycle, EachPlaceRunsItsMenuCommandAndTheScanGoesOnWithoutAHold) {
  struct Case {
    int place;
    const char* what;
    std::function<bool(SwitchRig&)> done;
  } const cases[] = {
      {4, "links",
       [](SwitchRig& r) {
         return r.list->ReadingMode == reading::ReadingMode::Links &&
                r.main.mnuCanviLlegirLinksLectures.Caption() == "Llegir &pàgina";
       }},
      {5, "Castilian",
       [](SwitchRig& r) { return r.main.mnuCastella.Checked() && !r.main.mnuCatala.Checked(); }},
      {6, "restart",
       [](SwitchRig& r) { return r.main.SpeechState.On() && r.list->UnitCursor == 1; }},
      {7, "the link being read", [](SwitchRig& r) { return r.Navigated("file:///w/a.htm"); }},
      {8, "next frame", [](SwitchRig& r) { return r.input.calls.back() == "PressKey(117)"; }},
      {11, "spoken scanning", [](SwitchRig& r) { return r.main.mnuEscaneigParlat.Checked(); }},
      {12, "page silenced",
       [](SwitchRig& r) {
         return r.main.mnuSilenciarPagina.Checked() && !r.browser.sound.empty() &&
                r.browser.sound.back().ends_with(" Mute");
       }},
      {13, "scanning off", [](SwitchRig& r) { return !r.main.mnuEscaneig.Checked(); }},
      {14, "the whole page", [](SwitchRig& r) { return !r.main.mnuLlegirArticle.Checked(); }},
      // A page without headings: the paragraphs' places come next.
      {15, "next paragraph, speech on",
       [](SwitchRig& r) { return r.main.SpeechState.On() && r.list->UnitCursor == 3; }},
      {17, "next sentence, speech on",
       [](SwitchRig& r) { return r.main.SpeechState.On() && r.list->UnitCursor == 3; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SwitchRig r;
    r.LoadPage();
    r.main.SpeechState.Set(false);  // a quiet reading, so that "restart" shows
    r.main.Sequencer.StartReadingAt(0);
    r.ScanOn(false);
    // Long on "Av pag", where a choice would hold the pointer.
    ASSERT_TRUE(r.RunUntil([&] { return r.Pointer() == 5; }));
    r.Press(1600);
    ASSERT_TRUE(r.RunUntil([&] { return r.main.Scan.FramedIndex() == c.place; }));
    r.library.ClearLog();
    r.Press();
    EXPECT_TRUE(c.done(r));
    EXPECT_TRUE(PlacesShown(r).empty());
    EXPECT_FALSE(r.main.TimerParo->Enabled()) << "no hold";
    EXPECT_EQ(r.main.TimerEscaneig->Enabled(), c.place != 13);
  }
}

TEST(SecondCycle, ALongPressInItGoesBackAtOnce) {
  SwitchRig r;
  r.main.mnuCastellaClick();
  r.ScanOn(false);
  r.RunTo(3100);  // on "Següent"; "Parar" at 4500
  r.Press(1600);  // long at 4600
  ASSERT_TRUE(r.main.Scan.InSecondCycle());
  EXPECT_EQ(PlacesShown(r).at(5), "Català") << "the other language";
  r.RunTo(6200);  // on its first place since 6200
  r.WatchPointer();
  r.Press(1600);
  EXPECT_FALSE(r.main.Scan.InSecondCycle());
  EXPECT_TRUE(PlacesShown(r).empty());
  r.RunTo(9300);
  EXPECT_EQ(r.moves, (Lines{"7600:1", "7700:2", "9200:3"}))
      << "back on \"Parar\", where the scan was, as soon as the press is long, and on";
}

TEST(SecondCycle, APressDownWhenTheWindowStopsTakingInputIsDropped) {
  SwitchRig r;
  r.ScanOn(false);
  r.RunTo(1600);
  r.main.ToolBarBotonsSwitchDown(r.ButtonAt(0));
  r.main.SetEnabled(false);  // "Pàgina carregada": the release never comes
  r.RunTo(5000);
  r.main.SetEnabled(true);
  EXPECT_FALSE(r.main.Scan.InSecondCycle());
  r.main.ToolBarBotonsSwitchUp();  // one that comes all the same does nothing
  EXPECT_TRUE(r.browser.calls.empty());
}

TEST(WayBack, StoppedAtItsPlaceScanningSaysHowAndALongStillPressAnywhereStartsItAgain) {
  SwitchRig r;
  r.ScanOn(false);
  ASSERT_TRUE(r.RunUntil([&] { return r.Pointer() == 5; }));
  r.Press(1600);
  ASSERT_TRUE(r.RunUntil([&] { return r.Pointer() == 13; }));
  const uint64_t stopped = r.loop.Elapsed();
  r.Press();
  ASSERT_FALSE(r.main.mnuEscaneig.Checked());
  EXPECT_EQ(r.Said(stopped), (Lines{std::to_string(stopped + 100) +
                                    " Escaneig aturat. Premeu llarg per tornar-lo a engegar."}));
  // Down anywhere (on the page, say), held for a step without moving.
  r.RunTo(stopped + 3000);
  r.main.FormSwitchDown();
  r.RunTo(stopped + 4500);
  EXPECT_TRUE(r.main.mnuEscaneig.Checked()) << "on as soon as the press is long";
  r.RunTo(stopped + 4700);
  EXPECT_TRUE(r.main.FormSwitchUp()) << "its release clicks nothing";
  r.WatchPointer();
  r.RunTo(stopped + 6100);
  ASSERT_EQ(r.moves.size(), 1u);
  EXPECT_EQ(r.moves[0].substr(0, r.moves[0].find(':')), std::to_string(stopped + 6000))
      << "a step after it went on, the scan goes on";
  EXPECT_NE(r.main.Scan.FramedIndex(), controls::kNoFrame);
}

TEST(WayBack, OnlyALongStillPressWhileScanningIsOffAndTheWindowTakesInput) {
  struct Case {
    const char* what;
    const char* stepTenths;
    bool scanning;
    uint32_t held;
    bool moved;
    bool disabled;
    bool on;     // scanning afterwards
    bool taken;  // the release goes nowhere
  } const cases[] = {
      {"a long press", "15", false, 1500, false, false, true, true},
      {"a click", "15", false, 200, false, false, false, false},
      {"just short", "15", false, 1499, false, false, false, false},
      {"a short step", "5", false, 1000, false, false, true, true},
      {"shorter than a second", "5", false, 999, false, false, false, false},
      {"a long step", "40", false, 3000, false, false, true, true},
      {"a drag", "15", false, 2000, true, false, false, false},
      {"the window held", "15", false, 2000, false, true, false, false},
      {"scanning on", "15", true, 2000, false, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SwitchRig r;
    r.main.TextDecimesScan.SetText(c.stepTenths);
    if (c.scanning) r.ScanOn(false);
    r.RunTo(100);
    if (c.disabled) r.main.SetEnabled(false);
    r.main.FormSwitchDown();
    if (c.moved) {
      r.loop.RunFor(300);
      r.main.FormSwitchMoved();
      r.loop.RunFor(c.held - 300);
    } else {
      r.loop.RunFor(c.held);
    }
    EXPECT_EQ(r.main.FormSwitchUp(), c.taken);
    EXPECT_EQ(r.main.mnuEscaneig.Checked(), c.on);
    r.loop.RunFor(5000);
    EXPECT_EQ(r.main.mnuEscaneig.Checked(), c.on) << "a release changes nothing";
  }
}

class SecondCycleReduced : public testing::SwitchWindow {
 protected:
  SecondCycleReduced() : SwitchWindow(false) {}
};

TEST_F(SecondCycleReduced,
       WithoutTheSpeechLibraryOnlyThePageElementsTheFrameThePagesSoundAndScanningOffAreOffered) {
  ScanOn(false);
  RunTo(100);
  WatchPointer();
  Press(1600);
  EXPECT_EQ(PlacesShown(*this),
            (Lines{"Elements de\nla pàgina", "Escriure", "Preferits", "Afegir als\npreferits",
                   "Marc\nsegü"
                   "ent",
                   "Silenciar\npàgina", "Aturar\nescaneig"}));
  RunTo(1600 + 1500 * 8 + 10);
  // The places in the stead of the nine less the speech button.
  EXPECT_EQ(moves, (Lines{"1500:0", "3100:0", "4600:1", "6100:2", "7600:3", "9100:4", "10600:5",
                          "12100:6", "13600:0"}));
}

}  // namespace
}  // namespace sonavia::controls

namespace sonavia::controls {
namespace {

// A slow hand on "Av pag": its press of 1.8 s during the hold scrolls, as
// a click does, unless the user asked for the second cycle.
TEST(LongPressSetting, OffEveryPressIsAClickHoweverLongOnItOpensTheSecondCycle) {
  for (bool on : {false, true}) {
    SCOPED_TRACE(on ? "on" : "off");
    SwitchRig r;
    r.main.Presses.SetLongPressOpens(on);
    r.LoadPage();
    r.ScanOn(false);
    ASSERT_TRUE(r.RunUntil([&] { return r.Pointer() == 5; }));
    r.Press();
    ASSERT_TRUE(r.main.TimerParo->Enabled()) << "held on Av pag";
    r.input.calls.clear();
    r.Press(1800);
    const bool scrolled =
        std::count(r.input.calls.begin(), r.input.calls.end(), "PressKey(34)") == 1;
    EXPECT_EQ(scrolled, !on);
    EXPECT_EQ(r.main.Scan.InSecondCycle(), on);
    if (!on) continue;
    // A press before the scan comes to the first place chooses nothing.
    r.browser.calls.clear();
    r.Press();
    EXPECT_TRUE(r.main.Scan.InSecondCycle());
    EXPECT_TRUE(r.browser.calls.empty());
    EXPECT_FALSE(r.main.Keyboard.Open());
  }
}

TEST(LongPressSetting, ReadFromTheSettingsAsExactlySi) {
  struct Case {
    const char* value;
    bool on;
  } const cases[] = {{"sí", true}, {"no", false}, {"Sí", false}, {nullptr, false}};
  for (const Case& c : cases) {
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    std::string text = "[Ombrix Sonavia]\n";
    if (c.value != nullptr) text += std::string(kLongPressKey) + "=" + c.value + "\n";
    testing::WriteBytes(path, text);
    testing::SimulatedWindow window("/home/u");
    window.main.Settings.SetPath(path);
    window.main.FormCreate();
    EXPECT_EQ(window.main.Presses.LongPressOpens(), c.on) << (c.value ? c.value : "absent");
  }
}

}  // namespace
}  // namespace sonavia::controls
