// Page loading as timelines on the simulated platform: the scripted browser
// raises the component's events, the fake speech library speaks.
#include "shell/PageEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "shell/FormPrincipal.h"
#include "shell/PageEventsFixture.h"
#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"
#include "support/SimulatedWindow.h"

namespace sonavia::shell {
namespace {

TEST(ProgressFigure, RoundsHalfToEvenAndIsNotClamped) {
  struct Case {
    int32_t progress, max;
    const char* figure;
  } const cases[] = {
      {1, 8, "12 % carregat"},
      {3, 8, "38 % carregat"},
      {5, 8, "62 % carregat"},
      {1, 3, "33 % carregat"},
      {2, 3, "67 % carregat"},
      {-1, 100, "-1 % carregat"},
      {150, 100, "150 % carregat"},
      {100, 100, "100 % carregat"},
      {std::numeric_limits<int32_t>::max(), 1, "214748364700 % carregat"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressFigure(c.progress, c.max), c.figure) << c.progress << "/" << c.max;
  }
}

TEST_F(PageEventsTest, ALoadedPageIsAnnouncedThenReadFromItsFirstUnit) {
  Load();
  bool disabledDuringAnnouncement = false;
  At(300 + 1000, [&] { disabledDuringAnnouncement = !main.Enabled(); });
  loop.RunFor(300 + 2500 + 20);
  EXPECT_TRUE(disabledDuringAnnouncement);
  EXPECT_TRUE(main.Enabled());
  EXPECT_EQ(main.Caption(), "Sonavia - Inici");
  EXPECT_EQ(input.calls.front(), "ClickPage(1,1)") << "the page gets the keyboard";
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 2u);
  EXPECT_EQ(reads[0], "301 Read(P\xE0gina carregada )");
  EXPECT_EQ(reads[1], "2801 Read(T\xEDtol )") << "the reading starts after the 2.5 s";
  loop.RunFor(20000);
  EXPECT_EQ(ReadTexts(),
            (Lines{"P\xE0gina carregada ", "T\xEDtol ", "Inici ", "UN ", "LINK ", "PRIMER ",
                   " DOS ", "LINK ", "SEGON ", "LINK ", "TERCER ", " TRES.  "}));
  EXPECT_EQ(list->ResolvedLink(3), "file:///w/c d.htm") << "%20 shown as a blank";
  EXPECT_EQ(list->BaseAddress, "file:///w/");
  EXPECT_EQ(list->PageAddress, "file:///w/index.htm");
  EXPECT_TRUE(main.SpeedButtonTab.Enabled());
  EXPECT_FALSE(main.SpeedButtonAlLink.Enabled());
  EXPECT_TRUE(main.HoverSpeechArmed);
  EXPECT_EQ(list->UnitCursor, 0) << "the end of the list resets the cursors";
}

TEST_F(PageEventsTest, WithTheReadingOffThePageIsHarvestedInSilence) {
  main.mnuParlar.SetChecked(false);
  main.SpeedButtonParlar.SetCaption("Parlar");
  Load();
  loop.RunFor(5000);
  EXPECT_EQ(ReadTexts(), Lines{});
  EXPECT_EQ(main.Caption(), "Sonavia - Inici");
  EXPECT_EQ(list->LinkCount, 3);
  EXPECT_GT(list->UnitCount, 2);
  EXPECT_TRUE(main.Enabled());
}

TEST_F(PageEventsTest, ADocumentWithoutTitleLinksOrBody) {
  Load();
  loop.RunFor(3000);
  testing::ScriptedPage bare;
  bare.hasBody = false;
  browser.AddPage("file:///w/bare.htm", bare);
  Load("file:///w/bare.htm");
  loop.RunFor(3000);
  // The harvest ends at the missing body: title and links are in, the old
  // units stay, nothing is read, and the closing steps still run.
  EXPECT_EQ(main.Caption(), "Sonavia - ");
  EXPECT_EQ(list->ResolvedLink(1), "") << "an earlier page's addresses are cleared";
  EXPECT_TRUE(main.HoverSpeechArmed);
  EXPECT_FALSE(main.SpeedButtonAlLink.Enabled());
  EXPECT_TRUE(main.SpeedButtonTab.Enabled()) << "follows the link count then held";
  EXPECT_EQ(ReadTexts().back(), "P\xE0gina carregada ");
}

TEST_F(PageEventsTest, ProgressIsShownWhileDownloadingAndSpokenEveryFourSeconds) {
  Load();
  loop.RunFor(3000);
  library.ClearLog();
  main.brwWebBrowserDownloadBegin();
  const uint64_t begin = loop.Elapsed();
  struct Step {
    uint64_t at;
    int32_t progress, max;
    const char* status;
    bool spoken;
  } const steps[] = {
      {10, 1, 8, " || 12 % carregat", false},
      {4000, 2, 8, " || 25 % carregat", false},  // exactly 4 s: not yet
      {4001, 3, 8, " || 38 % carregat", true},
      {4002, 1, 0, " || 38 % carregat", false},  // no maximum: ignored
      {9000, -1, 100, " || -1 % carregat", false},
      {9001, 1, 3, " || 33 % carregat", true},
  };
  for (const auto& step : steps) {
    At(begin + step.at, [&] {
      const size_t before = library.calls.size();
      main.brwWebBrowserProgressChange(step.progress, step.max);
      EXPECT_EQ(main.StatusBar1.Text(), step.status) << step.at;
      const bool spoke =
          library.calls.size() > before && library.calls.back().rfind("Read(", 0) == 0;
      EXPECT_EQ(spoke, step.spoken) << step.at;
    });
  }
  loop.RunFor(9100);
  main.brwWebBrowserStatusTextChange("Listo");
  main.brwWebBrowserProgressChange(5, 8);
  EXPECT_EQ(main.StatusBar1.Text(), "Listo") << "nothing after the end of loading";
}

class PageEventsWrapTest : public PageEventsTest {
 protected:
  PageEventsWrapTest() : PageEventsTest(std::numeric_limits<uint32_t>::max() - 1000) {}
};

TEST_F(PageEventsWrapTest, AWrapOfTheTickCountNeitherSpeaksEarlyNorSilences) {
  main.brwWebBrowserDownloadBegin();
  loop.RunFor(3000);  // the tick count wraps here
  main.brwWebBrowserProgressChange(1, 2);
  EXPECT_EQ(ReadTexts(), Lines{});
  loop.RunFor(1001);
  main.brwWebBrowserProgressChange(1, 2);
  EXPECT_EQ(ReadTexts(), Lines{"50 % carregat "});
}

TEST_F(PageEventsTest, PointingAtALinkMovesTheReadingThere) {
  Load();
  loop.RunFor(2800 + 100);  // the title is being read
  const int32_t linkUnit = list->Link(3).UnitIndex;
  library.ClearLog();
  browser.ShowStatus("file:///w/c d.htm");
  EXPECT_TRUE(main.SpeedButtonAlLink.Enabled());
  EXPECT_EQ(main.LastStatusText, "file:///w/c d.htm");
  EXPECT_EQ(library.calls.front(), "Stop") << "the utterance is cut";
  loop.RunFor(2000);
  const Lines texts = ReadTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0], "LINK ");
  EXPECT_EQ(texts[1], "TERCER ");
  EXPECT_EQ(list->Unit(linkUnit).Text, "TERCER");
}

