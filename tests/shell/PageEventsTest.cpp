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
#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"
#include "support/SimulatedWindow.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

const char* const kPage =
    "<body><p>Un. <a href=\"a.htm\">Primer</a> dos. <a href=\"b.htm\">Segon</a> "
    "<a href=\"c%20d.htm\">Tercer</a> tres.</p></body>";

class PageEventsTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  explicit PageEventsTest(uint32_t startTick = 0) : SimulatedWindow("/w", startTick) {}

  void SetUp() override {
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = kPage;
    page.links = {"file:///w/a.htm", "file:///w/b.htm", "file:///w/c%20d.htm"};
    browser.AddPage("file:///w/index.htm", page);
    main.FormCreate();
    about.FormCreate();
    main.TimerControlSituacio->SetEnabled(false);  // the watchdog has tests of its own
  }

  void Load(const std::string& address = "file:///w/index.htm") {
    main.GoToAddress(address);
    loop.RunFor(0);
  }

  // Texts handed to the library and stops, with their virtual times.
  Lines Reads() const {
    Lines reads;
    for (const auto& line : library.timeline) {
      if (line.find(" Read(") != std::string::npos || line.find(" Stop") != std::string::npos)
        reads.push_back(line);
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
  void At(uint64_t time, std::function<void()> action) {
    loop.Post(static_cast<uint32_t>(time - loop.Elapsed()), std::move(action));
  }
};

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
                   " DOS ", "LINK ", "SEGON ", "  ", "LINK ", "TERCER ", " TRES.  "}));
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

// When the window took no input, as [from, to) in virtual ms.
struct Blocks {
  std::vector<std::pair<uint64_t, uint64_t>> spans;
  uint64_t Longest() const {
    uint64_t longest = 0;
    for (const auto& [from, to] : spans) longest = std::max(longest, to - from);
    return longest;
  }
};

struct FramesCase {
  const char* name;
  testing::ScriptedPage page;
  size_t announced, read, blocks;
};

TEST_F(PageEventsTest, OneLoadIsAnnouncedAndReadOnceHoweverManyFramesComplete) {
  auto page = [](int frames, int late, uint32_t endless, uint32_t loadTime) {
    testing::ScriptedPage p;
    p.title = "Marcs";
    p.body = "<body>Hola.</body>";
    p.frames = frames;
    p.lateFrames = late;
    p.endlessFrameGap = endless;
    p.loadTime = loadTime;
    return p;
  };
  const FramesCase cases[] = {
      {"two frames before the page", page(2, 0, 0, 8000), 1, 1, 1},
      {"forty frames before the page", page(40, 0, 0, 3000), 1, 1, 1},
      {"frames added after the page", page(0, 12, 0, 300), 1, 1, 1},
      {"frames before and after", page(40, 40, 0, 600), 1, 1, 1},
      {"frames added forever", page(0, 0, 150, 300), 0, 0, 0},
  };
  Blocks blocks;
  main.OnStateChanged = [&] {
    if (!main.Enabled() && (blocks.spans.empty() || blocks.spans.back().second != 0)) {
      blocks.spans.push_back({loop.Elapsed(), 0});
    } else if (main.Enabled() && !blocks.spans.empty() && blocks.spans.back().second == 0) {
      blocks.spans.back().second = loop.Elapsed();
    }
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    browser.AddPage("file:///w/marcs.htm", c.page);
    library.ClearLog();
    input.calls.clear();
    blocks.spans.clear();
    Load("file:///w/marcs.htm");
    loop.RunFor(30000);
    const Lines texts = ReadTexts();
    EXPECT_EQ(static_cast<size_t>(std::count(texts.begin(), texts.end(), "P\xE0gina carregada ")),
              c.announced);
    EXPECT_EQ(static_cast<size_t>(std::count(texts.begin(), texts.end(), "T\xEDtol ")), c.read);
    if (c.read > 0) {
      EXPECT_EQ(texts.back(), "HOLA.  ") << "read to its end";
    }
    EXPECT_EQ(blocks.spans.size(), c.blocks);
    EXPECT_LE(blocks.Longest(), 2500u);
    EXPECT_EQ(
        static_cast<size_t>(std::count(input.calls.begin(), input.calls.end(), "ClickPage(1,1)")),
        c.announced)
        << "the page takes the keyboard once, and frames never";

    // Another address, as typed after F8: the page is left at once.
    library.ClearLog();
    blocks.spans.clear();
    main.cboAddress.SetText("file:///w/index.htm");
    main.cboAddressKeyDown(0x0D);
    loop.RunFor(300 + 2500 + 100);
    EXPECT_EQ(ReadTexts(), (Lines{"P\xE0gina carregada ", "T\xEDtol "}));
    ASSERT_EQ(blocks.spans.size(), 1u);
    EXPECT_EQ(blocks.Longest(), 2500u);
    loop.RunFor(20000);
  }
}

