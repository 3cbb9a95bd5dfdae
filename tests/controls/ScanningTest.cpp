#include "controls/Scanning.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/FormPrincipal.h"
#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::controls {
namespace {

// A pointer move as "time:index", the index of the button it lands in.
using Moves = std::vector<std::string>;

// The client area starts at (100, 50) on the screen: button i is at
// (120 + 62 i, 70).
struct TimedInput : testing::RecordingInput {
  explicit TimedInput(testing::SimulatedEventLoop& l) : loop(l) {}
  void SetCursorPos(platform::Point p) override {
    RecordingInput::SetCursorPos(p);
    const bool onButton = p.y == origin.y + 20 && (p.x - origin.x - 20) % 62 == 0;
    moves.push_back(std::to_string(loop.Elapsed()) + ":" +
                    (onButton ? std::to_string((p.x - origin.x - 20) / 62) : "off"));
  }
  Moves Take() { return std::exchange(moves, {}); }
  testing::SimulatedEventLoop& loop;
  Moves moves;
};

// The scan on its own, as the window builds it: both timers off and wired
// to it, the edits at their initial values, the position after creation.
struct Rig {
  Rig() {
    stepEdit.SetText("15");
    pauseEdit.SetText("30");
    step->SetEnabled(false);
    pause->SetEnabled(false);
    step->SetOnTimer([this] { scan.Step(); });
    pause->SetOnTimer([this] { scan.EndHold(); });
  }
  // Runs until the clock reads `t` ms since the start.
  void RunTo(uint64_t t) { loop.RunFor(t - loop.Elapsed()); }

