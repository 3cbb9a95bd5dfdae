// Following a link as the real web writes them, on the simulated platform:
// the scripted document gives each link's address as the engine resolves a
// click (the Qt tests check that resolution against the real engine); the
// reading, F2, Enter and "Al link" must go exactly there.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/SimulatedWindow.h"

namespace sonavia::controls {
namespace {

using Lines = std::vector<std::string>;

// A web page reached with a query and a fragment, and where a click on each
// of its links goes.
const char* const kPageAddress = "http://h.cat/Dir/Index.htm?x=1#top";
struct Shape {
  const char* name;
  const char* href;  // as the page writes it
  const char* text;
  const char* click;  // where the engine sends a click
};
const Shape kShapes[] = {
    {"capitals", "Ajuda.htm", "Ajuda", "http://h.cat/Dir/Ajuda.htm"},
    {"from the root", "/Wiki/Main_Page",
     "Viquipè"
     "dia",
     "http://h.cat/Wiki/Main_Page"},
    {"up a folder", "../Amunt/Pag.htm", "Amunt", "http://h.cat/Amunt/Pag.htm"},
    {"this folder", "./Aqui.htm", "Aqui", "http://h.cat/Dir/Aqui.htm"},
    {"a query", "?q=Cerca", "Cerca", "http://h.cat/Dir/Index.htm?q=Cerca"},
    {"a fragment", "#Seccio", "Seccio", "http://h.cat/Dir/Index.htm?x=1#Seccio"},
    {"another host", "//Altre.cat/Cami", "Altre", "http://altre.cat/Cami"},
    {"absolute", "HTTPS://S.cat/X", "Segur", "https://s.cat/X"},
    {"percent-encoded", "p%C3%A0gina.htm", "Codificada", "http://h.cat/Dir/pàgina.htm"},
    {"accented", "pàgina2.htm", "Accent", "http://h.cat/Dir/pàgina2.htm"},
    {"a blank", "amb espai.htm", "Espai", "http://h.cat/Dir/amb espai.htm"},
    {"a base", "Fill.htm", "Base", "http://h.cat/Base/Fill.htm"},
};

// Where the user hears a link refused, and the links that are refused.
const char* const kRefused = "Aquest enllaç no es pot seguir.";

class LinkFollowingTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  LinkFollowingTest() : SimulatedWindow("/w") {}

  void SetUp() override { main.TimerControlSituacio->SetEnabled(false); }

