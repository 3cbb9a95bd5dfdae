// The scripts that the component runs in the page, against the real
// engine: the snapshot and the reading mark pass over the same elements,
// and none of them is seen by the page's own scripts.
#include <gtest/gtest.h>

#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QVariantMap>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <string>

#include "qt/QtWait.h"
#include "qt/WebEngineBrowser.h"
#include "qt/WebEngineSetup.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::WaitFor;

class PageScriptsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QMainWindow window;
  WebEngineBrowser* browser = new WebEngineBrowser(&window);
  bool complete = false;
  QVariantMap report;
  bool reported = false;

  void SetUp() override {
    window.setCentralWidget(browser->View());
    window.resize(900, 700);
    window.show();
    browser->events.DocumentComplete = [this] { complete = complete || !browser->Busy(); };
    QObject::connect(browser, &WebEngineBrowser::readingMarkDrawn, [this](const QVariantMap& r) {
      report = r;
      reported = true;
    });
  }

  void Write(const QString& name, const char* html) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html);
  }
  bool Load(const char* html) {
    Write(QStringLiteral("page.htm"), html);
    complete = false;
    browser->Navigate(dir.filePath(QStringLiteral("page.htm")).toStdString());
    return WaitFor([&] { return complete; }, 30000);
  }
  // Whether the mark finds `text`, as the conversion gives it, on the page.
  bool MarkFinds(const std::string& text) {
    reported = false;
    browser->ShowReadingMark({reading::MarkKind::Text, text, 0});
    EXPECT_TRUE(WaitFor([&] { return reported; }, 10000)) << text;
    return report.value(QStringLiteral("found")).toBool();
  }
  // Evaluated by the page's own scripts, in their world.
  QString InPagesWorld(const QString& script) {
    QString value;
    bool done = false;
    browser->View()->page()->runJavaScript(script, [&](const QVariant& v) {
      value = v.toString();
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }, 10000));
    return value;
  }
};

// Each word stands in one element; what the reading says, the mark must
// find, and what it passes over, the mark must not look for.
const char* const kPage = R"(<html><head><title>Amagat</title>
<style>.gone { display: none }</style></head><body>
<p>visible alfa</p>
<div class="gone">ocult bravo</div>
<div style="visibility:hidden">ocult charlie</div>
<div hidden>ocult delta</div>
<div aria-hidden="true">ocult echo</div>
<div aria-hidden="false">visible foxtrot</div>
<script>var unused = "ocult golf";</script>
<style>/* ocult hotel */</style>
<noscript>ocult india</noscript>
<template><p>ocult juliet</p></template>
<div class="gone"><p style="display:block">ocult kilo</p></div>
<p style="opacity:0">visible lima</p>
<p><a href="x.htm" hidden>ocult mike</a> <a href="y.htm">visible november</a></p>
<iframe src="frame.htm"></iframe>
</body></html>)";

TEST_F(PageScriptsTest, TheMarkPassesOverWhatTheSnapshotLeavesOut) {
  Write(QStringLiteral("frame.htm"), R"(<html><head><style>.x { display: none }</style></head>
<body><p class="x">ocult oscar</p><p aria-hidden="true">ocult papa</p><p>marc quebec</p>
</body></html>)");
  ASSERT_TRUE(Load(kPage));
  const std::string body = browser->Document().body_outerHtml();
  struct Case {
    const char* word;  // as the page has it
    bool read;         // the snapshot holds it
    bool marked;       // the mark finds it
  } const cases[] = {
      {"visible alfa", true, true},
      {"ocult bravo", false, false},
      {"ocult charlie", false, false},
      {"ocult delta", false, false},
      {"ocult echo", false, false},
      {"visible foxtrot", true, true},
      {"ocult golf", false, false},
      {"ocult hotel", false, false},
      {"ocult india", false, false},
      {"ocult juliet", false, false},
      {"ocult kilo", false, false},
      {"visible lima", true, true},
      {"ocult mike", false, false},
      {"visible november", true, true},
      // A frame's text is not in the top document's snapshot; the mark
      // searches it after the document, with the frame's own style.
      {"ocult oscar", false, false},
      {"ocult papa", false, false},
      {"marc quebec", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(body.find(c.word) != std::string::npos, c.read) << c.word << " in " << body;
    std::string spoken = c.word;
    for (char& ch : spoken) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(MarkFinds(spoken), c.marked) << c.word;
  }
  ASSERT_EQ(browser->Document().links_length(), 1) << "the hidden link is no link";
}

TEST_F(PageScriptsTest, ThePagesOwnScriptsSeeNothingOfThem) {
  ASSERT_TRUE(Load("<html><head><title>Net</title></head><body><p>Hola</p></body></html>"));
  ASSERT_TRUE(MarkFinds("HOLA"));
  for (const char* name : {"__sonaviaPage", "__sonaviaMarker", "sonaviaFrame"}) {
    EXPECT_EQ(InPagesWorld(QStringLiteral("typeof window.%1").arg(QLatin1String(name))),
              QStringLiteral("undefined"))
        << name;
  }
}

TEST_F(PageScriptsTest, AnImageIsMarkedByItsNumberAmongThoseOutsideLinks) {
  ASSERT_TRUE(Load(R"(<html><head><title>Imatges</title></head><body>
<p><a href="u.htm"><img alt="dins" width="20" height="20"></a></p>
<p><img alt="fora" width="30" height="30"></p></body></html>)"));
  reported = false;
  browser->ShowReadingMark({reading::MarkKind::Image, "", 1});
  ASSERT_TRUE(WaitFor([&] { return reported; }, 10000));
  EXPECT_TRUE(report.value(QStringLiteral("marked")).toString().contains(QStringLiteral("fora")))
      << report.value(QStringLiteral("marked")).toString().toStdString();
}

// The page process's full collection: after the top document's snapshot,
// and after a document's first mark index, not after each later one.
TEST_F(PageScriptsTest, ThePageProcessCollectsAfterTheSnapshotAndTheFirstIndexOnly) {
  QWebEngineScript counter;
  counter.setSourceCode(
      QStringLiteral(
          "window.collections = 0; window['%1'] = function () { window.collections++; };")
          .arg(QLatin1String(PageCollector())));
  counter.setInjectionPoint(QWebEngineScript::DocumentCreation);
  counter.setWorldId(QWebEngineScript::ApplicationWorld);
  browser->View()->page()->scripts().insert(counter);
  const auto collections = [this] {
    int value = -1;
    bool done = false;
    browser->View()->page()->runJavaScript(QStringLiteral("window.collections"),
                                           QWebEngineScript::ApplicationWorld,
                                           [&](const QVariant& v) {
                                             value = v.toInt();
                                             done = true;
                                           });
    WaitFor([&] { return done; }, 10000);
    return value;
  };
  Write(QStringLiteral("frame.htm"), "<html><body><p>marc</p></body></html>");
  ASSERT_TRUE(Load(R"(<html><head><title>Net</title></head><body><p id="p">Hola</p>
<iframe src="frame.htm"></iframe></body></html>)"));
  EXPECT_TRUE(WaitFor([&] { return collections() == 1; }, 5000)) << "after the top snapshot";
  ASSERT_TRUE(MarkFinds("HOLA"));
  EXPECT_EQ(collections(), 2) << "after the first index";
  ASSERT_TRUE(MarkFinds("MARC"));
  InPagesWorld(QStringLiteral("document.getElementById('p').textContent = 'Adeu'; 0"));
  ASSERT_TRUE(MarkFinds("ADEU"));
  EXPECT_EQ(collections(), 2) << "not after a later index";
}

}  // namespace
}  // namespace sonavia::qt