TEST_F(PageEventsTest, APageThatLoadsItselfIsAnnouncedButNeverKeepsTheUserOut) {
  Blocks blocks;
  main.OnStateChanged = [&] {
    if (!main.Enabled()) {
      blocks.spans.push_back({loop.Elapsed(), 0});
    } else if (!blocks.spans.empty() && blocks.spans.back().second == 0) {
      blocks.spans.back().second = loop.Elapsed();
    }
  };
  Load();  // the user's: its announcement keeps the window
  loop.RunFor(3000);
  // Then the page reloads itself every second, as a refresh would.
  for (int n = 0; n < 10; ++n) {
    browser.Navigate("file:///w/index.htm");
    loop.RunFor(1000);
  }
  loop.RunFor(5000);
  const Lines texts = ReadTexts();
  EXPECT_GE(std::count(texts.begin(), texts.end(), "P\xE0gina carregada "), 5);
  ASSERT_EQ(blocks.spans.size(), 1u) << "only the page the user asked for";
  EXPECT_EQ(blocks.spans[0].second - blocks.spans[0].first, 2500u);
  // What the user asks for next is theirs again, back and reload included.
  const std::vector<std::pair<const char*, std::function<void()>>> asks = {
      {"back", [&] { main.mnuEndarreraClick(); }},
      {"reload", [&] { main.menuRecarregarClick(); }},
      {"an address", [&] { main.GoToAddress("file:///w/index.htm"); }},
  };
  for (const auto& [name, ask] : asks) {
    blocks.spans.clear();
    ask();
    // The scripted browser's history does nothing; the page reloads instead.
    if (std::string(name) == "back") browser.Navigate("file:///w/index.htm");
    loop.RunFor(4000);
    EXPECT_EQ(blocks.spans.size(), 1u) << name;
  }
  // A page that moves on by itself during its announcement gives the window
  // back then: the next page's announcement, inside this one's, keeps it no
  // longer.
  blocks.spans.clear();
  Load();
  At(loop.Elapsed() + 1000, [&] { browser.Navigate("file:///w/index.htm"); });
  loop.RunFor(8000);
  ASSERT_EQ(blocks.spans.size(), 1u);
  EXPECT_LE(blocks.Longest(), 700u) << "from the completion at 300 ms to the next load at 1000";
}

