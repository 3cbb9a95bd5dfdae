// Page loading as timelines on the simulated platform: the scripted browser
// raises the component's events, the fake speech library speaks.
#include "shell/PageEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
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
  // Whatever rounding mode is in force, which stays in force.
  std::fesetround(FE_UPWARD);
  EXPECT_EQ(ProgressFigure(1, 8), "12 % carregat");
  EXPECT_EQ(std::fegetround(), FE_UPWARD);
  std::fesetround(FE_TONEAREST);
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
  EXPECT_EQ(reads[0], "301 Read(Pàgina carregada )");
  EXPECT_EQ(reads[1], "2801 Read(Títol )") << "the reading starts after the 2.5 s";
  loop.RunFor(20000);
  EXPECT_EQ(ReadTexts(), (Lines{"Pàgina carregada ", "Títol ", "Inici ", "UN ", "LINK ", "PRIMER ",
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
  testing::ScriptedPage many;
  for (int i = 1; i <= 2001; ++i) many.links.push_back("file:///w/" + std::to_string(i) + ".htm");
  browser.AddPage("file:///w/many.htm", many);
  Load("file:///w/many.htm");
  loop.RunFor(3000);
  ASSERT_EQ(list->ResolvedLink(2000), "file:///w/2000.htm") << "as many as the list holds";
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
  EXPECT_EQ(list->ResolvedLink(2000), "");
  EXPECT_TRUE(main.HoverSpeechArmed);
  EXPECT_FALSE(main.SpeedButtonAlLink.Enabled());
  EXPECT_TRUE(main.SpeedButtonTab.Enabled()) << "follows the link count then held";
  EXPECT_EQ(ReadTexts().back(), "Pàgina carregada ");
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
      {9000, 0, 100, " || 0 % carregat", false},
      {9001, 1, 3, " || 33 % carregat", true},
  };
  for (const auto& step : steps) {
    At(begin + step.at, [&] {
      const size_t before = library.calls.size();
      browser.events.ProgressChange(step.progress, step.max);  // as the component raises it
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

// A page whose text is there is read while a picture or a frame still loads:
// the progress goes on in the status bar, never over the reading.
TEST_F(PageEventsTest, APageIsReadWhileItsPicturesStillLoad) {
  testing::ScriptedPage page;
  page.title = "Lenta";
  page.body = "<body><p>Un. Dos. Tres. Quatre. Cinc.</p></body>";
  page.restTime = 20000;
  browser.AddPage("file:///w/lenta.htm", page);
  Load("file:///w/lenta.htm");
  std::vector<std::string> status;
  for (uint64_t t : {5000u, 12000u}) At(t, [&] { status.push_back(main.StatusBar1.Text()); });
  loop.RunFor(25000);
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 3u);
  EXPECT_EQ(reads[0], "301 Read(Pàgina carregada )");
  EXPECT_EQ(reads[1], "2801 Read(Títol )");
  for (const std::string& read : reads) {
    EXPECT_EQ(read.find("carregat"), std::string::npos) << read;
    EXPECT_EQ(read.find("Stop"), std::string::npos) << read;
  }
  EXPECT_EQ(status, (Lines{" || 68 % carregat", " || 82 % carregat"}));
  main.brwWebBrowserProgressChange(5, 8);
  EXPECT_EQ(main.StatusBar1.Text(), " || 100 % carregat") << "nothing once it has all loaded";
  const Lines texts = ReadTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Pàgina carregada "), 1);
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

TEST_F(PageEventsTest, PointingInLinksReadingAtAnAddressWithMoreWordsOrWithSpeechOff) {
  struct Case {
    const char* name;
    bool linksReading, speechOn;
    const char* during;  // the unit being read
    const char* status;
    Lines spoken;  // in the item voice, speaker 2
  } const cases[] = {
      {"links reading, exact", true, true, "Inici", "file:///w/c d.htm", {"TERCER "}},
      {"containment, during a text", false, true, "UN", "Obrir file:///w/b.htm ara", {"SEGON "}},
      {"speech off", false, false, "", "file:///w/c d.htm", {}},
  };
  for (const auto& c : cases) {
    main.SpeechState.Set(c.speechOn);
    Load();
    if (c.speechOn) {
      ASSERT_TRUE(RunUntilReading(c.during)) << c.name;
    } else {
      loop.RunFor(3000);
    }
    if (c.linksReading) list->SetReadingMode(reading::ReadingMode::Links);
    library.ClearLog();
    browser.ShowStatus(c.status);
    EXPECT_TRUE(main.SpeedButtonAlLink.Enabled()) << c.name;
    EXPECT_EQ(ReadTexts(), c.spoken) << c.name;
    if (!c.spoken.empty()) {
      EXPECT_EQ(library.speaker, 2) << c.name;
    }
    if (!c.linksReading) {
      EXPECT_EQ(list->UnitCursor, 0) << c.name;
      EXPECT_EQ(list->LinkCursor, 0) << c.name;
    }
    loop.RunFor(3000);
    EXPECT_EQ(ReadTexts(), c.spoken) << c.name << ": the reading stays stopped";
  }
}

// A frame that completes once the page is read is neither announced nor
// read again: the reading goes on where it was.
TEST_F(PageEventsTest, ACompletionWhileThePageIsReadChangesNothing) {
  Load();
  ASSERT_TRUE(RunUntilReading("UN"));
  library.ClearLog();
  main.brwWebBrowserDocumentComplete();
  loop.RunFor(100);
  EXPECT_TRUE(main.Speech.Speaking);
  EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "Stop"), 0);
  const Lines texts = ReadTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Pàgina carregada "), 0);
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

// The tick that finds a window speaks, waits, brings it to the top and
// answers it; the watchdog rests meanwhile.
TEST_F(WatchdogTest, SpeaksWaitsAndClosesTheWindowsAUserCannotSee) {
  const std::string dialUp = "Conexión de acceso telefónico a redes";
  const std::string notConnected = "No estem conectats a la xarxa, cal fer la conexió manual ";
  struct Case {
    const char* name;
    platform::WindowInfo window;
    bool readingOn;
    Lines spoken;
    uint32_t takes;  // ms from the tick to the key
    const char* key;
  } const cases[] = {
      {"dial-up", {7, dialUp, "#32770", "", 0}, true, {notConnected}, 5000, "PressKey(27)"},
      {"dial-up, part of the title",
       {7, "Marcant: " + dialUp, "X", "", 0},
       true,
       {notConnected},
       5000,
       "PressKey(27)"},
      {"navigation failure",
       {8, "Navegador web", "QMessageBox", "", 0x0D},
       true,
       {"No puc trobar aquest lloc "},
       2500,
       "PressKey(13)"},
      {"navigation failure, reading off",
       {8, "Navegador web", "QMessageBox", "", 0x0D},
       false,
       {},
       2500,
       "PressKey(13)"},
      // Answered once its message has been spoken, polled every 100 ms.
      {"page alert",
       {9, "Missatge de la pàgina", "QMessageBox", "Hola!", 0x0D},
       true,
       {"Missatge de la pàgina: Hola! "},
       300,
       "PressKey(13)"},
      {"page confirm",
       {9, "Missatge de la pàgina", "QMessageBox", "Segur?", 0x1B},
       true,
       {"Missatge de la pàgina: Segur? "},
       300,
       "PressKey(27)"},
      {"page dialog without an answer of its own",
       {9, "Missatge de la pàgina", "QMessageBox", "", 0},
       false,
       {},
       0,
       "PressKey(13)"},
  };
  for (const auto& c : cases) {
    main.mnuParlar.SetChecked(c.readingOn);
    windows.windows = {c.window};
    windows.raised.clear();
    input.calls.clear();
    main.Speech.UsePageVoice(true);  // as while a page is read
    library.ClearLog();
    bool restingInWait = false;
    loop.Post(1, [&] { restingInWait = !main.TimerControlSituacio->Enabled(); });
    const uint64_t tick = loop.Elapsed();
    main.TimerControlSituacioTimer();
    EXPECT_EQ(loop.Elapsed() - tick, c.takes) << c.name;
    Lines voiced;  // in the voice of the program's own words
    for (const auto& text : c.spoken) voiced.push_back("99/2 " + text);
    EXPECT_EQ(library.voices, voiced) << c.name;
    EXPECT_EQ(input.calls, Lines{c.key}) << c.name;
    EXPECT_EQ(windows.raised, Lines{std::to_string(c.window.handle)}) << c.name;
    EXPECT_EQ(restingInWait, c.takes > 0) << c.name;
    EXPECT_TRUE(main.TimerControlSituacio->Enabled()) << c.name;
    windows.Close(c.window.handle);  // gone once answered
    loop.RunFor(3000);
    EXPECT_EQ(input.calls.size(), 1u) << c.name << ": nothing more once it is closed";
  }
}

// A message still being spoken when the window is found is let finish.
TEST(Watchdog, AWindowsMessageWaitsForAnAnnouncementStillSpoken) {
  struct Case {
    platform::WindowInfo window;
    const char* spoken;
    uint32_t key;  // when it is pressed
  } const cases[] = {
      // Within the failure's own wait of 2.5 s from the tick.
      {{8, "Navegador web", "QMessageBox", "", 0x0D}, "No puc trobar aquest lloc ", 3500},
      // A page's dialog once its message is spoken.
      {{9, "Missatge de la pàgina", "QMessageBox", "Hola!", 0x0D},
       "Missatge de la pàgina: Hola! ",
       4600},
  };
  for (const auto& c : cases) {
    testing::SimulatedWindow w("/w");
    w.main.FormCreate();
    w.library.msPerCharacter = 100;  // "Pàgina carregada " lasts 1.7 s
    w.main.Speech.UseItemVoice();
    w.main.Speech.SpeakMessage("Pàgina carregada");
    w.windows.windows = {c.window};
    // Found at the tick of 1000, spoken at the first poll that finds the
    // engine silent.
    Lines keys;
    for (const uint32_t t : {c.key - 1, c.key + 1}) {
      w.loop.Post(t, [&] {
        keys.push_back(std::to_string(w.input.calls.size()));
        if (!w.input.calls.empty()) w.windows.Close(c.window.handle);  // answered
      });
    }
    w.loop.RunFor(5000);
    EXPECT_EQ(w.library.timeline,
              (Lines{"0 Load", "0 SetSpeed(140)", "0 Free", "0 Load", "0 SetSpeed(180)",
                     "0 SetLanguage(99)", "0 SetSpeaker(2)", "0 Read(Pàgina carregada )",
                     "1700 Read(" + std::string(c.spoken) + ")"}));
    EXPECT_EQ(keys, (Lines{"0", "1"}));
  }
}

TEST_F(WatchdogTest, WindowsThatOnlyResembleTheWatchedOnesAreLeftAlone) {
  windows.windows = {{1, "Error - Navegador web", "QMessageBox", "", 0},
                     {2, "Missatge", "QMessageBox", "", 0},
                     {3, "", "QMessageBox", "", 0}};
  loop.RunFor(5000);
  EXPECT_EQ(input.calls, Lines{});
  EXPECT_EQ(ReadTexts(), Lines{});
}

// The program's own caption holds the page's title: a page titled like the
// dial-up window must not make the watchdog speak or press keys.
TEST_F(WatchdogTest, TheProgramsOwnWindowsNeverCount) {
  testing::ScriptedPage page;
  page.title = "Ayuda: Conexión de acceso telefónico a redes";
  page.body = "<body><p>Un. Dos. Tres.</p></body>";
  browser.AddPage("file:///w/ajuda.htm", page);
  Load("file:///w/ajuda.htm");
  loop.RunFor(3000);
  windows.windows = {{1, main.Caption(), "MainWindowView", "", 0, true},
                     {2, page.title, "AboutBoxView", "", 0, true}};
  ASSERT_NE(main.Caption().find("Conexión de acceso telefónico"), std::string::npos);
  input.calls.clear();
  loop.RunFor(8000);
  EXPECT_EQ(input.calls, Lines{});
  const Lines texts = ReadTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(),
                       "No estem conectats a la xarxa, cal fer la conexió manual "),
            0);
}

// A page's dialog interrupts the unit being read, which is read again after
// it; not when nothing was being read, nor when another page has begun.
TEST_F(WatchdogTest, APageDialogInterruptsTheReadingWhichThenGoesOn) {
  testing::ScriptedPage other;
  other.title = "Altra";
  other.loadTime = 3000;  // still loading when the dialog is answered
  browser.AddPage("file:///w/altra.htm", other);
  const std::string message = "Missatge de la pàgina: " + std::string(300, 'x') + " ";
  struct Case {
    const char* name;
    uint64_t shown;  // ms after the page's load
    bool navigate;   // to another page while the message is spoken
    uint64_t after;  // ms run after the answer
    Lines read;      // from the dialog on; "*" the interrupted unit
  } const cases[] = {
      {"reading", 3000, false, 0, {message, "*"}},
      {"read to its end", 30000, false, 3000, {message}},
      {"another page begun", 3000, true, 5000, {message, "Pàgina carregada ", "Títol ", "Altra "}},
  };
  for (const auto& c : cases) {
    Load();
    loop.RunFor(2800 + c.shown);
    const bool speaking = main.Speech.Speaking;
    const std::string interrupted = list->Unit(list->UnitCursor).Text + " ";
    library.ClearLog();
    windows.windows = {{9, "Missatge de la pàgina", "QMessageBox", std::string(400, 'x'), 0x0D}};
    if (c.navigate) loop.Post(1000, [&] { main.GoToAddress("file:///w/altra.htm"); });
    main.TimerControlSituacioTimer();
    windows.windows.clear();
    loop.RunFor(c.after);
    Lines expected = c.read;
    for (auto& line : expected) line = line == "*" ? interrupted : line;
    EXPECT_EQ(speaking, c.shown < 30000) << c.name;
    EXPECT_EQ(ReadTexts(), expected) << c.name;
  }
}

}  // namespace
}  // namespace sonavia::shell