  // A page with one sentence and then `links`, loaded and announced.
  void Open(const std::string& address, const std::vector<Shape>& links) {
    testing::ScriptedPage page;
    page.title = "Enllaços";
    page.body = "<body><p>Una frase.</p><p>";
    for (const Shape& link : links) {
      page.body += "<a href=\"" + std::string(link.href) + "\">" + link.text + "</a> ";
      page.links.push_back(link.click);
    }
    page.body += "</p></body>";
    browser.AddPage(address, page);
    main.GoToAddress(address);
    loop.RunFor(300 + 2500 + 50);
    ASSERT_EQ(list->LinkCount, static_cast<int32_t>(links.size()));
    browser.calls.clear();
    library.ClearLog();
  }
  void Start() {
    shell::StartProgram(main, about, loop);
    loop.RunFor(300 + 2500);
  }
  // Runs until the engine is reading the text of link `k`.
  bool RunUntilLink(int32_t k) {
    for (int i = 0; i < 20000; ++i) {
      if (main.Speech.Speaking && list->UnitCursor == list->Link(k).UnitIndex) return true;
      loop.RunFor(5);
    }
    return false;
  }
  Lines Navigated() const {
    Lines navigated;
    for (const auto& call : browser.calls) {
      if (call.rfind("Navigate(", 0) == 0) navigated.push_back(call.substr(9, call.size() - 10));
    }
    return navigated;
  }
  Lines ReadTexts() const {
    Lines reads;
    for (const auto& call : library.calls) {
      if (call.rfind("Read(", 0) == 0) reads.push_back(call.substr(5, call.size() - 6));
    }
    return reads;
  }
};

// The four ways to follow a link, each from the page as it is being read.
enum class Way { F2, EnterOnPointed, EnterOnFocused, AlLink };
const std::pair<Way, const char*> kWays[] = {{Way::F2, "F2"},
                                             {Way::EnterOnPointed, "Enter on the pointed link"},
                                             {Way::EnterOnFocused, "Enter on the focused link"},
                                             {Way::AlLink, "Al link"}};

TEST_F(LinkFollowingTest, EveryShapeIsFollowedWhereAClickGoesEveryWay) {
  Start();
  const std::vector<Shape> shapes(std::begin(kShapes), std::end(kShapes));
  for (const auto& [way, wayName] : kWays) {
    for (size_t i = 0; i < shapes.size(); ++i) {
      const Shape& shape = shapes[i];
      const auto k = static_cast<int32_t>(i + 1);
      SCOPED_TRACE(std::string(wayName) + ", " + shape.name);
      Open(kPageAddress, shapes);
      switch (way) {
        case Way::F2:
          ASSERT_TRUE(RunUntilLink(k));
          main.mnuAnarALink.Click();
          break;
        case Way::EnterOnPointed:
          browser.ShowStatus(shape.click);
          EXPECT_TRUE(main.ApplicationEvents1Message(0x0D)) << "the key is used up";
          break;
        case Way::EnterOnFocused:
          main.SpeedButtonTab.Click();
          browser.ShowStatus(shape.click);
          EXPECT_TRUE(main.ApplicationEvents1Message(0x0D)) << "the key is used up";
          break;
        case Way::AlLink:
          browser.ShowStatus(shape.click);
          ASSERT_TRUE(main.SpeedButtonAlLink.Enabled());
          main.SpeedButtonAlLink.Click();
          break;
      }
      EXPECT_EQ(Navigated(), Lines{shape.click});
      EXPECT_EQ(main.cboAddress.Text(), shape.click);
      const Lines reads = ReadTexts();
      EXPECT_EQ(std::count(reads.begin(), reads.end(), std::string(kRefused) + " "), 0);
    }
  }
}

TEST_F(LinkFollowingTest, PointingAtALinkReadsItFromItsAnnouncement) {
  Start();
  const std::vector<Shape> shapes(std::begin(kShapes), std::end(kShapes));
  Open(kPageAddress, shapes);
  for (const size_t i : {8u, 9u, 10u, 0u}) {
    SCOPED_TRACE(shapes[i].name);
    library.ClearLog();
    browser.ShowStatus(shapes[i].click);
    EXPECT_TRUE(main.SpeedButtonAlLink.Enabled());
    loop.RunFor(2000);
    const Lines reads = ReadTexts();
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[0], "LINK ");
    std::string text = shapes[i].text;
    for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    EXPECT_EQ(reads[1].substr(0, text.size()), text) << reads[1];
  }
  // An address that only differs in its capitals is another link.
  browser.ShowStatus("http://h.cat/dir/ajuda.htm");
  EXPECT_FALSE(main.SpeedButtonAlLink.Enabled());
}

const Shape kElsewhere[] = {
    {"a local file", "file:///etc/passwd", "Contrasenyes", "file:///etc/passwd"},
    {"a local folder", "file:///home/", "Carpeta", "file:///home/"},
    {"view-source", "view-source:http://h.cat/", "Codi", "view-source:http://h.cat/"},
    {"the engine's page", "chrome://gpu", "Motor", "chrome://gpu"},
    {"a script", "javascript:obre()", "Script", "javascript:obre()"},
    {"mail", "mailto:info@h.cat", "Correu", "mailto:info@h.cat"},
    {"data", "data:text/html,<p>x</p>", "Dades", "data:text/html,<p>x</p>"},
    {"a blank page", "about:blank", "Buida", "about:blank"},
};

TEST_F(LinkFollowingTest, AWebPageNeverLeadsToLocalFilesScriptsOrTheEnginesPages) {
  Start();
  const std::vector<Shape> links(std::begin(kElsewhere), std::end(kElsewhere));
  for (const auto& [way, wayName] : kWays) {
    for (size_t i = 0; i < links.size(); ++i) {
      SCOPED_TRACE(std::string(wayName) + ", " + links[i].name);
      Open("https://h.cat/", links);
      if (way == Way::F2) {
        ASSERT_TRUE(RunUntilLink(static_cast<int32_t>(i + 1)));
        library.ClearLog();
        main.mnuAnarALink.Click();
      } else {
        if (way == Way::EnterOnFocused) main.SpeedButtonTab.Click();
        browser.ShowStatus(links[i].click);
        ASSERT_TRUE(main.SpeedButtonAlLink.Enabled());
        if (way == Way::AlLink) {
          main.SpeedButtonAlLink.Click();
        } else {
          EXPECT_TRUE(main.ApplicationEvents1Message(0x0D)) << "the key is used up";
        }
      }
      loop.RunFor(3000);
      EXPECT_EQ(Navigated(), Lines{});
      ASSERT_FALSE(ReadTexts().empty());
      EXPECT_EQ(ReadTexts().front(), std::string(kRefused) + " ");
      EXPECT_EQ(main.StatusBar1.Text(), kRefused);
      EXPECT_EQ(main.cboAddress.Text(), "https://h.cat/") << "the address stays";
    }
  }
}

