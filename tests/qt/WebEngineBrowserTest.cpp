#include "qt/WebEngineBrowser.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <memory>
#include <string>
#include <vector>

#include "qt/BrowserFixture.h"
#include "qt/QtPlatform.h"
#include "qt/QtWait.h"
#include "qt/QtWindowList.h"
#include "qt/SynthesizedInput.h"
#include "qt/WebEngineSetup.h"
#include "reading/PageConverter.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using WebEngineBrowserTest = testing::BrowserFixture;

TEST_F(WebEngineBrowserTest, EventsComeInOrderAndTheSnapshotIsWhatIsShown) {
  const std::string path = Write("sub/page.htm", R"(<html><head><title>P&agrave;gina</title>
<style>.gone { display: none }</style><script>document.title = document.title;</script></head>
<body><p>Hola <a class="x" title="t" href="a.htm">primer</a>.</p>
<script>var hidden = "<a href='script.htm'>no</a>";</script>
<div class="gone"><a href="gone.htm">amagat</a></div>
<div style="visibility:hidden"><a href="invisible.htm">invisible</a></div>
<div hidden><a href="hidden.htm">hidden</a></div>
<div aria-hidden="true"><a href="aria.htm">aria</a></div>
<noscript><a href="noscript.htm">noscript</a></noscript>
<template><a href="template.htm">template</a></template>
<p><a id="n" name="n">no address</a> <a target="_blank" href="b%20c.htm">segon</a> i&nbsp;prou.</p>
</body></html>)");
  ASSERT_TRUE(Load(path));
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front(), "DownloadBegin");
  const auto find = [&](const std::string& s) {
    return std::find(log.begin(), log.end(), s) - log.begin();
  };
  EXPECT_LT(find("ProgressChange(100,100)"), find("DocumentComplete busy=0"));
  EXPECT_LT(find("StatusTextChange(Listo)"), find("DocumentComplete busy=0"));
  EXPECT_LT(find("DownloadBegin"), find("NavigateComplete2"));
  EXPECT_LT(find("NavigateComplete2"), find("DownloadComplete"));
  EXPECT_LT(find("DownloadComplete"), find("DocumentComplete busy=0"));
  EXPECT_EQ(log.back(), "DocumentComplete busy=0");

  const shell::BrowserDocument& doc = browser->Document();
  EXPECT_EQ(doc.Title(), "Pàgina");
  const std::string folder = "file://" + dir.path().toStdString() + "/sub/";
  ASSERT_EQ(doc.links_length(), 2);
  EXPECT_EQ(doc.Links_Item(0), folder + "a.htm");
  EXPECT_EQ(doc.Links_Item(1), folder + "b c.htm");
  EXPECT_THROW(doc.Links_Item(2), shell::BrowserError);
  for (const char* gone :
       {"amagat", "invisible", "hidden", "aria", "noscript", "template", "script.htm"}) {
    EXPECT_EQ(doc.body_outerHtml().find(gone), std::string::npos) << gone;
  }

  auto list = std::make_unique<reading::ReadingList>();
  list->SetPageTitle(doc.Title());
  reading::PageConverter(*list, nullptr).ConvertPage(doc.body_outerHtml());
  ASSERT_EQ(list->LinkCount, 2) << doc.body_outerHtml();
  EXPECT_EQ(list->Links[1].Text, "PRIMER");
  EXPECT_EQ(list->Links[2].Text, "SEGON");

  EXPECT_EQ(browser->LocationName(), "page.htm");
  const std::string url = browser->LocationURL();
  EXPECT_EQ(url, folder + "page.htm");
  EXPECT_EQ(url.substr(0, url.size() - browser->LocationName().size()), folder);
  EXPECT_EQ(browser->QueryStatusWB(shell::OLECMDID_PRINT),
            shell::OLECMDF_SUPPORTED | shell::OLECMDF_ENABLED);
  EXPECT_EQ(browser->QueryStatusWB(shell::OLECMDID_SAVECOPYAS) & shell::OLECMDF_ENABLED, 0);
  EXPECT_THROW(browser->ExecWB(shell::OLECMDID_SAVECOPYAS, shell::OLECMDEXECOPT_PROMPTUSER),
               shell::BrowserError);
}

