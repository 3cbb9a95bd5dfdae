// A page as a listener meets it through the window: read in its own
// language, found from its document or its address; the warning of a page
// too long heard whole; the option kept in the settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "shell/FormPrincipal.h"
#include "shell/PageLanguage.h"
#include "support/SimulatedWindow.h"
#include "support/TempDir.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

TEST(PageLanguage, FromTheDocumentElseFromTheAddress) {
  struct Case {
    const char* declared;
    const char* address;
    const char* language;
  } const cases[] = {
      {"en-GB", "file:///d/first.es.html", "en-GB"},
      {"  fr ", "http://x/", "fr"},
      // Named by the file, as documentation in several languages is.
      {"", "file:///usr/share/doc/maint-guide-es/html/first.es.html", "es"},
      {"", "http://www.debian.org/intro/about.ca.html#x", "ca"},
      {"", "http://x/index.html.de?q=1", "de"},
      {"", "file:///d/manual.pt_BR.htm", "pt-br"},
      {"", "file:///d/manual.pt-br.xhtml", "pt-br"},
      {"", "file:///d/A.EN.HTML", "en"},
      {"", "http://x/index.jv.php", "jv"},
      // A local documentation folder named for its language.
      {"", "file:///usr/share/doc/aptitude/html/es/ch02s05s05.html", "es"},
      {"", "file:///doc/html/zh_CN/index.html", "zh-cn"},
      // Names that say no language.
      {"", "http://example.com/my/profile.html", ""},
      {"", "file:///d/jquery.min.js.html", ""},
      {"", "file:///d/page.v2.html", ""},
      {"", "file:///d/notes.es.txt", ""},
      {"", "file:///d/xx/page.html", ""},
      {"", "file:///d/page.html", ""},
      {"", "file:///d/a.pt_B2.html", ""},
      {"", "file:///d/a.pt_2R.html", ""},
      {"", "tile:///d/es/page.html", ""},  // not quite a file
      {"", "file:page.html", ""},
      {"", "about:blank", ""},
      {"", "", ""},
      {"   ", "file:///d/a.es.html", "es"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PageLanguage(c.declared, c.address), c.language) << c.declared << " " << c.address;
  }
}

class ListenerPageTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  ListenerPageTest() : SimulatedWindow("/w") {}

  void SetUp() override {
    main.FormCreate();
    about.FormCreate();
    main.TimerControlSituacio->SetEnabled(false);
  }
  void AddPage(const std::string& address, const std::string& body, const std::string& lang) {
    testing::ScriptedPage page;
    page.title = "Ex";
    page.body = body;
    page.lang = lang;
    browser.AddPage(address, page);
  }
  // What was heard of a page, as "language/speaker text".
  Lines Heard(const std::string& address) {
    library.ClearLog();
    main.GoToAddress(address);
    loop.RunFor(15000);
    return library.voices;
  }
  void At(uint64_t time, std::function<void()> action) {
    loop.Post(static_cast<uint32_t>(time - loop.Elapsed()), std::move(action));
  }
  Lines Reads() const { return library.ReadsAndStops(); }
};

TEST_F(ListenerPageTest, APageIsReadInTheLanguageItsDocumentOrAddressNames) {
  // A lone "i" is the old spelling's "hi" only in Catalan and Castilian.
  AddPage("file:///w/es.htm", "<p>Hola i adeu.</p>", "es");
  AddPage("file:///w/first.es.html", "<p>Hola.</p>", "");
  AddPage("file:///w/first.ca.html", "<p>Can I go.</p>", "en");
  AddPage("file:///w/cap.htm", "<p>Pa i sal.</p>", "");
  struct Case {
    const char* address;
    Lines heard;
  } const cases[] = {
      {"file:///w/es.htm",
       {"99/2 Pàgina carregada ", "99/0 Títol ", "101/0 Ex ", "101/1 HOLA HI ADEU.  "}},
      {"file:///w/first.es.html",
       {"99/2 Pàgina carregada ", "99/0 Títol ", "101/0 Ex ", "101/1 HOLA.  "}},
      {"file:///w/first.ca.html",
       {"99/2 Pàgina carregada ", "99/0 Títol ", "en/2 Ex ", "en/0 CAN I GO.  "}},
      // The next page without a language is the user's again.
      {"file:///w/cap.htm",
       {"99/2 Pàgina carregada ", "99/0 Títol ", "99/2 Ex ", "99/0 PA HI SAL.  "}},
  };
  for (const auto& c : cases) EXPECT_EQ(Heard(c.address), c.heard) << c.address;
}