TEST_F(PageEventsTest, PointingInLinksReadingOrAtAnAddressWithMoreWords) {
  struct Case {
    const char* name;
    bool linksReading;
    const char* status;
    Lines spoken;
  } const cases[] = {
      {"links reading, exact", true, "file:///w/c d.htm", {"TERCER "}},
      {"containment", false, "Obrir file:///w/b.htm ara", {"SEGON "}},
  };
  for (const auto& c : cases) {
    Load();
    loop.RunFor(2800 + 100);
    if (c.linksReading) list->SetReadingMode(reading::ReadingMode::Links);
    library.ClearLog();
    browser.ShowStatus(c.status);
    EXPECT_TRUE(main.SpeedButtonAlLink.Enabled()) << c.name;
    EXPECT_EQ(ReadTexts(), c.spoken) << c.name;
    if (!c.linksReading) {
      EXPECT_EQ(list->UnitCursor, 0) << c.name;
      EXPECT_EQ(list->LinkCursor, 0) << c.name;
    }
    loop.RunFor(3000);
    EXPECT_EQ(ReadTexts(), c.spoken) << c.name << ": the reading stays stopped";
  }
}

TEST_F(PageEventsTest, StatusTextsThatNameNoLinkOrComeBeforeThePageIsReady) {
  Load();
  loop.RunFor(200);
  browser.ShowStatus("file:///w/a.htm");  // still downloading: no links yet
  EXPECT_TRUE(main.SpeedButtonAlLink.Enabled()) << "kept on a page without links";
  loop.RunFor(3000);
  browser.ShowStatus("file:///w/a.htm");
  EXPECT_TRUE(main.SpeedButtonAlLink.Enabled());
  browser.ShowStatus("file:///w/altre.htm");
  EXPECT_FALSE(main.SpeedButtonAlLink.Enabled());
  browser.ShowStatus("");
  EXPECT_EQ(main.LastStatusText, "file:///w/altre.htm") << "empty texts are ignored";
  // Armed only once the page is complete.
  library.ClearLog();
  main.brwWebBrowserDownloadBegin();
  browser.ShowStatus("file:///w/a.htm");
  EXPECT_EQ(ReadTexts(), Lines{});
  EXPECT_TRUE(main.SpeedButtonAlLink.Enabled());
}