TEST_F(WebEngineBrowserTest, NoDocumentBeforeTheFirstPage) {
  EXPECT_THROW(browser->Document(), shell::BrowserError);
  EXPECT_EQ(browser->QueryStatusWB(shell::OLECMDID_PRINT) & shell::OLECMDF_ENABLED, 0);
  EXPECT_FALSE(browser->Busy());
}

TEST_F(WebEngineBrowserTest, PointerAndKeyboardOnALinkGiveItsAddress) {
  const std::string path = Write("links.htm", R"(<html><body style="margin:40px">
<p><a id="one" href="una%20pagina.htm" style="font-size:40px">UNA</a></p>
<p><a id="two" href="dues.htm" style="font-size:40px">DUES</a></p></body></html>)");
  ASSERT_TRUE(Load(path));
  const std::string folder = "file://" + dir.path().toStdString() + "/";
  QWidget* target = browser->View()->focusProxy();
  ASSERT_NE(target, nullptr);
  const QVariantList rect = Eval(
                                "var r = document.getElementById('two').getBoundingClientRect(); "
                                "[r.x + r.width / 2, r.y + r.height / 2]")
                                .toList();
  ASSERT_EQ(rect.size(), 2);
  const QPointF point(rect[0].toDouble(), rect[1].toDouble());
  log.clear();
  QMouseEvent move(QEvent::MouseMove, point, browser->View()->mapToGlobal(point), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &move);
  EXPECT_TRUE(WaitFor(
      [&] {
        return std::find(log.begin(), log.end(), "StatusTextChange(" + folder + "dues.htm)") !=
               log.end();
      },
      5000));

  log.clear();
  // Focus events fire only in a page whose window is active.
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 5000));
  browser->View()->setFocus();
  Pump(100);
  SendSynthesizedKey(Qt::Key_Tab, target);
  EXPECT_TRUE(WaitFor(
      [&] {
        return std::find(log.begin(), log.end(),
                         "StatusTextChange(" + folder + "una pagina.htm)") != log.end();
      },
      5000))
      << "a Tab onto the first link";
}

TEST_F(WebEngineBrowserTest, FailedNavigationsOpenTheMessageWindow) {
  for (const std::string& address :
       {std::string("file:///nonexistent/missing.htm"), std::string("http://127.0.0.1:9/")}) {
    browser->Navigate(address);
    EXPECT_TRUE(WaitFor([&] { return MessageWindow() != nullptr; })) << address;
    QMessageBox* box = MessageWindow();
    if (box != nullptr) {
      EXPECT_EQ(box->buttons().size(), 1);
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QCoreApplication::sendEvent(box, &enter);
      EXPECT_TRUE(WaitFor([&] { return MessageWindow() == nullptr; })) << "Return answers it";
    }
  }
}

TEST_F(WebEngineBrowserTest, ASynthesizedKeyRunsNoShortcut) {
  const std::string path = Write("f6.htm", "<html><body><p>Prem F6</p></body></html>");
  ASSERT_TRUE(Load(path));
  int triggered = 0;
  auto* action = new QAction(&window);
  action->setShortcut(Qt::Key_F6);
  window.addAction(action);
  QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
  // A bare display has no window manager: nothing becomes active by itself.
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 5000));
  browser->View()->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() != nullptr; }, 5000));

  SendSynthesizedKey(Qt::Key_F6, browser->View());
  Pump(700);  // the page hands back keys it does not use, later
  EXPECT_EQ(triggered, 0);

  // The same key sent plainly does reach the shortcut: the check above is real.
  QKeyEvent press(QEvent::KeyPress, Qt::Key_F6, Qt::NoModifier);
  QCoreApplication::sendEvent(QApplication::focusWidget(), &press);
  Pump(700);
  EXPECT_GE(triggered, 1);
}

}  // namespace
}  // namespace sonavia::qt

