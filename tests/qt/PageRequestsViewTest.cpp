// Through the real engine: a page's permission requests refused at once
// and told, its colour picker told and left not modal, its file chooser
// only after the user's press, its media lowered and paused, and a local
// page's scripts kept from every other local file.
#include <QColorDialog>
#include <QTest>
#include <QTimer>
#include <QWebEngineSettings>

#include "BrowserFixture.h"
#include "qt/PageWindows.h"

namespace sonavia::qt::testing {
namespace {

class PageRequestsView : public BrowserFixture {
 protected:
  std::vector<shell::PageAsk> asks;
  std::vector<shell::PageWindowKind> windows;

  void SetUp() override {
    BrowserFixture::SetUp();
    browser->events.PermissionRefused = [this](shell::PageAsk ask) { asks.push_back(ask); };
    browser->events.PageWindowOpened = [this](shell::PageWindowKind k) { windows.push_back(k); };
  }
  void TearDown() override {
    browser->CloseDialogs();
    BrowserFixture::TearDown();
  }
  // Runs `script` in the page's own world and waits for the string it
  // leaves in window.result.
  QString PageResult(const QString& script) {
    Eval(script);
    QString result;
    WaitFor(
        [&] {
          result = Eval(QStringLiteral("window.result || ''")).toString();
          return !result.isEmpty();
        },
        10000);
    return result;
  }
};

TEST_F(PageRequestsView, PermissionRequestsAreRefusedAtOnceAndTold) {
  struct Case {
    const char* script;
    shell::PageAsk ask;
  } const cases[] = {
      {"navigator.geolocation.getCurrentPosition(() => window.result = 'given', "
       "e => window.result = 'refused ' + e.code);",
       shell::PageAsk::Location},
      {"Notification.requestPermission().then(p => window.result = p);",
       shell::PageAsk::Notifications},
  };
  // Requests need a secure page: a local file is one.
  ASSERT_TRUE(Load(Write("ask.htm", "<title>Demana</title><p>Hola</p>")));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    asks.clear();
    Eval(QStringLiteral("window.result = '';"));
    const QString result = PageResult(QString::fromLatin1(c.script));
    EXPECT_TRUE(result == QStringLiteral("refused 1") || result == QStringLiteral("denied"))
        << result.toStdString();
    EXPECT_EQ(asks, std::vector<shell::PageAsk>{c.ask});
  }
}

TEST_F(PageRequestsView, AColourPickerIsToldAndLeavesTheWindowUsable) {
  ASSERT_TRUE(Load(Write("colour.htm", "<input id=c type=color>")));
  Eval(QStringLiteral("document.getElementById('c').focus()"));
  QWidget* proxy = browser->View()->focusProxy();
  ASSERT_NE(proxy, nullptr);
  proxy->setFocus();
  QTest::keyClick(proxy, Qt::Key_Space);
  QPointer<QColorDialog> picker;
  ASSERT_TRUE(WaitFor([&] {
    picker = browser->View()->findChild<QColorDialog*>();
    return picker != nullptr && picker->isVisible();
  }));
  EXPECT_EQ(windows, std::vector<shell::PageWindowKind>{shell::PageWindowKind::Colour});
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the main window stays usable";
  // A program key pressed in it runs the window's command.
  int ran = 0;
  auto* f3 = new QAction(&window);
  f3->setShortcut(QKeySequence(Qt::Key_F3));
  window.addAction(f3);
  QObject::connect(f3, &QAction::triggered, [&ran] { ++ran; });
  QTest::keyClick(picker.data(), Qt::Key_F3);
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(picker->isVisible());
  // Leaving the page closes it.
  ASSERT_TRUE(Load(Write("other.htm", "<p>Una altra</p>")));
  EXPECT_TRUE(WaitFor([&] { return picker == nullptr || !picker->isVisible(); }));
}

TEST_F(PageRequestsView, TheFileChooserOpensOnlyAfterTheUsersPress) {
  ASSERT_TRUE(Load(Write("file.htm", "<input id=f type=file>")));
  // No press: the page's own click opens nothing (a chooser that opened
  // anyway is closed after two seconds, and told).
  bool leftOpen = false;
  QTimer watch;
  watch.setSingleShot(true);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    leftOpen = browser->Windows().Open() > 0;
    browser->Windows().CloseAll();
  });
  watch.start(2000);
  const QStringList none = browser->Windows().ChooseFiles(QWebEnginePage::FileSelectOpen, {}, {});
  watch.stop();
  EXPECT_FALSE(leftOpen);
  EXPECT_TRUE(none.isEmpty());
  EXPECT_EQ(browser->Windows().Open(), 0);
  EXPECT_TRUE(windows.empty());
  // The user's key in the page: it opens, is told, and leaving the page
  // closes it with nothing chosen.
  QWidget* proxy = browser->View()->focusProxy();
  proxy->setFocus();
  QTest::keyClick(proxy, Qt::Key_Shift);
  QTimer::singleShot(500, [this] { browser->Navigate(Write("away.htm", "<p>Fora</p>")); });
  const QStringList chosen = browser->Windows().ChooseFiles(QWebEnginePage::FileSelectOpen, {}, {});
  EXPECT_TRUE(chosen.isEmpty());
  EXPECT_EQ(windows, std::vector<shell::PageWindowKind>{shell::PageWindowKind::File});
  EXPECT_EQ(browser->Windows().Open(), 0);
}