class WatchdogTest : public PageEventsTest {
 protected:
  void SetUp() override {
    PageEventsTest::SetUp();
    main.TimerControlSituacio->SetEnabled(true);
    loop.SetTimerLateness(40, true);
  }
};

TEST_F(WatchdogTest, SpeaksWaitsAndClosesTheWindowsAUserCannotSee) {
  struct Case {
    const char* name;
    platform::WindowInfo window;
    bool readingOn;
    const char* spoken;  // nullptr: nothing
    uint32_t wait;
    const char* key;
  } const cases[] = {
      {"dial-up",
       {7, "Conexi\xF3n de acceso telef\xF3nico a redes", "#32770", "", 0},
       true,
       "No estem conectats a la xarxa, cal fer la conexi\xF3 manual ",
       5000,
       "PressKey(27)"},
      {"dial-up, part of the title",
       {7, "Marcant: Conexi\xF3n de acceso telef\xF3nico a redes", "X", "", 0},
       true,
       "No estem conectats a la xarxa, cal fer la conexi\xF3 manual ",
       5000,
       "PressKey(27)"},
      {"navigation failure",
       {8, kNavigationErrorTitle, "QMessageBox", "", 0x0D},
       true,
       "No puc trobar aquest lloc ",
       2500,
       "PressKey(13)"},
      {"navigation failure, reading off",
       {8, kNavigationErrorTitle, "QMessageBox", "", 0x0D},
       false,
       nullptr,
       2500,
       "PressKey(13)"},
      {"page alert",
       {9, kPageDialogTitle, "QMessageBox", "Hola!", 0x0D},
       true,
       "Missatge de la p\xE0gina: Hola! ",
       0,
       "PressKey(13)"},
      {"page confirm",
       {9, kPageDialogTitle, "QMessageBox", "Segur?", 0x1B},
       true,
       "Missatge de la p\xE0gina: Segur? ",
       0,
       "PressKey(27)"},
  };
  for (const auto& c : cases) {
    main.mnuParlar.SetChecked(c.readingOn);
    windows.windows = {c.window};
    windows.raised.clear();
    input.calls.clear();
    library.ClearLog();
    const uint64_t shown = loop.Elapsed();
    bool timerStoppedInWait = false;
    At(shown + 1040 + 100, [&] { timerStoppedInWait = !main.TimerControlSituacio->Enabled(); });
    // The window goes once its key has been pressed.
    while (input.calls.empty() && loop.Elapsed() < shown + 20000) loop.RunFor(10);
    windows.Close(c.window.handle);
    const Lines texts = ReadTexts();
    if (c.spoken != nullptr) {
      EXPECT_EQ(texts, Lines{c.spoken}) << c.name;
    } else {
      EXPECT_EQ(texts, Lines{}) << c.name;
    }
    ASSERT_EQ(input.calls, Lines{c.key}) << c.name;
    EXPECT_EQ(windows.raised, Lines{std::to_string(c.window.handle)}) << c.name;
    if (c.wait > 0) {
      EXPECT_TRUE(timerStoppedInWait) << c.name;
      // Found at the next (late) tick, answered after the wait.
      EXPECT_GE(loop.Elapsed(), shown + c.wait) << c.name;
      EXPECT_LE(loop.Elapsed(), shown + 1040 + c.wait + 10) << c.name;
    }
    EXPECT_TRUE(main.TimerControlSituacio->Enabled()) << c.name;
    loop.RunFor(3000);
    EXPECT_EQ(input.calls.size(), 1u) << c.name << ": nothing more once it is closed";
  }
}