  testing::SimulatedEventLoop loop;
  TimedInput input{loop};
  platform::MenuItem item{"mnuEscaneig"};
  std::unique_ptr<platform::Timer> step = loop.CreateTimer();
  std::unique_ptr<platform::Timer> pause = loop.CreateTimer();
  platform::Edit stepEdit{"TextDecimesScan"}, pauseEdit{"TextTimerParo"};
  platform::MenuItem spoken{"mnuEscaneigParlat"};
  int position = 8, first = 0, last = 8, pitch = 62;
  int pageFocused = 0;
  Scanning scan{{item, *step, *pause, stepEdit, pauseEdit, spoken},
                {position, first, last, pitch},
                input,
                {[this] { ++pageFocused; }, nullptr, nullptr, nullptr, nullptr}};
};

class ScanningTest : public ::testing::Test, protected Rig {};

TEST(Scanning, AFullCycleVisitsEveryButtonAtTheStepsPace) {
  struct Case {
    int last;
    uint32_t lateness;
  };
  for (const Case c : {Case{8, 0}, Case{7, 0}, Case{8, 40}, Case{7, 250}}) {
    SCOPED_TRACE(::testing::Message() << "last " << c.last << ", late " << c.lateness);
    Rig r;
    r.last = c.last;
    r.loop.SetTimerLateness(c.lateness);
    r.scan.Toggle();
    EXPECT_TRUE(r.item.Checked());
    EXPECT_EQ(r.step->Interval(), 1500u);
    const uint64_t period = 1500 + c.lateness;
    // One cycle and the first button of the next.
    r.loop.RunFor(period * (c.last + 2));
    Moves expected;
    for (int i = 0; i <= c.last + 1; ++i)
      expected.push_back(std::to_string(period * (i + 1)) + ":" + std::to_string(i % (c.last + 1)));
    EXPECT_EQ(r.input.Take(), expected);
  }
}

TEST(Scanning, AChoiceOnALaterButtonHoldsThePointerForThePause) {
  // The step lands on index i at 1500 (i + 1); the choice comes 500 ms later.
  for (int index = 0; index <= 8; ++index) {
    SCOPED_TRACE(index);
    Rig r;
    r.scan.Toggle();
    const uint64_t chosen = 1500 * (index + 1) + 500;
    r.RunTo(chosen);
    r.input.Take();
    r.scan.Hold();
    const bool holds = index >= 4;  // not the history, stop and reload buttons
    EXPECT_EQ(r.pause->Enabled(), holds);
    EXPECT_EQ(r.step->Enabled(), !holds);
    r.RunTo(chosen + 5000);
    const std::string next = std::to_string((index + 1) % 9);
    // Held: the pause ends 3 s after the choice, the next step 1.5 s later.
    const Moves expected =
        holds ? Moves{std::to_string(chosen + 4500) + ":" + next}
              : Moves{std::to_string(chosen + 1000) + ":" + next,
                      std::to_string(chosen + 2500) + ":" + std::to_string((index + 2) % 9),
                      std::to_string(chosen + 4000) + ":" + std::to_string((index + 3) % 9)};
    EXPECT_EQ(r.input.Take(), expected);
    EXPECT_FALSE(r.pause->Enabled());
    EXPECT_TRUE(r.step->Enabled());
  }
}

TEST_F(ScanningTest, FurtherChoicesDuringAHoldNeitherRestartNorLengthenIt) {
  pauseEdit.SetText("10");  // a new pause counts from the next hold
  scan.Toggle();
  RunTo(6 * 1500);  // on "Av pag"
  ASSERT_EQ(position, 5);
  scan.Hold();
  EXPECT_EQ(pause->Interval(), 1000u);
  RunTo(6 * 1500 + 600);
  scan.Hold();
  scan.Hold();
  RunTo(20000);
  EXPECT_EQ(input.Take(),
            (Moves{"1500:0", "3000:1", "4500:2", "6000:3", "7500:4", "9000:5", "11500:6", "13000:7",
                   "14500:8", "16000:0", "17500:1", "19000:2"}));
}

TEST_F(ScanningTest, SwitchingOffAndOnDuringAHold) {
  scan.Toggle();
  RunTo(9000);  // on index 5
  scan.Hold();
  EXPECT_EQ(scan.FramedIndex(), 5) << "the frame stays on the held button";

  // Holding-off: the pause ends and nothing moves any more.
  RunTo(10000);
  scan.Toggle();
  EXPECT_FALSE(item.Checked());
  EXPECT_TRUE(pause->Enabled());
  EXPECT_LT(scan.FramedIndex(), 0);
  RunTo(12000);
  EXPECT_FALSE(pause->Enabled());
  EXPECT_FALSE(step->Enabled());

  // Holding-on: the steps only put the pointer back on the held button,
  // wherever the user has moved the mouse, until the pause ends.
  RunTo(20000);
  EXPECT_EQ(input.Take(), (Moves{"1500:0", "3000:1", "4500:2", "6000:3", "7500:4", "9000:5"}));
  scan.Hold();
  EXPECT_FALSE(pause->Enabled()) << "no hold while scanning is off";
  scan.Toggle();
  RunTo(21500);  // index 6
  scan.Hold();
  RunTo(22000);
  scan.Toggle();  // Holding-off
  scan.Toggle();  // Holding-on
  EXPECT_TRUE(step->Enabled());
  EXPECT_TRUE(pause->Enabled());
  input.pointer = {3, 3};
  RunTo(27000);
  EXPECT_EQ(input.Take(), (Moves{"21500:6", "23500:6", "25000:7", "26500:8"}));
  EXPECT_EQ(scan.FramedIndex(), 8);

  // Holding-on, a choice holds again: the steps stop until the pause ends.
  RunTo(34000);  // index 4
  scan.Hold();
  RunTo(34500);
  scan.Toggle();
  scan.Toggle();
  RunTo(35000);
  scan.Hold();
  EXPECT_FALSE(step->Enabled());
  RunTo(39000);
  EXPECT_EQ(input.Take(),
            (Moves{"28000:0", "29500:1", "31000:2", "32500:3", "34000:4", "38500:5"}));
}

TEST_F(ScanningTest, AStepTickQueuedBeforeTheHoldOnlyPutsThePointerBack) {
  // Ticks come 200 ms late and one already due still comes after its timer
  // stopped, as on a busy thread.
  loop.SetTimerLateness(200, true);
  scan.Toggle();
  RunTo(6 * 1700);  // on index 5
  ASSERT_EQ(position, 5);
  RunTo(11800);  // the next step fell due at 11700 and waits
  scan.Hold();
  RunTo(20000);
  EXPECT_EQ(input.Take(), (Moves{"1700:0", "3400:1", "5100:2", "6800:3", "8500:4", "10200:5",
                                 "11900:5", "16700:6", "18400:7"}));
  EXPECT_EQ(position, 7);

  // Off with a tick queued: the pointer moves once more, with no frame.
  RunTo(20050);  // the step due at 19900 waits until 20100
  scan.Toggle();
  EXPECT_LT(scan.FramedIndex(), 0);
  RunTo(30000);
  EXPECT_EQ(input.Take(), (Moves{"20100:8"}));
  EXPECT_LT(scan.FramedIndex(), 0);
}

TEST_F(ScanningTest, ANewStepCountsFromTheNextSwitchOn) {
  scan.Toggle();
  EXPECT_LT(scan.FramedIndex(), 0) << "until the pointer is put on a button";
  RunTo(3000);
  EXPECT_EQ(scan.FramedIndex(), 1);
  stepEdit.SetText("5");
  scan.CheckStepEdit();
  RunTo(6000);
  scan.Toggle();
  scan.Toggle();
  EXPECT_EQ(step->Interval(), 500u);
  RunTo(7000);
  EXPECT_EQ(input.Take(), (Moves{"1500:0", "3000:1", "4500:2", "6000:3", "6500:4", "7000:5"}));
}

TEST_F(ScanningTest, LeavingAnEditCorrectsItsValueAndGivesThePageTheFocus) {
  struct Case {
    const char* text;
    bool kept;
  };
  const Case cases[] = {{"0", false},  {"101", false}, {"abc", false}, {"", false},
                        {"-5", false}, {"1", true},    {"100", true},  {" 20 s", true}};
  int focused = 0;
  for (const Case& c : cases) {
    for (bool isStep : {true, false}) {
      SCOPED_TRACE(::testing::Message()
                   << '"' << c.text << "\" in " << (isStep ? "step" : "pause"));
      platform::Edit& edit = isStep ? stepEdit : pauseEdit;
      edit.SetText(c.text);
      isStep ? scan.CheckStepEdit() : scan.CheckPauseEdit();
      EXPECT_EQ(edit.Text(), c.kept ? c.text : (isStep ? "15" : "30"));
      EXPECT_EQ(pageFocused, ++focused);
    }
  }
  EXPECT_FALSE(step->Enabled()) << "the check leaves the timers alone";
  EXPECT_EQ(step->Interval(), 1000u);
}

TEST_F(ScanningTest, AnIntervalOfZeroNeverTicks) {
  // Values typed and not yet checked are used as they stand.
  stepEdit.SetText("0");
  scan.Toggle();
  EXPECT_TRUE(item.Checked());
  RunTo(60000);
  EXPECT_TRUE(input.Take().empty());

  stepEdit.SetText("15");
  pauseEdit.SetText("0");
  scan.Toggle();
  scan.Toggle();
  RunTo(69000);  // index 5
  scan.Hold();
  RunTo(200000);
  EXPECT_EQ(input.Take(), (Moves{"61500:0", "63000:1", "64500:2", "66000:3", "67500:4", "69000:5"}))
      << "a pause of 0 holds until scanning is switched off and on";
}

// The window's handlers and controls, wired to the scan, after creation.
struct Window {
  explicit Window(bool speech = true) {
    library.available = speech;
    form.FormCreate();
  }
  struct : platform::Desktop {
    void OpenWebPage(const std::string&) override {}
  } desktop;
  testing::SimulatedEventLoop loop;
  testing::FakeSpeechLibrary library{loop};
  testing::ScriptedBrowser browser{loop};
  TimedInput input{loop};
  std::unique_ptr<reading::ReadingList> list = std::make_unique<reading::ReadingList>();
  about::TAboutBox about{loop, desktop};
  testing::FakeWindowList windows;
  shell::TFormPrincipal form{loop,  library, browser,
                             input, windows, [] { return std::string("/home/u/index.htm"); },
                             *list, about};
};

TEST(WindowScanning, TheMenuItemStartsAndTheToolbarsRightClickStops) {
  for (bool speech : {true, false}) {
    SCOPED_TRACE(speech ? "with speech" : "reduced");
    Window w(speech);
    int notes = 0;
    w.form.OnStateChanged = [&] { ++notes; };
    w.form.mnuEscaneig.Click();
    EXPECT_TRUE(w.form.mnuEscaneig.Checked());
    const int count = speech ? 9 : 8;
    w.loop.RunFor(1500 * count + 1000);
    Moves expected;
    for (int i = 0; i < count; ++i)
      expected.push_back(std::to_string(1500 * (i + 1)) + ":" + std::to_string(i));
    EXPECT_EQ(w.input.Take(), expected);
    EXPECT_EQ(w.form.Scan.FramedIndex(), count - 1);
    EXPECT_EQ(notes, count) << "the view hears of every move of the frame";
    w.form.ToolBarBotonsContextPopup();
    EXPECT_FALSE(w.form.mnuEscaneig.Checked());
    w.loop.RunFor(10000);
    EXPECT_TRUE(w.input.Take().empty());
  }
}

TEST(WindowScanning, TheEditsAreCheckedWhenLeft) {
  Window w;
  w.form.TextDecimesScan.SetText("0");
  w.form.TextDecimesScan.OnExit();
  w.form.TextTimerParo.SetText("101");
  w.form.TextTimerParo.OnExit();
  EXPECT_EQ(w.form.TextDecimesScan.Text(), "15");
  EXPECT_EQ(w.form.TextTimerParo.Text(), "30");
}

TEST(WindowScanning, AClickOnTheToolbarHolds) {
  Window w;
  w.form.ToolBarBotonsContextPopup();
  w.loop.RunFor(6 * 1500);
  ASSERT_EQ(w.form.ScanPosition, 5);
  w.form.ToolBarBotonsClick();  // a press on a disabled "Tab" comes here too
  EXPECT_TRUE(w.form.TimerParo->Enabled());
  EXPECT_FALSE(w.form.TimerEscaneig->Enabled());
  w.loop.RunFor(3000);
  EXPECT_TRUE(w.form.TimerEscaneig->Enabled());
}

// Every entry point of a command that pauses the scan holds it, and the
// others leave it running.
TEST(WindowScanning, TheCommandsThatHoldTheScanFromEveryEntryPoint) {
  struct Case {
    const char* name;
    std::function<void(shell::TFormPrincipal&)> press;
    bool holds;
  } const cases[] = {
      {"F3", [](auto& f) { f.mnuParlar.Click(); }, true},
      {"the speech button", [](auto& f) { f.SpeedButtonParlar.Click(); }, true},
      {"Ctrl+F3", [](auto& f) { f.mnuTornarAComencar.Click(); }, true},
      {"F4", [](auto& f) { f.mnuCanviLlegirLinksLectures.Click(); }, true},
      {"F7", [](auto& f) { f.mnuCastella.Click(); }, true},
      {"F6", [](auto& f) { f.MenuMarcSeguent.Click(); }, true},
      {"Re Pag", [](auto& f) { f.SpeedButtonRePag.Click(); }, true},
      {"Av pag", [](auto& f) { f.SpeedButtonAvPag.Click(); }, true},
      {"Tab", [](auto& f) { f.SpeedButtonTab.Click(); }, true},
      {"Anterior", [](auto& f) { f.SpeedButtonAnterior.Click(); }, false},
      {"F9", [](auto& f) { f.mnuEndarrera.Click(); }, false},
      {"Refrescar", [](auto& f) { f.SpeedButtonRecarregar.Click(); }, false},
      {"F2", [](auto& f) { f.mnuAnarALink.Click(); }, false},
  };
  for (const auto& c : cases) {
    Window w;
    w.form.mnuEscaneig.Click();
    w.loop.RunFor(6 * 1500);
    ASSERT_EQ(w.form.ScanPosition, 5) << c.name;
    c.press(w.form);
    EXPECT_EQ(w.form.TimerParo->Enabled(), c.holds) << c.name;
    EXPECT_EQ(w.form.TimerEscaneig->Enabled(), !c.holds) << c.name;
  }
}

}  // namespace
}  // namespace sonavia::controls