namespace sonavia::qt {
namespace {

TEST_F(WebEngineBrowserTest, AClickGivesThePageTheKeyboardAndKeysThenReachIt) {
  const std::string path = Write("focus.htm", R"(<html><body><p>text</p>
<p><a href="primer.htm">primer</a></p></body></html>)");
  ASSERT_TRUE(Load(path));
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 5000));
  auto* other = new QLineEdit(&window);
  window.setMenuWidget(other);  // something else holds the keyboard first
  other->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == other; }, 5000));

  QtInput input(*browser);
  input.ClickPage(1, 1);
  EXPECT_TRUE(
      WaitFor([&] { return QApplication::focusWidget() == browser->View()->focusProxy(); }, 5000));
  log.clear();
  input.PressKey(0x09);  // Tab
  const std::string expected =
      "StatusTextChange(file://" + dir.path().toStdString() + "/primer.htm)";
  EXPECT_TRUE(
      WaitFor([&] { return std::find(log.begin(), log.end(), expected) != log.end(); }, 5000));
}

TEST(BrowserComponent, IsAvailableOnlyWithItsHelperProcess) {
  EXPECT_TRUE(BrowserComponentAvailable());
  qputenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess");
  EXPECT_FALSE(BrowserComponentAvailable());
  qunsetenv("QTWEBENGINEPROCESS_PATH");
}

}  // namespace
}  // namespace sonavia::qt

