// The article first, the structure told, and the moves by heading,
// paragraph and sentence, heard through the simulated loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "reading/PageStructure.h"
#include "reading/ReadingPlaces.h"
#include "shell/FormPrincipal.h"
#include "support/SimulatedWindow.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;
using reading::NoteKind;
using reading::StructureNote;

// A block's end as the page view writes it: the paragraph's end and the
// sentence end.
const std::string P = "\xE2\x80\xA9.<br>";

TEST(PageStructure, NotesAreSaidAsANativeListenerExpectsThem) {
  struct Case {
    StructureNote note;
    const char* catalan;
    const char* castilian;
  } const cases[] = {
      {{NoteKind::Heading, 2}, "Títol 2", "Título 2"},
      {{NoteKind::List, 0, 1}, "Llista d'1 element", "Lista de 1 elemento"},
      {{NoteKind::List, 0, 3}, "Llista de 3 elements", "Lista de 3 elementos"},
      {{NoteKind::Table, 0, 0, 11, 1},
       "Taula d'11 files i 1 columna",
       "Tabla de 11 filas y 1 columna"},
      {{NoteKind::Table, 0, 0, 4, 2},
       "Taula de 4 files i 2 columnes",
       "Tabla de 4 filas y 2 columnas"},
      {{NoteKind::Header, 0, 0, 0, 0, "Preu"}, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(reading::NoteWords(c.note, false), c.catalan);
    EXPECT_EQ(reading::NoteWords(c.note, true), c.castilian);
  }
}

class ArticleReadingTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  ArticleReadingTest() : SimulatedWindow("/w") {}

  void SetUp() override {
    main.FormCreate();
    about.FormCreate();
    main.TimerControlSituacio->SetEnabled(false);
    testing::ScriptedPage page;
    page.title = "Pluja a Girona | Diari";
    page.body = "<a href=\"/p\">Portada</a>" + P + "<p>Menu de seccions" + P + "</p>" +
                "<p>Avui plou a Girona" + P + "</p>";
    page.links = {"file:///w/p"};
    BrowserDocument article("Pluja a Girona",
                            "<img src=\"(S)1\"><h2>Carreteres" + P + "</h2><p>Primera. Segona" + P +
                                "</p><img src=\"(S)2\"><h2>Escoles" + P + "</h2><p>Tancades" + P +
                                "</p><img src=\"(S)3\"><table><tr><th>Municipi" + P +
                                "</th></tr><tr><img src=\"(S)4\"><td>Salt" + P +
                                "</td></tr></table>",
                            {});
    article.SetNotes({{NoteKind::Heading, 2},
                      {NoteKind::Heading, 2},
                      {NoteKind::Table, 0, 0, 2, 1},
                      {NoteKind::Header, 0, 0, 0, 0, "Municipi"}});
    page.article = article;
    browser.AddPage("file:///w/news.htm", page);
    testing::ScriptedPage plain;
    plain.title = "Ex";
    plain.body = "<p>Res" + P + "</p>";
    browser.AddPage("file:///w/plain.htm", plain);
  }
  // What was heard, as "language/speaker text", from `act` until `ms` later.
  Lines Hear(uint32_t ms, const std::function<void()>& act = {}) {
    library.ClearLog();
    if (act) act();
    loop.RunFor(ms);
    return library.voices;
  }
  void Open(const std::string& address) {
    main.GoToAddress(address);
    loop.RunFor(3200);  // past "Pàgina carregada"
  }
};

TEST_F(ArticleReadingTest, TheArticleIsReadFirstWithItsStructureAndTheWholePageIsOneKeyAway) {
  EXPECT_EQ(Hear(15000, [this] { main.GoToAddress("file:///w/news.htm"); }),
            (Lines{"99/2 Pàgina carregada ", "99/0 Títol ", "99/2 Pluja a Girona ", "99/2 Títol 2 ",
                   "99/0 CARRETERES ", "99/0 PRIMERA ", "99/0 SEGONA ", "99/2 Títol 2 ",
                   "99/0 ESCOLES ", "99/0 TANCADES ", "99/2 Taula de 2 files i 1 columna ",
                   "99/0 MUNICIPI ", "99/2 Municipi ", "99/0 SALT "}));
  // Shift+F4: the whole page, said first in the item voice.
  EXPECT_EQ(main.mnuLlegirArticle.Shortcut(), "Shift+F4");
  const auto toggle = [this] { main.mnuLlegirArticle.Click(); };
  EXPECT_EQ(
      Hear(8000, toggle),
      (Lines{"99/2 Pàgina sencera ", "99/0 Títol ", "99/2 Pluja a Girona | Diari ", "99/2 LINK ",
             "99/2 PORTADA ", "99/0 MENU DE SECCIONS ", "99/0 AVUI PLOU A GIRONA "}));
  EXPECT_FALSE(main.mnuLlegirArticle.Checked());
  EXPECT_EQ(Hear(2000, toggle).front(), "99/2 Article ");
  // A page without an article is read whole, either way.
  Open("file:///w/plain.htm");
  main.mnuLlegirArticle.Click();
  EXPECT_EQ(Hear(4000, toggle).front(), "99/2 Pàgina sencera, sense article ");
}