TEST_F(WatchdogTest, AFailureMessageWaitsForAnAnnouncementStillSpokenWithinTheSameWait) {
  library.msPerCharacter = 60;  // "Pàgina carregada " lasts about a second
  main.Speech.UseItemVoice();
  main.Speech.SpeakMessage("P\xE0gina carregada");
  windows.windows = {{8, kNavigationErrorTitle, "QMessageBox", "", 0x0D}};
  const uint64_t shown = loop.Elapsed();
  while (input.calls.empty() && loop.Elapsed() < shown + 10000) loop.RunFor(10);
  EXPECT_EQ(ReadTexts(), (Lines{"P\xE0gina carregada ", "No puc trobar aquest lloc "}));
  EXPECT_LE(loop.Elapsed(), shown + 1040 + 2500 + 10) << "closed within the same wait";
}

TEST_F(WatchdogTest, WindowsThatOnlyResembleTheWatchedOnesAreLeftAlone) {
  windows.windows = {{1, std::string("Error - ") + kNavigationErrorTitle, "QMessageBox", "", 0},
                     {2, "Missatge", "QMessageBox", "", 0},
                     {3, "", "QMessageBox", "", 0}};
  loop.RunFor(5000);
  EXPECT_EQ(input.calls, Lines{});
  EXPECT_EQ(ReadTexts(), Lines{});
}

TEST_F(WatchdogTest, APageDialogInterruptsTheReadingWhichThenGoesOn) {
  Load();
  loop.RunFor(2800 + 3000);  // somewhere in the page's units
  ASSERT_TRUE(main.Speech.Speaking);
  const std::string interrupted = list->Unit(list->UnitCursor).Text + " ";
  library.ClearLog();
  windows.windows = {{9, kPageDialogTitle, "QMessageBox", std::string(400, 'x'), 0x0D}};
  while (input.calls.size() < 2 && loop.Elapsed() < 60000) loop.RunFor(10);
  windows.windows.clear();
  loop.RunFor(3000);
  const Lines texts = ReadTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Missatge de la p\xE0gina: " + std::string(300, 'x') + " ");
  EXPECT_EQ(texts[1], interrupted) << "the interrupted unit again";
}

}  // namespace
}  // namespace sonavia::shell
