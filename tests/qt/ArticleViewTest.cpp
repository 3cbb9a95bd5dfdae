// The article first and the page's structure through the real engine: the
// reader view on saved pages of the shapes news and documentation sites
// have, headings, lists and tables as the snapshot notes them, and a page
// that fills itself after it was read.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
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

// Letters and digits alone, in small letters, the conversion's "hi" for a
// lone "i" taken back: how a unit is found in a page's text.
std::string Folded(const std::string& text) {
  const QStringList words = QString::fromStdString(text).toLower().split(
      QRegularExpression(QStringLiteral("[^\\w]+")), Qt::SkipEmptyParts);
  QString out;
  for (const QString& word : words)
    out += word == QStringLiteral("hi") ? QStringLiteral("i") : word;
  return out.toStdString();
}

class ArticleViewTest : public testing::BrowserFixture {
 protected:
  // The units of a document as the program reads them, from unit 3 on:
  // the structure's notes in Catalan, nothing silent.
  static Lines Spoken(const shell::BrowserDocument& document) {
    auto list = std::make_unique<reading::ReadingList>();
    list->SetPageTitle("T");
    reading::PageConverter(*list, nullptr).ConvertPage(document.body_outerHtml());
    reading::PlaceNotes(*list, document.Notes(), false);
    reading::ReadingPlaces().Take(*list, {});
    Lines spoken;
    for (int32_t i = 3; i <= list->UnitCount; ++i) {
      const std::string text = reading::SpokenText(list->Unit(i).Text);
      if (!reading::Speakable(text)) continue;
      const size_t first = text.find_first_not_of(' ');
      spoken.push_back(text.substr(first, text.find_last_not_of(' ') - first + 1));
    }
    return spoken;
  }
  Lines SpokenBody(const std::string& name, const std::string& body) {
    const std::string path =
        Write(QString::fromStdString(name),
              QByteArray::fromStdString("<html><head><meta charset='utf-8'></head><body>" + body +
                                        "</body></html>"));
    if (!Load(path)) return {"(not loaded)"};
    return Spoken(browser->Document());
  }
};