TEST_F(LinkFollowingTest, ALocalPageFollowsLocalLinksAndWebOnes) {
  Start();
  const std::vector<Shape> links = {
      {"a file", "Altra.htm", "Altra", "file:///w/Altra.htm"},
      {"a folder", "../", "Amunt", "file:///"},
      {"the web", "http://h.cat/", "Web", "http://h.cat/"},
  };
  for (size_t i = 0; i < links.size(); ++i) {
    SCOPED_TRACE(links[i].name);
    Open("file:///w/index.htm", links);
    ASSERT_TRUE(RunUntilLink(static_cast<int32_t>(i + 1)));
    main.mnuAnarALink.Click();
    EXPECT_EQ(Navigated(), Lines{links[i].click});
    Open("file:///w/index.htm", links);
    browser.ShowStatus(links[i].click);
    main.ApplicationEvents1Message(0x0D);
    EXPECT_EQ(Navigated(), Lines{links[i].click});
  }
}

TEST_F(LinkFollowingTest, AfterARefusedLinkTheReadingGoesOnWithTheUnitItStopped) {
  Start();
  const std::vector<Shape> links = {kElsewhere[0], kShapes[0]};
  Open("https://h.cat/", links);
  ASSERT_TRUE(RunUntilLink(1));
  library.ClearLog();
  const uint64_t before = loop.Elapsed();
  main.mnuAnarALink.Click();
  EXPECT_EQ(loop.Elapsed(), before) << "said without holding the window";
  loop.RunFor(6000);
  const Lines reads = ReadTexts();
  ASSERT_GE(reads.size(), 4u);
  EXPECT_EQ(reads[0], std::string(kRefused) + " ");
  EXPECT_EQ(reads[1], "CONTRASENYES ") << "the link's text again";
  // The blank between the two links is passed over unheard.
  EXPECT_EQ(Lines(reads.begin() + 2, reads.begin() + 4), (Lines{"LINK ", "AJUDA "}));
  EXPECT_EQ(Navigated(), Lines{});
}

TEST_F(LinkFollowingTest, EnterWhileAPageIsAnnouncedFollowsNothing) {
  Start();
  const std::vector<Shape> shapes(std::begin(kShapes), std::end(kShapes));
  testing::ScriptedPage page;
  page.title = "Segona";
  page.body = "<body><p><a href=\"x.htm\">X</a></p></body>";
  page.links = {"http://h.cat/x.htm"};
  browser.AddPage("http://h.cat/segona.htm", page);
  Open(kPageAddress, shapes);
  browser.ShowStatus(shapes[0].click);  // a link of this page pointed at
  main.GoToAddress("http://h.cat/segona.htm");
  browser.calls.clear();
  // The new page completes at 300 ms and is announced for 2.5 s.
  for (const uint32_t at : {400u, 1500u, 2700u}) {
    loop.Post(at, [this] {
      ASSERT_FALSE(main.Enabled());
      EXPECT_FALSE(main.ApplicationEvents1Message(0x0D)) << "the key goes on, to be blocked";
    });
  }
  loop.RunFor(300 + 2500 + 50);
  EXPECT_EQ(Navigated(), Lines{});
  EXPECT_TRUE(main.ApplicationEvents1Message(0x0D));
  EXPECT_EQ(Navigated(), Lines{"http://h.cat/x.htm"}) << "once the page is being read";
}

TEST_F(LinkFollowingTest, AnEnterThatFollowsNothingGoesOnToItsWindow) {
  Start();
  Open("http://h.cat/buida.htm", {});
  EXPECT_FALSE(main.ApplicationEvents1Message(0x0D)) << "a page without links: a form's Enter";
  Open(kPageAddress, {kShapes[0]});
  main.cboAddress.OnEnter();
  EXPECT_FALSE(main.ApplicationEvents1Message(0x0D)) << "the address typed in the box";
  EXPECT_EQ(Navigated(), Lines{});
  EXPECT_FALSE(main.ApplicationEvents1Message(0x1B));
  EXPECT_TRUE(main.ApplicationEvents1Message(0x0D)) << "a second Enter in the box";
  EXPECT_EQ(Navigated(), Lines{kShapes[0].click});
}

}  // namespace
}  // namespace sonavia::controls