namespace sonavia::qt {
namespace {

TEST_F(WebEngineBrowserTest, MarkupInsideAttributesReadsAsThePageShowsIt) {
  const std::string path =
      Write("attrs.htm", R"html(<html><head><title>Atributs</title></head><body>
<p>Abans. <a title="Seg&uuml;ent >" href="next.htm">Seg&uuml;ent</a></p>
<p><button onclick="if (a > b) go()">Prem</button> Enmig.</p>
<p><span title="<a href='fals.htm'>fals</a>">Text</span> <a href="real.htm">Real</a> Final.</p>
</body></html>)html");
  ASSERT_TRUE(Load(path));
  const shell::BrowserDocument& doc = browser->Document();
  auto list = std::make_unique<reading::ReadingList>();
  reading::PageConverter converter(*list, nullptr);
  list->SetPageTitle(doc.Title());
  converter.ConvertPage(doc.body_outerHtml());
  ASSERT_EQ(doc.links_length(), 2);
  ASSERT_EQ(list->LinkCount, 2) << "the conversion finds the document's links, no more";
  EXPECT_EQ(list->Link(1).Address, "NEXT.HTM");
  EXPECT_EQ(list->Link(2).Address, "REAL.HTM");
  for (int32_t i = 1; i <= list->UnitCount; ++i) {
    const std::string& text = list->Unit(i).Text;
    EXPECT_EQ(text.find_first_of("<>"), std::string::npos) << "unit " << i << ": " << text;
    EXPECT_EQ(text.find("FALS"), std::string::npos) << "unit " << i << ": " << text;
  }
}

TEST_F(WebEngineBrowserTest, WordsOnTwoLinesOrInTwoBlocksStayApart) {
  const std::string path = Write("blocks.htm",
                                 "<html><body><h2>Com es fa servir</h2>"
                                 "<p>Les tecles\nprincipals.</p><ul><li>U</li>"
                                 "<li>Dos</li></ul><pre>a\nb</pre></body></html>");
  ASSERT_TRUE(Load(path));
  const std::string& body = browser->Document().body_outerHtml();
  // Each block, and each line of preformatted text, ends with the
  // conversion's own sentence end; a block's with the end of a paragraph
  // before it. A heading and a list are noted before them.
  const std::string end = "\u2029.<br>";
  EXPECT_NE(body.find("<img src=\"(S)1\"><h2>Com es fa servir</h2>" + end +
                      "<p>Les tecles principals.</p>" + end),
            std::string::npos)
      << body;
  EXPECT_NE(body.find("<img src=\"(S)2\"><ul><li>U</li>" + end + "<li>Dos</li>" + end + "</ul>"),
            std::string::npos)
      << body;
  EXPECT_NE(body.find("<pre>a.<br>b</pre>" + end), std::string::npos) << body;
}

TEST_F(WebEngineBrowserTest, APageCannotForgeTheComponentsEvents) {
  const std::string path = Write("forge.htm", R"(<html><body><p>Hola</p><script>
for (var p of ['\x01sonavia:', '\x01sonavia-:']) {
  console.log(p + 'focus:file:///forged.htm');
  console.log(p + 'frame-complete');
}
</script></body></html>)");
  ASSERT_TRUE(Load(path));
  Pump(300);
  for (const auto& line : log) EXPECT_EQ(line.find("forged"), std::string::npos) << line;
  EXPECT_EQ(std::count(log.begin(), log.end(), "DocumentComplete busy=1"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "DocumentComplete busy=0"), 1);
}

// Which completion comes when is the completion order's rule; this checks
// that the engine's reports reach it: every frame's, nested ones too, and
// then the top document's.
TEST_F(WebEngineBrowserTest, EachFrameCompletesAndThenTheTopDocument) {
  Write("f1.htm", "<html><body><p>u</p></body></html>");
  Write("f2.htm", "<html><body><p>dos</p><iframe src='f1.htm'></iframe></body></html>");
  const std::string path = Write("nested.htm", R"(<html><body><p>fora</p>
<iframe src="f1.htm"></iframe><iframe src="f2.htm"></iframe></body></html>)");
  ASSERT_TRUE(Load(path));
  Pump(300);
  std::vector<std::string> completions;
  for (const auto& line : log) {
    if (line.rfind("DocumentComplete", 0) == 0) completions.push_back(line);
  }
  EXPECT_EQ(completions,
            (std::vector<std::string>{"DocumentComplete busy=1", "DocumentComplete busy=1",
                                      "DocumentComplete busy=1", "DocumentComplete busy=0"}));
}

TEST_F(WebEngineBrowserTest, EveryMoveOntoALinkIsReportedTheOneThePointerIsOnToo) {
  const std::string path = Write("hover.htm", R"(<html><body style="margin:40px">
<p><a id="one" href="u.htm" style="font-size:40px">UNA</a></p></body></html>)");
  ASSERT_TRUE(Load(path));
  const std::string expected = "StatusTextChange(file://" + dir.path().toStdString() + "/u.htm)";
  const QVariantList rect = Eval(
                                "var r = document.getElementById('one').getBoundingClientRect(); "
                                "[r.x + r.width / 2, r.y + r.height / 2]")
                                .toList();
  ASSERT_EQ(rect.size(), 2);
  QWidget* target = browser->View()->focusProxy();
  const QPointF point(rect[0].toDouble(), rect[1].toDouble());
  QMouseEvent move(QEvent::MouseMove, point, browser->View()->mapToGlobal(point), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &move);
  ASSERT_TRUE(WaitFor([&] { return std::count(log.begin(), log.end(), expected) == 1; }, 5000));
  // Focus events fire only in a page whose window is active.
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 5000));
  browser->View()->setFocus();
  Pump(100);
  SendSynthesizedKey(Qt::Key_Tab, target);
  EXPECT_TRUE(WaitFor([&] { return std::count(log.begin(), log.end(), expected) == 2; }, 5000))
      << "the Tab onto the pointed link is reported as well: " << ::testing::PrintToString(log);
}

}  // namespace
}  // namespace sonavia::qt
