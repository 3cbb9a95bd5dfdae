// The reading commands as timelines on the simulated platform: a page is
// loaded and read through the window's handlers, the fake library speaks.
#include "controls/ReadingCommands.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/FormPrincipal.h"
#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"
#include "support/SimulatedWindow.h"

namespace sonavia::controls {
namespace {

using Lines = std::vector<std::string>;

class ReadingCommandsTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  ReadingCommandsTest() : SimulatedWindow("/w") {}

  void Start(bool speech = true, bool links = true) {
    library.available = speech;
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = links ? "<body><p>Primera frase. Segona frase. <a href=\"a.htm\">Primer</a> "
                        "<a href=\"b.htm\">Segon</a> Tercera frase.</p></body>"
                      : "<body><p>Primera frase. Segona frase.</p></body>";
    if (links) page.links = {"file:///w/a.htm", "file:///w/b.htm"};
    browser.AddPage("file:///w/index.htm", page);
    main.TimerControlSituacio->SetEnabled(false);
    shell::StartProgram(main, about, loop);
    loop.RunFor(300 + 2500 + 50);  // loaded, announced, the title being read
    library.ClearLog();
    browser.calls.clear();
  }
  // The texts read since the log was cleared, with the ms from `since`.
  Lines TimedReads(uint64_t since) const {
    Lines reads;
    for (const auto& line : library.timeline) {
      const auto read = line.find(" Read(");
      if (read != std::string::npos)
        reads.push_back(std::to_string(std::stoull(line) - since) + line.substr(read));
    }
    return reads;
  }
  Lines ReadTexts() const {
    Lines reads;
    for (const auto& call : library.calls) {
      if (call.rfind("Read(", 0) == 0) reads.push_back(call.substr(5, call.size() - 6));
    }
    return reads;
  }
  bool SpeechOn() const {
    return main.mnuParlar.Checked() && main.SpeedButtonParlar.Caption() == "No parlar" &&
           main.mnuParlar.Caption() == "Desactivar la &Lectura (pausa)";
  }
  bool SpeechOff() const {
    return !main.mnuParlar.Checked() && main.SpeedButtonParlar.Caption() == "Parlar" &&
           main.mnuParlar.Caption() == "Activar la &Lectura (continuar)";
  }
};

TEST_F(ReadingCommandsTest, F3OrTheSpeechButtonTwiceRepeatsTheInterruptedUnitFromItsStart) {
  Start();
  for (platform::Command* control : {&main.mnuParlar, &main.SpeedButtonParlar}) {
    SCOPED_TRACE(control->Name());
    ASSERT_TRUE(RunUntilReading("SEGONA"));
    const int32_t cursor = list->UnitCursor;
    library.ClearLog();
    control->Click();
    EXPECT_TRUE(SpeechOff());
    EXPECT_EQ(library.calls, Lines{"Stop"}) << "silenced at once";
    EXPECT_EQ(list->UnitCursor, cursor - 1);
    loop.RunFor(3000);
    EXPECT_EQ(ReadTexts(), Lines{}) << "nothing while off";
    main.HoverSpeechArmed = false;
    control->Click();
    EXPECT_TRUE(SpeechOn());
    EXPECT_TRUE(main.HoverSpeechArmed);
    loop.RunFor(600);
    ASSERT_FALSE(ReadTexts().empty());
    EXPECT_NE(ReadTexts().front().find("SEGONA"), std::string::npos);
    main.mnuTornarAComencar.Click();  // the next round reads SEGONA afresh
  }
}

TEST_F(ReadingCommandsTest, F4SwitchesBetweenThePageAndItsLinks) {
  Start();
  main.mnuCanviLlegirLinksLectures.Click();
  EXPECT_EQ(main.mnuCanviLlegirLinksLectures.Caption(), "Llegir &pàgina");
  EXPECT_EQ(list->ReadingMode, reading::ReadingMode::Links);
  EXPECT_TRUE(SpeechOn());
  loop.RunFor(5000);
  EXPECT_EQ(ReadTexts(), (Lines{"PRIMER ", "SEGON "})) << "the links from the first";
  library.ClearLog();
  main.mnuCanviLlegirLinksLectures.Click();
  EXPECT_EQ(main.mnuCanviLlegirLinksLectures.Caption(), "Lle&gir Links");
  EXPECT_EQ(list->ReadingMode, reading::ReadingMode::Page);
  loop.RunFor(600);
  ASSERT_FALSE(ReadTexts().empty());
  EXPECT_EQ(ReadTexts().front(), "Títol ") << "the page from its start";
  // A page that completes is read whole, whatever was read before.
  main.mnuCanviLlegirLinksLectures.Click();
  main.GoToAddress("file:///w/index.htm");
  loop.RunFor(300 + 2500 + 50);
  EXPECT_EQ(main.mnuCanviLlegirLinksLectures.Caption(), "Lle&gir Links");
  EXPECT_EQ(list->ReadingMode, reading::ReadingMode::Page);
}

TEST_F(ReadingCommandsTest, F7SwitchesTheLanguageAndBackRestartingTheReadingThatIsOn) {
  Start();
  struct Step {
    platform::MenuItem& item;
    int32_t language;
    bool catalan;
    bool speechOff;
  } const steps[] = {{main.mnuCastella, 101, false, false},
                     {main.mnuCatala, 99, true, false},
                     {main.mnuCastella, 101, false, true},
                     {main.mnuCatala, 99, true, true}};
  for (const auto& step : steps) {
    SCOPED_TRACE(::testing::Message() << step.language << (step.speechOff ? " off" : " on"));
    if (step.speechOff) {
      main.mnuParlar.Click();
      ASSERT_TRUE(SpeechOff());
    }
    library.ClearLog();
    step.item.Click();
    EXPECT_EQ(library.language, step.language);
    EXPECT_EQ(main.mnuCatala.Checked(), step.catalan);
    EXPECT_EQ(main.mnuCastella.Checked(), !step.catalan);
    EXPECT_EQ(main.mnuCatala.Enabled(), !step.catalan);
    EXPECT_EQ(main.mnuCastella.Enabled(), step.catalan);
    EXPECT_EQ(main.mnuCatala.Shortcut(), step.catalan ? "" : "F7");
    EXPECT_EQ(main.mnuCastella.Shortcut(), step.catalan ? "F7" : "");
    loop.RunFor(600);
    if (step.speechOff) {
      // Off stays off until F3, which then reads from the start; the
      // language is said.
      EXPECT_TRUE(SpeechOff());
      EXPECT_EQ(ReadTexts(), std::vector<std::string>{step.catalan ? "Català " : "Castellano "});
      library.ClearLog();
      main.mnuParlar.Click();
      loop.RunFor(600);
    }
    EXPECT_TRUE(SpeechOn());
    ASSERT_FALSE(ReadTexts().empty());
    EXPECT_EQ(ReadTexts().front(), "Títol ");
  }
}

TEST_F(ReadingCommandsTest, F4WithSpeechOffSwitchesTheModeAndStaysSilentUntilF3) {
  Start();
  ASSERT_TRUE(RunUntilReading("SEGONA"));
  main.mnuParlar.Click();
  library.ClearLog();
  main.mnuCanviLlegirLinksLectures.Click();
  loop.RunFor(1000);
  EXPECT_EQ(list->ReadingMode, reading::ReadingMode::Links);
  EXPECT_TRUE(SpeechOff());
  EXPECT_EQ(ReadTexts(), std::vector<std::string>{"Lectura dels links "});
  main.mnuParlar.Click();
  loop.RunFor(600);
  ASSERT_FALSE(ReadTexts().empty());
}

TEST_F(ReadingCommandsTest, RestartReadsFromTheTitleWithSpeechOnOrOff) {
  Start();
  for (const bool speechOn : {true, false}) {
    ASSERT_TRUE(RunUntilReading("SEGONA"));
    if (!speechOn) main.mnuParlar.Click();
    library.ClearLog();
    const uint64_t restart = loop.Elapsed();
    main.mnuTornarAComencar.Click();
    EXPECT_TRUE(SpeechOn());
    loop.RunFor(800);
    EXPECT_EQ(TimedReads(restart),
              (Lines{"0 Read(Títol )", "100 Read(Inici )", "700 Read(PRIMERA FRASE )"}))
        << speechOn;
  }
}

TEST_F(ReadingCommandsTest, F2FollowsTheLinkBeingReadOrTheFirst) {
  Start();
  main.mnuAnarALink.Click();
  EXPECT_EQ(browser.calls, Lines{"Navigate(file:///w/a.htm)"}) << "none read yet: the first";
  EXPECT_EQ(main.cboAddress.Text(), "file:///w/a.htm");
  EXPECT_EQ(main.cboAddress.Items().back(), "file:///w/a.htm");
}

TEST_F(ReadingCommandsTest, F2AndEnterDoNothingOnAPageWithoutLinks) {
  Start(true, false);
  EXPECT_FALSE(main.SpeedButtonTab.Enabled()) << "no link to tab to";
  main.mnuAnarALink.Click();
  main.ApplicationEvents1Message(0x0D);
  main.SpeedButtonAlLink.SetEnabled(true);
  main.SpeedButtonAlLink.Click();
  EXPECT_EQ(browser.calls, Lines{});
}

TEST_F(ReadingCommandsTest, TheEnterKeyFollowsThePointedLinkOrTheOneBeingRead) {
  Start();
  struct Case {
    const char* name;
    bool pointed;     // a status text names a link
    bool boxEntered;  // the address box has just got the focus
    Lines navigated;
  } const cases[] = {
      {"nothing pointed", false, false, {"Navigate(file:///w/a.htm)"}},
      {"pointed", true, false, {"Navigate(file:///w/b.htm)"}},
      {"first Enter in the address box", true, true, {}},
  };
  for (const auto& c : cases) {
    // Each case starts on the loaded page again.
    main.GoToAddress("file:///w/index.htm");
    loop.RunFor(300 + 2500 + 50);
    browser.calls.clear();
    main.LastStatusText.clear();
    main.SpeedButtonAlLink.SetEnabled(false);
    if (c.pointed) browser.ShowStatus("file:///w/b.htm");
    if (c.boxEntered) main.cboAddress.OnEnter();
    main.ApplicationEvents1Message(0x0D);
    main.ApplicationEvents1Message(0x1B);  // other keys do nothing
    EXPECT_EQ(browser.calls, c.navigated) << c.name;
    EXPECT_TRUE(main.EnterArmed) << c.name;
  }
  // A second Enter in the box follows a link again.
  browser.calls.clear();
  main.ApplicationEvents1Message(0x0D);
  ASSERT_FALSE(browser.calls.empty());
}

TEST_F(ReadingCommandsTest, TheRateEditTakesOneTo255AndFallsBackTo160) {
  Start();
  main.mnuParlar.Click();  // speech off: changes are taken
  struct Case {
    const char* typed;
    const char* shown;
    int32_t applied;
  } const cases[] = {
      {"255", "255", 255}, {"1", "1", 1},        {"256", "160", 160}, {"0", "160", 160},
      {"-20", "160", 160}, {"", "160", 160},     {"abc", "160", 160}, {"200x", "200x", 200},
      {"$FF", "$FF", 255}, {"  42", "  42", 42},
  };
  for (const auto& c : cases) {
    main.EditVelocitat.SetText(c.typed);
    EXPECT_EQ(main.EditVelocitat.Text(), c.shown) << c.typed;
    EXPECT_EQ(main.Speech.AppliedRate, c.applied) << c.typed;
    EXPECT_EQ(library.rate, c.applied) << c.typed << ": the library has it";
  }
}

TEST_F(ReadingCommandsTest, ARateChangeWhileAUnitIsSpokenIsUndone) {
  Start();
  ASSERT_TRUE(main.Speech.Speaking);
  const int32_t applied = main.Speech.AppliedRate;
  library.ClearLog();
  main.EditVelocitat.SetText("90");
  EXPECT_EQ(main.EditVelocitat.Text(), std::to_string(applied));
  EXPECT_EQ(library.calls, Lines{}) << "no reload, the unit goes on";
}

TEST_F(ReadingCommandsTest, KeyButtonsHoldTheScanThenPressTheirKey) {
  Start();
  main.mnuEscaneig.Click();
  loop.RunFor(1500 * 6 + 10);  // the scan stands on index 5
  ASSERT_EQ(main.ScanPosition, 5);
  input.calls.clear();
  main.SpeedButtonAvPag.Click();
  EXPECT_TRUE(main.TimerParo->Enabled()) << "held";
  main.SpeedButtonRePag.Click();
  main.SpeedButtonTab.Click();
  Lines keys;
  for (const auto& call : input.calls) {
    if (call.rfind("PressKey", 0) == 0) keys.push_back(call);
  }
  EXPECT_EQ(keys, (Lines{"PressKey(34)", "PressKey(33)", "PressKey(9)"}));
}

TEST_F(ReadingCommandsTest, HistoryButtonsSwallowTheirErrors) {
  Start();
  main.SpeedButtonAnterior.Click();
  main.SpeedButtonSeguent.Click();
  browser.failCalls = true;
  EXPECT_NO_THROW(main.SpeedButtonAnterior.Click());
  EXPECT_NO_THROW(main.SpeedButtonSeguent.Click());
  EXPECT_EQ(browser.calls, (Lines{"GoBack", "GoForward", "GoBack", "GoForward"}));
}

TEST_F(ReadingCommandsTest, WithoutSpeechEnterFollowsThePointedLinkOrTheFirst) {
  Start(false);
  EXPECT_FALSE(main.mnuParlar.Checked());
  main.ApplicationEvents1Message(0x0D);
  EXPECT_EQ(browser.calls, Lines{"Navigate(file:///w/a.htm)"});
  main.GoToAddress("file:///w/index.htm");
  loop.RunFor(3000);
  browser.calls.clear();
  browser.ShowStatus("file:///w/b.htm");
  main.ApplicationEvents1Message(0x0D);
  EXPECT_EQ(browser.calls, Lines{"Navigate(file:///w/b.htm)"});
  // The rate edit still records a rate.
  main.EditVelocitat.SetText("120");
  EXPECT_EQ(main.Speech.AppliedRate, 120);
}

}  // namespace
}  // namespace sonavia::controls
