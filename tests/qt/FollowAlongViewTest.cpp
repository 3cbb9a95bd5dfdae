// The page shows what is being read, for real: the whole program reads a
// page with the recording library, and at each unit the component reports
// what it marked and where; the page's own document never changes.
#include <gtest/gtest.h>

#include <QDir>
#include <QMainWindow>
#include <QRectF>
#include <QVariantMap>
#include <vector>

#include "qt/RealProgram.h"
#include "qt/WebEngineBrowser.h"
#include "reading/PageConverter.h"
#include "reading/ReadingFollower.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::RealProgram;

const char* const kPage = R"(<html><head><title>Seguir</title>
<style>body { margin: 30px; font-size: 24px; font-family: sans-serif }</style></head>
<body>
<h1>Lectura &amp; seguiment</h1>
<p>Primera frase del text. La segona frase, amb   espais i
salts de l&iacute;nia. </p>
<p><img src="no.png" alt="un gat" width="120" height="90"></p>
<p>Abans de l'enlla&ccedil; <a id="l" href="una.htm">Enlla&ccedil; u</a> despr&eacute;s. </p>
<iframe id="f" srcdoc="&lt;p&gt;Text dins del marc.&lt;/p&gt;" style="width:400px; height:80px"></iframe>
<div style="height:2500px"></div>
<p id="end">Frase del final de la p&agrave;gina.</p>
</body></html>)";

// Letters and digits only, in small letters: how the mark compares texts.
QString Letters(const QString& text) {
  QString out;
  for (const QChar c : text.toLower()) {
    if (c.isLetterOrNumber()) out += c;
  }
  return out;
}

class FollowAlongView : public ::testing::Test {
 protected:
  std::vector<QVariantMap> reports;

  void Record(RealProgram& p) {
    QObject::connect(&p.window.Browser(), &WebEngineBrowser::readingMarkDrawn,
                     [this](const QVariantMap& r) { reports.push_back(r); });
  }
  static QString PageDom(RealProgram& p) {
    return p.Eval(QStringLiteral("document.documentElement.outerHTML")).toString();
  }
  static int MarkHosts(RealProgram& p) {
    // Seen from the page's world: the hosts are the only elements after
    // the body.
    return p
        .Eval(QStringLiteral("var n = 0; for (var e = document.body.nextElementSibling; e; "
                             "e = e.nextElementSibling) n++; n"))
        .toInt();
  }
};

TEST_F(FollowAlongView, EachUnitIsMarkedWhereItStandsAndThePageStaysAsItWas) {
  RealProgram p(kPage);
  Record(p);
  ASSERT_TRUE(p.Loaded("Seguir"));
  const QString bodyBefore = p.Eval(QStringLiteral("document.body.outerHTML")).toString();
  // What the page's own scripts see of the mark: its root element gains one
  // child for the reading and loses it at the end, not one per unit.
  p.Eval(
      QStringLiteral("window.rootChanges = 0; new MutationObserver(function (r) { "
                     "rootChanges += r.length; }).observe(document.documentElement, "
                     "{childList: true}); 0"));
  ASSERT_TRUE(WaitFor([&] { return !reports.empty(); }, 30000));
  EXPECT_EQ(MarkHosts(p), 1) << "one host while a mark shows";
  EXPECT_EQ(p.Eval(QStringLiteral("document.body.outerHTML")).toString(), bodyBefore)
      << "the body is never touched";
  ASSERT_TRUE(p.WaitToSay("final de la", 0, 90000));
  ASSERT_TRUE(WaitFor([&] { return MarkHosts(p) == 0; }, 10000)) << "the mark goes at the end";

  const QSize view = p.window.Browser().View()->size();
  QStringList texts;
  bool image = false, link = false, end = false;
  for (const QVariantMap& r : reports) {
    const QString kind = r.value(QStringLiteral("kind")).toString();
    const QString text = r.value(QStringLiteral("text")).toString();
    texts << kind + ":" + text;
    if (Letters(text).isEmpty()) continue;  // blanks between items mark nothing
    ASSERT_TRUE(r.value(QStringLiteral("found")).toBool())
        << kind.toStdString() << " " << text.toStdString();
    const QRectF rect(
        r.value(QStringLiteral("x")).toDouble(), r.value(QStringLiteral("y")).toDouble(),
        r.value(QStringLiteral("width")).toDouble(), r.value(QStringLiteral("height")).toDouble());
    const QRectF shown(0, 0, view.width(), view.height());
    if (rect.height() < view.height()) {
      EXPECT_TRUE(shown.contains(rect)) << text.toStdString() << " is in view";
    } else {
      EXPECT_TRUE(shown.intersects(rect)) << text.toStdString() << " begins in view";
    }
    const QString marked = r.value(QStringLiteral("marked")).toString();
    if (kind == QStringLiteral("text")) {
      // The conversion's "hi" for a lone "i" is the page's "i".
      QString spoken =
          Letters(QString(text).replace(QStringLiteral(" HI "), QStringLiteral(" I ")));
      EXPECT_EQ(marked, spoken.replace(QStringLiteral("amp"), QString()));
      if (marked.contains(QStringLiteral("finaldelap"))) end = true;
    } else if (kind == QStringLiteral("image")) {
      image = true;
      EXPECT_TRUE(marked.startsWith(QStringLiteral("<img"))) << marked.toStdString();
      EXPECT_NEAR(rect.width(), 120, 2);
      EXPECT_NEAR(rect.height(), 90, 2);
    } else {
      link = true;
      EXPECT_TRUE(marked.startsWith(QStringLiteral("<a id=\"l\""))) << marked.toStdString();
    }
  }
  EXPECT_TRUE(image && link && end) << texts.join(QStringLiteral(" | ")).toStdString();
  const int rootChanges = p.Eval(QStringLiteral("window.rootChanges")).toInt();
  EXPECT_GE(rootChanges, 1);
  EXPECT_LE(rootChanges, 2);
  EXPECT_GT(p.Eval(QStringLiteral("window.scrollY")).toDouble(), 1000)
      << "the long page scrolled to its last sentence";
  EXPECT_EQ(p.Eval(QStringLiteral("document.body.outerHTML")).toString(), bodyBefore);
}