TEST_F(PageRequestsView, AudioIsLoweredUnderTheSpeechAndPausedWithTheReading) {
  // A second of silence as an 8 kHz, 8-bit WAV file, played in a loop.
  Write("so.wav", QByteArray::fromHex("52494646641f000057415645666d74201000000001000100401f0000401f"
                                      "00000100080064617461401f0000") +
                      QByteArray(8000, char(128)));
  browser->View()->page()->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture,
                                                    false);
  ASSERT_TRUE(Load(Write("media.htm", "<audio id=a src='so.wav' loop></audio>")));
  Eval(QStringLiteral("var a = document.getElementById('a'); a.volume = 0.8; a.play();"));
  ASSERT_TRUE(WaitFor([&] { return !Eval(QStringLiteral("a.paused")).toBool(); }));
  auto volume = [&] { return Eval(QStringLiteral("a.volume")).toDouble(); };
  browser->SetPageSoundUnder(true);
  EXPECT_TRUE(WaitFor([&] { return qAbs(volume() - 0.2) < 0.01; })) << volume();
  browser->SetPageSoundUnder(false);
  EXPECT_TRUE(WaitFor([&] { return qAbs(volume() - 0.8) < 0.01; })) << volume();
  browser->PausePageMedia(true);
  EXPECT_TRUE(WaitFor([&] { return Eval(QStringLiteral("a.paused")).toBool(); }));
  browser->PausePageMedia(false);
  EXPECT_TRUE(WaitFor([&] { return !Eval(QStringLiteral("a.paused")).toBool(); }));
  browser->MutePage(true);
  EXPECT_TRUE(browser->View()->page()->isAudioMuted());
  browser->MutePage(false);
}

TEST_F(PageRequestsView, ALocalPagesScriptsReachNoOtherLocalFileAndItsOwnFolderStillShows) {
  Write("secret/paraula.txt", "secret");
  Write("pagina/dins.txt", "dins");
  Write("pagina/.ssh/clau", "clau");
  const QByteArray picture = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'/>";
  Write("pagina/foto.svg", picture);
  Write("fora.svg", picture);
  QFile::link(dir.filePath(QStringLiteral("fora.svg")),
              dir.filePath(QStringLiteral("pagina/enllac.svg")));
  ASSERT_TRUE(Load(Write("pagina/index.htm",
                         "<img id=in src='foto.svg'><img id=out src='../fora.svg'>"
                         "<img id=linked src='enllac.svg'><iframe id=f src='dins.txt'></iframe>")));
  // What the page's script gets from `address`: its text, or "refused".
  auto fetch = [](const char* address) {
    return QStringLiteral(
               "fetch('%1').then(r => r.text()).then(t => window.result = t, () => "
               "window.result = 'refused');")
        .arg(QLatin1String(address));
  };
  struct Case {
    QString what, script, expected;
  } const cases[] = {
      {QStringLiteral("fetch of another file"), fetch("../secret/paraula.txt"),
       QStringLiteral("refused")},
      {QStringLiteral("fetch of /etc/passwd"), fetch("file:///etc/passwd"),
       QStringLiteral("refused")},
      {QStringLiteral("fetch of a file beside it"), fetch("dins.txt"), QStringLiteral("refused")},
      {QStringLiteral("XMLHttpRequest"),
       QStringLiteral("var x = new XMLHttpRequest(); x.onload = () => window.result = "
                      "x.responseText; x.onerror = () => window.result = 'refused'; "
                      "try { x.open('GET', 'file:///etc/passwd'); x.send(); } catch (e) { "
                      "window.result = 'refused'; }"),
       QStringLiteral("refused")},
      {QStringLiteral("a hidden file of its folder in a frame"),
       QStringLiteral("var h = document.createElement('iframe'); h.src = '.ssh/clau'; h.onload = "
                      "() => { try { window.result = h.contentDocument.body.textContent || "
                      "'nothing'; } catch (e) { window.result = 'refused'; } }; "
                      "document.body.appendChild(h);"),
       QStringLiteral("refused")},
      {QStringLiteral("its own frame"),
       QStringLiteral(
           "window.result = document.getElementById('f').contentDocument.body.textContent"),
       QStringLiteral("dins")},
      {QStringLiteral("pictures"),
       QStringLiteral("setTimeout(() => window.result = ['in', 'out', 'linked'].map(i => "
                      "document.getElementById(i).naturalWidth).join(','), 500);"),
       QStringLiteral("40,0,0")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what.toStdString());
    Eval(QStringLiteral("window.result = '';"));
    EXPECT_EQ(PageResult(c.script).toStdString(), c.expected.toStdString());
  }
}

}  // namespace
}  // namespace sonavia::qt::testing