TEST_F(ArticleViewTest, HeadingsListsAndDataTablesAreNotedLayoutTablesAreNot) {
  struct Case {
    const char* shape;
    const char* body;
    Lines units;
  } const cases[] = {
      {"headings of each level, and one by its role",
       "<h1>U</h1><h3>Tres</h3><div role='heading' aria-level='4'>Quatre</div>",
       {"Títol 1", "U", "Títol 3", "TRES", "Títol 4", "QUATRE"}},
      {"a list counts the items shown",
       "<ul><li>A</li><li hidden>B</li><li>C</li></ul><ol><li>Sol</li></ol>",
       {"Llista de 2 elements", "A", "C", "Llista d'1 element", "SOL"}},
      {"a data table: its size, each cell after its column's header",
       "<table><tr><th>Nom</th><th>Preu</th></tr><tr><td>Pa</td><td>1</td></tr>"
       "<tr><td>Vi</td><td>5</td></tr></table>",
       {"Taula de 3 files i 2 columnes", "NOM", "PREU", "Nom", "PA", "Preu", "1", "Nom", "VI",
        "Preu", "5"}},
      {"down one column the header is said once",
       "<table><thead><tr><th>Dia</th></tr></thead><tr><td>Dl</td></tr><tr><td>Dt</td></tr>"
       "</table>",
       {"Taula de 3 files i 1 columna", "DIA", "Dia", "DL", "DT"}},
      {"a table without headers lays the page out",
       "<table><tr><td>Menu</td><td>Text</td></tr></table>",
       {"MENU", "TEXT"}},
      {"a documentation page's navigation bar: a title over one row",
       "<table><tr><th colspan='3'>Cap 2</th></tr><tr><td>Enrere</td><th>Inici</th>"
       "<td>Endavant</td></tr></table>",
       {"CAP 2", "ENRERE", "INICI", "ENDAVANT"}},
      {"a table of tables lays the page out",
       "<table><tr><th>X</th><td><table><tr><td>Y</td></tr></table></td></tr></table>",
       {"X", "Y"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(SpokenBody("shape" + std::to_string(n++) + ".htm", c.body), c.units) << c.shape;
  }
}

TEST_F(ArticleViewTest, OnSavedNewsPagesTheFirstSentenceAfterTheTitleIsTheArticles) {
  const QDir saved(QStringLiteral(SONAVIA_SOURCE_DIR "/tests/qt/articles"));
  const QStringList pages = saved.entryList({QStringLiteral("news-*.html")}, QDir::Files);
  ASSERT_EQ(pages.size(), 10);
  int first = 0;
  for (const QString& page : pages) {
    SCOPED_TRACE(page.toStdString());
    ASSERT_TRUE(Load(saved.filePath(page).toStdString()));
    const std::string truth =
        Folded(Eval(QStringLiteral("document.querySelector('.truth').textContent"))
                   .toString()
                   .toStdString());
    const shell::BrowserDocument& whole = browser->Document();
    const Lines units = Spoken(whole.Article() != nullptr ? *whole.Article() : whole);
    ASSERT_FALSE(units.empty());
    // Notes are the program's words, not the page's.
    size_t k = 0;
    while (k + 1 < units.size() && units[k].rfind("Títol ", 0) == 0) ++k;
    if (truth.find(Folded(units[k])) != std::string::npos) ++first;
    // The page itself is left as it was, and its own scripts see no reader.
    EXPECT_EQ(Eval(QStringLiteral("document.querySelectorAll('[data-sonavia-n]').length")).toInt(),
              0);
    EXPECT_EQ(Eval(QStringLiteral("typeof Readability")).toString(), QStringLiteral("undefined"));
  }
  EXPECT_GE(first, 9);
}

TEST_F(ArticleViewTest, ALongArticleIsReadWholeWithinTheLimit) {
  ASSERT_TRUE(Load(SONAVIA_SOURCE_DIR "/tests/qt/articles/news-08-long.html"));
  const shell::BrowserDocument* article = browser->Document().Article();
  ASSERT_NE(article, nullptr);
  auto list = std::make_unique<reading::ReadingList>();
  reading::PageConverter converter(*list, nullptr);
  converter.ConvertPage(article->body_outerHtml());
  EXPECT_FALSE(converter.ReachedLimit());
  const std::string last = Folded(
      Eval(QStringLiteral("Array.from(document.querySelectorAll('.truth p')).pop().textContent"))
          .toString()
          .toStdString());
  EXPECT_NE(last.find(Folded(list->Unit(list->UnitCount).Text)), std::string::npos);
}

TEST_F(ArticleViewTest, APageThatFillsItselfIsReportedAndReadAsItIsNow) {
  std::vector<int32_t> changes;
  browser->events.PageChanged = [&changes](int32_t characters) { changes.push_back(characters); };
  const std::string path =
      Write(QStringLiteral("search.htm"),
            "<html><body><p id='r'>Searching</p><script>setTimeout(function () {"
            "  var r = document.getElementById('r'); r.textContent = '';"
            "  for (var i = 1; i <= 115; i++) {"
            "    var p = document.createElement('p'); p.textContent = 'Result ' + i + ' of 115';"
            "    r.appendChild(p); }"
            "}, 1500);</script></body></html>");
  ASSERT_TRUE(Load(path));
  EXPECT_EQ(Spoken(browser->Document()), (Lines{"SEARCHING"}));
  ASSERT_TRUE(testing::WaitFor([&] { return !changes.empty(); }));
  EXPECT_GE(changes.front(), 200);
  bool read = false;
  browser->ReadDocumentAgain([&read] { read = true; });
  ASSERT_TRUE(testing::WaitFor([&] { return read; }));
  const Lines units = Spoken(browser->Document());
  ASSERT_EQ(units.size(), 115u);
  EXPECT_EQ(units.front(), "RESULT 1 OF 115");
}

}  // namespace
}  // namespace sonavia::qt