TEST_F(FollowAlongView, FramesAreSearchedAndTheMarkGoesWithTheSwitch) {
  RealProgram p(kPage);
  Record(p);
  ASSERT_TRUE(p.Loaded("Seguir"));
  p.form->mnuParlarClick();  // silence: the test marks by hand
  ASSERT_TRUE(WaitFor([&] { return MarkHosts(p) == 0; }, 10000));
  const QString domBefore = PageDom(p);
  reports.clear();
  WebEngineBrowser& browser = p.window.Browser();
  browser.ShowReadingMark({reading::MarkKind::Text, "TEXT DINS DEL MARC", 0});
  ASSERT_TRUE(WaitFor([&] { return !reports.empty(); }, 10000));
  const QVariantMap r = reports.back();
  EXPECT_TRUE(r.value(QStringLiteral("found")).toBool());
  const QVariantList frame =
      p.Eval(QStringLiteral("var r = document.getElementById('f').getBoundingClientRect(); "
                            "[r.x, r.y, r.width, r.height]"))
          .toList();
  ASSERT_EQ(frame.size(), 4);
  const QRectF inFrame(frame[0].toDouble(), frame[1].toDouble(), frame[2].toDouble(),
                       frame[3].toDouble());
  EXPECT_TRUE(inFrame.contains(QPointF(r.value(QStringLiteral("x")).toDouble() + 1,
                                       r.value(QStringLiteral("y")).toDouble() + 1)));
  EXPECT_EQ(r.value(QStringLiteral("marked")).toString(), QStringLiteral("textdinsdelmarc"));

  // A unit that is not on the page marks nothing.
  reports.clear();
  browser.ShowReadingMark({reading::MarkKind::Text, "RES D'AIXO", 0});
  ASSERT_TRUE(WaitFor([&] { return !reports.empty(); }, 10000));
  EXPECT_FALSE(reports.back().value(QStringLiteral("found")).toBool());

  // The menu item hides the mark of the reading at once.
  p.form->mnuParlarClick();
  ASSERT_TRUE(WaitFor([&] { return MarkHosts(p) == 1; }, 30000));
  p.form->mnuMostrarLectura.OnClick();
  EXPECT_TRUE(WaitFor([&] { return MarkHosts(p) == 0; }, 5000));
  p.form->mnuParlarClick();
  Pump(300);
  EXPECT_EQ(PageDom(p), domBefore);
}