TEST_F(ArticleReadingTest, MovesByHeadingParagraphAndSentenceAreHeardAtOnce) {
  main.GoToAddress("file:///w/news.htm");
  loop.RunFor(2900);
  // Paused before the page: a move reads on from its place, and each is
  // paused again as soon as it is heard, to start the next from there.
  main.mnuParlarClick();
  struct Move {
    void (TFormPrincipal::*command)();
    const char* heard;
  } const moves[] = {
      // From "Títol" and the title: the first heading, then the next.
      {&TFormPrincipal::mnuTitolSeguentClick, "99/2 Títol 2 "},
      {&TFormPrincipal::mnuTitolSeguentClick, "99/2 Títol 2 "},
      {&TFormPrincipal::mnuTitolAnteriorClick, "99/2 Títol 2 "},
      {&TFormPrincipal::mnuParagrafSeguentClick, "99/0 PRIMERA "},
      {&TFormPrincipal::mnuFraseSeguentClick, "99/0 SEGONA "},
      {&TFormPrincipal::mnuFraseAnteriorClick, "99/0 PRIMERA "},
      {&TFormPrincipal::mnuParagrafSeguentClick, "99/2 Títol 2 "},
      // A heading's text is part of its paragraph.
      {&TFormPrincipal::mnuParagrafSeguentClick, "99/0 TANCADES "},
      {&TFormPrincipal::mnuParagrafAnteriorClick, "99/2 Títol 2 "},
  };
  for (const Move& move : moves) {
    // Heard within 100 ms of the key.
    const Lines heard = Hear(0, [this, &move] {
      (main.*move.command)();
      main.mnuParlarClick();
    });
    EXPECT_EQ(heard, Lines{move.heard});
  }
  // A jump while the reading pauses between units is read at once, and the
  // reading goes on from it, nothing cut: the step that was pausing gives up.
  // On again at the second heading: the jump comes in the pause after its
  // text, and goes back to the heading of the section being read.
  library.ClearLog();
  main.mnuParlarClick();
  loop.Post(700, [this] { main.mnuTitolAnteriorClick(); });
  loop.RunFor(2500);
  EXPECT_EQ(library.voices,
            (Lines{"99/2 Títol 2 ", "99/0 ESCOLES ", "99/2 Títol 2 ", "99/0 ESCOLES ",
                   "99/0 TANCADES ", "99/2 Taula de 2 files i 1 columna "}));
  for (const std::string& line : library.ReadsAndStops()) {
    EXPECT_EQ(line.find(" Stop"), std::string::npos) << line;
  }
  // The mark follows the jumps: a heading is framed by its number among
  // the page's marked items, a sentence found by its text.
  Lines marks;
  for (const std::string& mark : browser.marks) marks.push_back(mark.substr(mark.find(' ') + 1));
  EXPECT_NE(std::find(marks.begin(), marks.end(), "Text(TANCADES)"), marks.end());
  EXPECT_NE(std::find(marks.begin(), marks.end(), "Image2()"), marks.end());
}

TEST_F(ArticleReadingTest, APageThatFillsItselfIsToldOnceAndReadAsItIsNowFromTheStart) {
  testing::ScriptedPage search;
  search.title = "Cerca";
  search.body = "<p>Searching" + P + "</p>";
  browser.AddPage("file:///w/search.htm", search);
  const std::string results = "<p>" + std::string(300, 'x') + " 115 results" + P + "</p>";
  // What changes while the page is read is not told over the reading.
  Lines heard = Hear(3000, [this] { main.GoToAddress("file:///w/search.htm"); });
  EXPECT_EQ(heard.back(), "99/2 Cerca ");
  browser.Fill("<p>Half</p>" + std::string(kLargeChange, ' '));
  EXPECT_EQ(Hear(6000), (Lines{"99/0 SEARCHING "}));
  // Once nothing is read, a large change is told, in the status bar too.
  EXPECT_EQ(Hear(2000, [this, &results] { browser.Fill(results); }),
            Lines{"99/2 La pàgina ha canviat "});
  EXPECT_EQ(main.StatusBar1.Text(), "La pàgina ha canviat");
  // Again within ten seconds, silent; a small change, silent.
  EXPECT_TRUE(Hear(7900, [this, &results] { browser.Fill(results); }).empty());
  EXPECT_TRUE(Hear(3000, [this] { browser.Fill("<p>x</p>"); }).empty());
  EXPECT_EQ(Hear(2000, [this, &results] { browser.Fill(results); }),
            Lines{"99/2 La pàgina ha canviat "});
  // Ctrl+F3: the page as it is now.
  heard = Hear(6000, [this] { main.mnuTornarAComencarClick(); });
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[2].substr(heard[2].size() - 13), " 115 RESULTS ");
}

}  // namespace
}  // namespace sonavia::shell
