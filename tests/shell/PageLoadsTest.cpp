// A page load against hostile shapes on the simulated platform: frames
// that complete before, after and forever, a page that loads itself, texts
// of megabytes, and a page process that ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shell/PageEventsFixture.h"

namespace sonavia::shell {
namespace {

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
    EXPECT_EQ(static_cast<size_t>(std::count(texts.begin(), texts.end(), "Pàgina carregada ")),
              c.announced);
    EXPECT_EQ(static_cast<size_t>(std::count(texts.begin(), texts.end(), "Títol ")), c.read);
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
    EXPECT_EQ(ReadTexts(), (Lines{"Pàgina carregada ", "Títol "}));
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
  EXPECT_GE(std::count(texts.begin(), texts.end(), "Pàgina carregada "), 5);
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

TEST_F(PageEventsTest, APageThatMovesOnDuringItsAnnouncementIsNotReadAfterTheNext) {
  testing::ScriptedPage next;
  next.title = "Segona";
  next.body = "<p>Altra.</p>";
  browser.AddPage("file:///w/segona.htm", next);
  // While "Pàgina carregada" is heard, the page goes to another by itself
  // (a script, a refresh); that one loads, is announced and read whole.
  for (const uint32_t at : {300u + 500u, 300u + 2000u}) {
    SCOPED_TRACE(at);
    Load();
    At(loop.Elapsed() + at, [&] {
      library.ClearLog();
      browser.Navigate("file:///w/segona.htm");
    });
    loop.RunFor(at + 20000);
    EXPECT_EQ(ReadTexts(), (Lines{"Pàgina carregada ", "Títol ", "Segona ", "ALTRA.  "}));
    EXPECT_EQ(main.Caption(), "Sonavia - Segona");
  }
}

TEST_F(PageEventsTest, HugeTextsAreCutWhereTheyAreShownAndRead) {
  const std::string hugeTitle(5 << 20, 't');
  const std::string longAddress = "http://127.0.0.1/" + std::string(100 << 10, 'a');
  testing::ScriptedPage huge;
  huge.title = hugeTitle;
  huge.body = "<body><p>Abans. <a href=\"x\">Llarg</a> després.</p></body>";
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
  EXPECT_EQ(main.Caption(), "Sonavia - " + std::string(250, 't') + "…");
  loop.RunFor(60000);
  const Lines texts = ReadTexts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[1], "Títol ");
  EXPECT_EQ(texts[2], std::string(250, 't') + " ");
  EXPECT_EQ(texts[3], "ABANS ") << "the reading goes on past the title";

  // A pointed link of 100 KB: the status bar shows its beginning, the
  // reading still moves onto it, and "Al link" has the whole address.
  library.ClearLog();
  main.mnuTornarAComencarClick();
  loop.RunFor(100);
  browser.ShowStatus(longAddress);
  EXPECT_EQ(main.StatusBar1.Text(), longAddress.substr(0, 300) + "…");
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
  EXPECT_EQ(main.StatusBar1.Text(), longAddress.substr(0, 300) + "… || 50 % carregat");

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
      "La pàgina ha deixat de funcionar; premeu Refrescar per tornar-la a carregar. ";
  struct Case {
    const char* name;
    uint32_t after;  // ms after the page was asked for
    bool readingOn;
    Lines heard;  // from the end on, before "Refrescar"
  } const cases[] = {
      {"while the page is read", 300 + 2500 + 2000, true, {ended}},
      // "Inici" ends 600 ms into the reading; "UN" follows 500 ms later.
      {"in the pause between two units", 300 + 2500 + 1400, true, {ended}},
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
              "La pàgina ha deixat de funcionar; premeu Refrescar per tornar-la a carregar.");
    loop.RunFor(10000);
    EXPECT_EQ(ReadTexts(), c.heard) << "the reading stops; nothing more of the page";
    if (c.readingOn) {
      EXPECT_EQ(library.voices, Lines{"99/2 " + ended}) << "in the item voice";
    }
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
      EXPECT_EQ(texts[c.heard.size()], "Pàgina carregada ");
      EXPECT_EQ(texts[c.heard.size() + 1], "Títol ") << "read again from its start";
    }
    EXPECT_EQ(main.Caption(), "Sonavia - Inici");
    loop.RunFor(30000);
  }
}

}  // namespace
}  // namespace sonavia::shell