// One text node far larger than a unit, with very long words in it: the
// marked rectangle is that of the unit's own characters in the node.
TEST_F(FollowAlongView, ALargeTextNodeIsMarkedAtTheUnitsOwnCharacters) {
  std::string text;
  // The parser cuts text nodes at 64 K characters: all this is in the first.
  for (int i = 0; i < 15000; ++i) text += "ab ";
  text += std::string(12000, 'x') + " hi " + std::string(5000, 'y') + " Frase i de prova final. ";
  for (int i = 0; i < 3000; ++i) text += "cd ";
  RealProgram p("<html><head><title>Gran</title></head><body><p id='p'>" + text +
                "</p></body></html>");
  Record(p);
  ASSERT_TRUE(p.Loaded("Gran"));
  p.form->mnuParlarClick();  // silence: the test marks by hand
  ASSERT_TRUE(WaitFor([&] { return MarkHosts(p) == 0; }, 10000));
  reports.clear();
  p.window.Browser().ShowReadingMark({reading::MarkKind::Text, "FRASE HI DE PROVA FINAL", 0});
  ASSERT_TRUE(WaitFor([&] { return !reports.empty(); }, 10000));
  const QVariantMap r = reports.back();
  ASSERT_TRUE(r.value(QStringLiteral("found")).toBool());
  EXPECT_EQ(r.value(QStringLiteral("marked")).toString(), QStringLiteral("fraseideprovafinal"));
  // Where the page itself puts those characters, after the mark's scroll.
  const QVariantList expected =
      p.Eval(QStringLiteral("var t = document.getElementById('p').firstChild; "
                            "while (t.data.indexOf('Frase') < 0) t = t.nextSibling; "
                            "var at = t.data.indexOf('Frase'), r = document.createRange(); "
                            "r.setStart(t, at); r.setEnd(t, at + 'Frase i de prova final'.length); "
                            "var b = r.getBoundingClientRect(); [b.x, b.y, b.width, b.height]"))
          .toList();
  ASSERT_EQ(expected.size(), 4);
  EXPECT_NEAR(r.value(QStringLiteral("x")).toDouble(), expected[0].toDouble(), 1);
  EXPECT_NEAR(r.value(QStringLiteral("y")).toDouble(), expected[1].toDouble(), 1);
  EXPECT_NEAR(r.value(QStringLiteral("width")).toDouble(), expected[2].toDouble(), 1);
  EXPECT_NEAR(r.value(QStringLiteral("height")).toDouble(), expected[3].toDouble(), 1);
}

// The pages that the project's tests use: at least 95 % of their text
// units are found on the page.
TEST(FollowAlongCorpus, NearlyEveryTextUnitIsFound) {
  const QDir source(QStringLiteral(SONAVIA_SOURCE_DIR));
  QStringList pages;
  for (const QString& name : source.entryList({QStringLiteral("*.htm")}, QDir::Files))
    pages << source.filePath(name);
  for (const char* folder : {"tests/reading/corpus", "tests/tools"}) {
    const QDir dir(source.filePath(QString::fromLatin1(folder)));
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files))
      pages << dir.filePath(name);
  }
  ASSERT_GE(pages.size(), 6);

  QMainWindow window;
  auto* browser = new WebEngineBrowser(&window);
  window.setCentralWidget(browser->View());
  window.resize(1000, 700);
  window.show();
  bool complete = false;
  browser->events.DocumentComplete = [&] { complete = complete || !browser->Busy(); };
  QVariantMap report;
  bool reported = false;
  QObject::connect(browser, &WebEngineBrowser::readingMarkDrawn, [&](const QVariantMap& r) {
    report = r;
    reported = true;
  });
  int units = 0, found = 0;
  QStringList missed;
  for (const QString& page : pages) {
    complete = false;
    browser->Navigate(page.toStdString());
    ASSERT_TRUE(WaitFor([&] { return complete; }, 30000)) << page.toStdString();
    auto list = std::make_unique<reading::ReadingList>();
    list->SetPageTitle(browser->Document().Title());
    reading::PageConverter converter(*list, nullptr);
    converter.ConvertPage(browser->Document().body_outerHtml());
    for (int32_t u = 1; u <= list->UnitCount; ++u) {
      const auto mark = reading::MarkForUnit(*list, u);
      if (!mark || mark->kind != reading::MarkKind::Text) continue;
      if (Letters(QString::fromLatin1(mark->text)).isEmpty()) continue;
      reported = false;
      browser->ShowReadingMark(*mark);
      ASSERT_TRUE(WaitFor([&] { return reported; }, 10000));
      ++units;
      if (report.value(QStringLiteral("found")).toBool()) {
        ++found;
      } else {
        missed << QFileInfo(page).fileName() + ": " + QString::fromLatin1(mark->text);
      }
    }
    browser->HideReadingMark();
  }
  const double share = units == 0 ? 0 : 100.0 * found / units;
  std::printf("text units found: %d of %d (%.1f %%)\n", found, units, share);
  EXPECT_GE(share, 95.0) << missed.join(QStringLiteral(" | ")).toStdString();
  EXPECT_GT(units, 20);
}

}  // namespace
}  // namespace sonavia::qt
