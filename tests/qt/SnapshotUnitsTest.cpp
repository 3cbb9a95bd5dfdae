// What the real engine's snapshot makes of a page's shapes, through the
// conversion: a unit for each block, line and cell, nothing silent, the
// page's characters as it shows them, a name for every link, the page's
// language.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qt/BrowserFixture.h"
#include "reading/PageConverter.h"
#include "reading/PageStructure.h"
#include "reading/ReadingPlaces.h"
#include "reading/SpokenText.h"

namespace sonavia::qt {
namespace {

using Lines = std::vector<std::string>;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class SnapshotUnitsTest : public testing::BrowserFixture {
 protected:
  // The units spoken for a body, from unit 3 on, as they reach speech and
  // without their blanks around; the list itself holds no unit that is
  // silent only because of the snapshot.
  Lines Spoken(const std::string& name, const std::string& body) {
    std::string html = "<html><head><meta charset='utf-8'></head><body>";
    html += body;
    html += "</body></html>";
    const std::string path = Write(QString::fromStdString(name), QByteArray::fromStdString(html));
    if (!Load(path)) return {"(not loaded)"};
    auto list = std::make_unique<reading::ReadingList>();
    list->SetPageTitle("T");
    reading::PageConverter(*list, nullptr).ConvertPage(browser->Document().body_outerHtml());
    // As the program takes them in: the structure's notes in Catalan, the
    // paragraphs' ends kept apart.
    reading::PlaceNotes(*list, browser->Document().Notes(), false);
    reading::ReadingPlaces().Take(*list, {});
    Lines spoken;
    for (int32_t i = 3; i <= list->UnitCount; ++i) {
      if (reading::Speakable(list->Unit(i).Text)) {
        spoken.push_back(Trimmed(reading::SpokenText(list->Unit(i).Text)));
      }
    }
    return spoken;
  }
};

TEST_F(SnapshotUnitsTest, EachBlockLineAndCellIsAUnitOfItsOwn) {
  struct Case {
    const char* shape;
    const char* body;
    Lines units;
  } const cases[] = {
      {"heading then paragraph",
       "<h1>Com funciona</h1><p>Primer pas</p>",
       {"Títol 1", "COM FUNCIONA", "PRIMER PAS"}},
      {"list items",
       "<ul><li>U</li><li>Dos</li>\n<li>Tres.</li></ul><p>Fi</p>",
       {"Llista de 3 elements", "U", "DOS", "TRES.", "FI"}},
      {"table cells",
       "<table><tr><th>Nom</th><td>Valor</td></tr><tr><td>A</td><td>B</td></tr>"
       "</table>",
       {"Taula de 2 files i 2 columnes", "NOM", "VALOR", "A", "B"}},
      {"line breaks",
       "<p>Carrer Major 1<br>25001 Lleida<br><br>Telè"
       "fon</p>",
       {"CARRER MAJOR 1", "25001 LLEIDA",
        "TELè"
        "FON"}},
      {"nested blocks",
       "<div>Abans <p>Dins <b>negreta</b></p> després</div>",
       {"ABANS", "DINS NEGRETA", "DESPRéS"}},
      {"a block laid out as one",
       "<span style='display:block'>Una</span><span>dues</span>",
       {"UNA", "DUES"}},
      {"sentences stay units", "<p>Un. Dos.</p><p>Tres. </p>", {"UN", "DOS.", "TRES"}},
      {"words on two lines", "<p>Les tecles\nprincipals.</p>", {"LES TECLES PRINCIPALS."}},
      {"preformatted lines", "<pre>ls -l\n\ncd /tmp</pre><p>Fet</p>", {"LS -L", "CD /TMP", "FET"}},
      {"a link inside a paragraph",
       "<p>Vegeu <a href='x.htm'>el\ndocument</a> ara.</p><p>Nou</p>",
       {"VEGEU", "LINK", "EL DOCUMENT", "ARA.", "NOU"}},
      {"a link in a block of its own",
       "<p><a href='x.htm'>Primer</a></p><p>Segon</p>",
       {"LINK", "PRIMER", "SEGON"}},
      {"an image between lines",
       "<p>Abans<img src='g.png' alt='Gat'>Després</p>",
       {"ABANS", "Imatge", "GAT", "DESPRéS"}},
      {"a line break inside a link", "<p><a href='x.htm'>Un<br>dos</a></p>", {"LINK", "UN DOS"}},
      {"blocks inside a link",
       "<a href='x.htm'><div>Un</div><div>dos</div></a><p>Tres</p>",
       {"LINK", "UN DOS", "TRES"}},
  };
  int page = 0;
  for (const auto& c : cases) {
    const std::string name = std::to_string(++page) + ".htm";
    EXPECT_EQ(Spoken(name, c.body), c.units) << c.shape;
  }
}

TEST_F(SnapshotUnitsTest, NoUnitIsLeftWithNothingToSayByTheBlocks) {
  const std::string path =
      Write("buits.htm",
            "<html><body><div><div><p>Un</p></div>\n  </div><ul>\n <li><a href='a.htm'>A</a></li>\n"
            " <li><p>B</p></li></ul><table><tr><td></td><td>C</td></tr></table><br><br><p> </p>"
            "<p>Vegeu <a href='v.htm'>V</a></p><p>Fi</p>"
            "</body></html>");
  ASSERT_TRUE(Load(path));
  auto list = std::make_unique<reading::ReadingList>();
  reading::PageConverter(*list, nullptr).ConvertPage(browser->Document().body_outerHtml());
  reading::PlaceNotes(*list, browser->Document().Notes(), false);
  reading::ReadingPlaces().Take(*list, {});
  Lines all;
  for (int32_t i = 3; i <= list->UnitCount; ++i) all.push_back(Trimmed(list->Unit(i).Text));
  // Only the conversion's own: the blank before the final mark; and the
  // list's note, whose page words are none.
  EXPECT_EQ(all, (Lines{"UN", "Llista de 2 elements", "", "LINK", "A", "B", "C", "VEGEU", "LINK",
                        "V", "FI", ""}))
      << browser->Document().body_outerHtml();
}

TEST_F(SnapshotUnitsTest, MarkupCharactersAndSpacesAreHeardAsThePageShowsThem) {
  EXPECT_EQ(Spoken("m.htm",
                   "<p><code>Vec&lt;usize&gt;</code> i a =&gt; b &amp; c</p>"
                   "<p>Beautiful&nbsp;is&nbsp;better&nbsp;than&nbsp;ugly.</p>"
                   "<p><a href='x.htm'>Cap. 2. Primers passos</a></p>"
                   "<p><img src='g.png' alt='a &lt; b'></p>"
                   "<p>Escriviu &amp;lt; per a &lt;</p>"),
            (Lines{"VEC<USIZE> HI A => B & C", "BEAUTIFUL IS BETTER THAN UGLY.", "LINK",
                   "CAP. 2. PRIMERS PASSOS", "Imatge", "A < B", "ESCRIVIU &LT; PER A <"}));
}

TEST_F(SnapshotUnitsTest, ThePagesOwnWordsAreNeverMarksAndDecorationIsPassedOver) {
  struct Case {
    const char* shape;
    const char* body;
    Lines units;
  } const cases[] = {
      {"words that spell the marks",
       "<p>Premeu (g) o (punt) i (L)x(/L) (<b>G</b>)</p><p>Fi</p>",
       {"PREMEU (G) O (PUNT) HI (L)X(/L) (G)", "FI"}},
      {"a mark in a description and a link",
       "<p><img src='f.png' alt='Fletxa (g)'><a href='a.htm'>Veure (L) (PUNT)</a></p>",
       {"Imatge", "FLETXA (G)", "LINK", "VEURE (L) (PUNT)"}},
      {"decorative pictures",
       "<p>Abans <img src='_static/swirl.png' alt=''> <img src='r.png' role='presentation' "
       "alt='ratlla'> despr&eacute;s</p><p><img src='x.png' alt=' '>Fi</p>",
       {"ABANS   DESPRéS", "FI"}},
      {"every script",
       "<p>Zażółć gęślą jaźń</p><p>Ζωή είναι</p><p>Жизнь → 😀</p>",
       {"ZAżółć GęśLą JAźń", "Ζωή είναι", "Жизнь → 😀"}},
  };
  const char* const names[] = {"w1.htm", "w2.htm", "w3.htm", "w4.htm"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(Spoken(names[i], cases[i].body), cases[i].units) << cases[i].shape;
  }
}

TEST_F(SnapshotUnitsTest, ALinkWithNothingToSayIsNamedAsAScreenReaderNamesIt) {
  const std::string path = Write("icones.htm",
                                 R"(<html><body><p>
<a href="a.htm" aria-label="Inici" title="no"><svg width="10" height="10"></svg></a>
<a href="b.htm" title="Seg&uuml;ent"><i class="icon"></i></a>
<a href="c.htm"><img src="casa.png" alt="" title="Casa"></a>
<a href="d.htm"><svg width="10" height="10"><title>Cerca</title></svg></a>
<a href="/docs/guia/"> <span hidden>amagat</span> </a>
<a href="#amunt">&#8593;</a>
<a href="dir/ch02.es.html?x=1"><img src="next.png"></a>
<a href="e.htm"><img src="cat.png" alt="Un gat"></a>
<a href="f.htm">Text</a>
</p></body></html>)");
  ASSERT_TRUE(Load(path));
  auto list = std::make_unique<reading::ReadingList>();
  reading::PageConverter(*list, nullptr).ConvertPage(browser->Document().body_outerHtml());
  const Lines expected = {"INICI",
                          "SEGü"
                          "ENT",
                          "CASA",
                          "CERCA",
                          "GUIA",
                          "AMUNT",
                          "CH02.ES.HTML",
                          "Imatge UN GAT ",
                          "TEXT"};
  ASSERT_EQ(list->LinkCount, static_cast<int32_t>(expected.size()));
  for (int32_t i = 1; i <= list->LinkCount; ++i) {
    EXPECT_EQ(list->Link(i).Text, expected[static_cast<size_t>(i - 1)]) << i;
  }
  EXPECT_EQ(browser->Document().links_length(), list->LinkCount) << "one link each, in order";
}

TEST_F(SnapshotUnitsTest, TheDocumentSaysItsLanguage) {
  struct Case {
    const char* html;
    const char* language;
  } const cases[] = {
      {"<html lang='es'><body><p>Hola</p></body></html>", "es"},
      {"<html lang=' en-GB '><body><p>Hi</p></body></html>", "en-GB"},
      {"<html xml:lang='ca'><body><p>Hola</p></body></html>", "ca"},
      {"<html><head><meta http-equiv='Content-Language' content='de, en'></head>"
       "<body><p>Hallo</p></body></html>",
       "de"},
      {"<html><body lang='fr'><p>Salut</p></body></html>", ""},
      {"<html><body><p>Res</p></body></html>", ""},
  };
  int page = 0;
  for (const auto& c : cases) {
    ASSERT_TRUE(Load(Write("l" + QString::number(++page) + ".htm", c.html)));
    EXPECT_EQ(browser->Document().Language(), c.language) << c.html;
  }
}

}  // namespace
}  // namespace sonavia::qt