TEST_F(PageEventsTest, HugeTextsAreCutWhereTheyAreShownAndRead) {
  const std::string hugeTitle(5 << 20, 't');
  const std::string longAddress = "http://127.0.0.1/" + std::string(100 << 10, 'a');
  testing::ScriptedPage huge;
  huge.title = hugeTitle;
  huge.body = "<body><p>Abans. <a href=\"x\">Llarg</a> despr\xE9s.</p></body>";
  huge.links = {longAddress};
  browser.AddPage("http://127.0.0.1/gran", huge);
  testing::ScriptedPage fits;
  fits.title = std::string(250, 'u');
  browser.AddPage("http://127.0.0.1/justa", fits);

  // The caption and the spoken title: the first 250 characters.
  Load("http://127.0.0.1/justa");
  loop.RunFor(3000);
  EXPECT_EQ(main.Caption(), "Sonavia - " + std::string(250, 'u')) << "250 fit whole";
  library.ClearLog();
  Load("http://127.0.0.1/gran");
  loop.RunFor(300 + 2500 + 100);
  EXPECT_EQ(main.Caption(), "Sonavia - " + std::string(250, 't') + "\x85");
  loop.RunFor(60000);
  const Lines texts = ReadTexts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[1], "T\xEDtol ");
  EXPECT_EQ(texts[2], std::string(250, 't') + " ");
  EXPECT_EQ(texts[3], "ABANS ") << "the reading goes on past the title";

  // A pointed link of 100 KB: the status bar shows its beginning, the
  // reading still moves onto it, and "Al link" has the whole address.
  library.ClearLog();
  main.mnuTornarAComencarClick();
  loop.RunFor(100);
  browser.ShowStatus(longAddress);
  EXPECT_EQ(main.StatusBar1.Text(), longAddress.substr(0, 300) + "\x85");
  EXPECT_EQ(main.LastStatusText, longAddress);
  EXPECT_TRUE(main.SpeedButtonAlLink.Enabled());
  loop.RunFor(3000);
  // The reading goes on from the link's own units, as for any link.
  const Lines afterPointing = ReadTexts();
  const Lines link = {"LINK ", "LLARG "};
  EXPECT_NE(std::search(afterPointing.begin(), afterPointing.end(), link.begin(), link.end()),
            afterPointing.end())
      << ::testing::PrintToString(afterPointing);
  main.brwWebBrowserDownloadBegin();
  main.brwWebBrowserProgressChange(1, 2);
  EXPECT_EQ(main.StatusBar1.Text(), longAddress.substr(0, 300) + "\x85 || 50 % carregat");

  // Going to it: the address box shows as much as an address is kept
  // (2,083 characters); the browser is given the whole address.
  browser.calls.clear();
  main.SpeedButtonAlLinkClick();
  EXPECT_EQ(main.cboAddress.Text(), longAddress.substr(0, 2083));
  EXPECT_EQ(main.cboAddress.Items().back(), longAddress.substr(0, 2083));
  ASSERT_FALSE(browser.calls.empty());
  EXPECT_EQ(browser.calls.back(), "Navigate(" + longAddress + ")");
}

TEST_F(PageEventsTest, APageWhoseProcessEndsStopsTheReadingSaysSoAndReloads) {
  const std::string ended =
      "La p\xE0gina ha deixat de funcionar; premeu Refrescar per tornar-la a carregar. ";
  struct Case {
    const char* name;
    uint32_t after;  // ms after the page was asked for
    bool readingOn;
    Lines heard;  // from the end on, before "Refrescar"
  } const cases[] = {
      {"while the page is read", 300 + 2500 + 2000, true, {ended}},
      {"while it loads", 100, true, {ended}},
      {"while it is announced", 300 + 1000, true, {ended}},
      {"with the reading off", 300 + 2500 + 2000, false, {}},
  };
  // "Pàgina carregada" lasts about 1.7 s: the end comes while it is heard.
  library.msPerCharacter = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    main.mnuParlar.SetChecked(c.readingOn);
    Load();
    bool answering = false;
    At(loop.Elapsed() + c.after, [&] {
      library.ClearLog();
      browser.EndPageProcess();
      answering = main.Enabled();
    });
    loop.RunFor(c.after + 10);
    EXPECT_TRUE(answering) << "the window answers at once";
    EXPECT_EQ(main.StatusBar1.Text(),
              "La p\xE0gina ha deixat de funcionar; premeu Refrescar per tornar-la a carregar.");
    loop.RunFor(10000);
    EXPECT_EQ(ReadTexts(), c.heard) << "the reading stops; nothing more of the page";
    EXPECT_EQ(list->UnitCursor, 0);
    // The pointer on a link of the dead page moves nothing.
    browser.ShowStatus("file:///w/b.htm");
    EXPECT_EQ(list->UnitCursor, 0);
    loop.RunFor(2000);
    EXPECT_EQ(ReadTexts(), c.heard);

    main.SpeedButtonRecarregar.Click();
    loop.RunFor(300 + 2500 + 200);
    const Lines texts = ReadTexts();
    if (c.readingOn) {
      ASSERT_GE(texts.size(), c.heard.size() + 2);
      EXPECT_EQ(texts[c.heard.size()], "P\xE0gina carregada ");
      EXPECT_EQ(texts[c.heard.size() + 1], "T\xEDtol ") << "read again from its start";
    }
    EXPECT_EQ(main.Caption(), "Sonavia - Inici");
    loop.RunFor(30000);
  }
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