TEST_F(ListenerPageTest, TheMenuItemSwitchesThePagesLanguageOffAndOnSilently) {
  AddPage("file:///w/es.htm", "<p>Hola.</p>", "es");
  EXPECT_TRUE(main.mnuLlenguaPagina.Checked());
  EXPECT_EQ(main.mnuLlenguaPagina.Caption(), "Lle&ngua de la pàgina");
  const auto& items = main.Menus()[1].items;
  EXPECT_NE(std::find(items.begin(), items.end(), &main.mnuLlenguaPagina), items.end())
      << "in the reading options";
  main.mnuLlenguaPagina.Click();
  EXPECT_FALSE(main.mnuLlenguaPagina.Checked());
  EXPECT_EQ(main.StatusBar1.Text(), "");
  EXPECT_EQ(Heard("file:///w/es.htm"),
            (Lines{"99/2 Pàgina carregada ", "99/0 Títol ", "99/2 Ex ", "99/0 HOLA.  "}));
  main.mnuLlenguaPagina.Click();
  EXPECT_TRUE(main.mnuLlenguaPagina.Checked());
  // F7 still chooses the program's own voice.
  main.mnuCastella.Click();
  EXPECT_EQ(Heard("file:///w/es.htm"),
            (Lines{"101/0 Pàgina carregada ", "101/1 Títol ", "101/0 Ex ", "101/1 HOLA.  "}));
}

TEST_F(ListenerPageTest, TheWarningOfAPageTooLongIsHeardWholeBeforeTheTitle) {
  std::string body;
  for (int i = 0; i < 600; ++i) body += "<a href=\"l" + std::to_string(i) + ".htm\">L</a> ";
  AddPage("file:///w/llarga.htm", body, "");
  main.GoToAddress("file:///w/llarga.htm");
  loop.RunFor(8000);
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 3u);
  EXPECT_EQ(reads[0], "301 Read(Pàgina carregada )");
  EXPECT_EQ(reads[1], "2801 Read(Document massa llarg, no el podré llegir tot)");
  // The warning lasts 440 ms; the poll finds its end and goes on at once.
  EXPECT_EQ(reads[2], "3301 Read(Títol )");
}

TEST_F(ListenerPageTest, ASlowAnnouncementIsHeardWholeBeforeTheReading) {
  AddPage("file:///w/p.htm", "<p>Hola.</p>", "");
  library.msPerCharacter = 200;  // "Pàgina carregada " lasts 3.4 s
  main.GoToAddress("file:///w/p.htm");
  bool enabledWhileSpoken = true;
  At(301 + 3000, [&] { enabledWhileSpoken = main.Enabled(); });
  loop.RunFor(6000);
  const Lines reads = Reads();
  ASSERT_GE(reads.size(), 2u);
  EXPECT_EQ(reads[0], "301 Read(Pàgina carregada )");
  EXPECT_EQ(reads[1], "3701 Read(Títol )") << "as soon as it has ended";
  EXPECT_FALSE(enabledWhileSpoken);
  EXPECT_TRUE(main.Enabled());
}

TEST(ListenerSettings, ThePagesLanguageIsKeptAsYesOrNo) {
  struct Case {
    const char* stored;  // the key's line, or none
    bool followed;
    const char* written;
  } const cases[] = {
      {"", true, "Llengua de la pàgina=sí\n"},
      {"Llengua de la pàgina=no\n", false, "Llengua de la pàgina=no\n"},
      {"Llengua de la pàgina=sí\n", true, "Llengua de la pàgina=sí\n"},
      {"Llengua de la pàgina=No\n", true, "Llengua de la pàgina=sí\n"},
      {"Llengua de la pagina=no\n", true, "Llengua de la pàgina=sí\n"},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    testing::WriteBytes(path, "[Ombrix Sonavia]\n" + platform::Utf8ToCp1252(c.stored));
    testing::SimulatedWindow window("/h");
    window.main.Settings.SetPath(path);
    StartProgram(window.main, window.about, window.loop);
    EXPECT_EQ(window.main.mnuLlenguaPagina.Checked(), c.followed) << c.stored;
    EXPECT_EQ(window.main.Speech.FollowPageLanguage(), c.followed) << c.stored;
    window.main.FormClose();
    EXPECT_NE(testing::ReadBytes(path).find(platform::Utf8ToCp1252(c.written)), std::string::npos)
        << c.stored << ": " << testing::ReadBytes(path);
  }
  // A change is written within two seconds.
  testing::TempDir dir;
  const std::string path = dir.File("Quelva2001.ini");
  testing::SimulatedWindow window("/h");
  window.main.Settings.SetPath(path);
  StartProgram(window.main, window.about, window.loop);
  window.main.mnuLlenguaPagina.Click();
  window.loop.RunFor(2000);
  EXPECT_NE(testing::ReadBytes(path).find(platform::Utf8ToCp1252("Llengua de la pàgina=no\n")),
            std::string::npos);
}

}  // namespace
}  // namespace sonavia::shell
