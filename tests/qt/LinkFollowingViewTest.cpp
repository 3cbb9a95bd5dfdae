// Links as the real web writes them, against the real engine: pages served
// from 127.0.0.1 (and local files), each link clicked for real and then
// followed by the program in each of its ways; both must reach the same
// address.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "qt/LinkAddress.h"
#include "qt/LocalServer.h"
#include "qt/ProgramParts.h"
#include "qt/QtText.h"
#include "qt/QtWait.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

// Blanks and the characters that show as themselves are decoded, in any
// script; every other escape stays, and the text makes the same address again when the program
// navigates to it.
TEST(LinkAddressText, OneReadableFormThatMakesTheSameAddressAgain) {
  struct Case {
    const char* address;  // as the engine spells it
    const char* text;     // UTF-8
  } const cases[] = {
      {"http://h.cat/d/p%C3%A0gina.htm", "http://h.cat/d/p\u00e0gina.htm"},
      {"http://h.cat/d/p\u00e0gina.htm", "http://h.cat/d/p\u00e0gina.htm"},
      {"http://h.cat/a%20b.htm?c%20d#e%20f", "http://h.cat/a b.htm?c d#e f"},
      {"http://h.cat/a b.htm", "http://h.cat/a b.htm"},
      {"http://h.cat/%E2%82%AC", "http://h.cat/\u20ac"},
      {"http://h.cat/%CE%B1%CE%B8.htm", "http://h.cat/\u03b1\u03b8.htm"},
      {"http://h.cat/p%E0gina.htm", "http://h.cat/p%E0gina.htm"},
      {"http://h.cat/%C2%A0x%C2%ADy", "http://h.cat/%C2%A0x%C2%ADy"},
      {"http://h.cat/%C2%81", "http://h.cat/%C2%81"},
      {"http://h.cat/a%2Fb%25c%23d%3Fe", "http://h.cat/a%2Fb%25c%23d%3Fe"},
      {"http://h.cat/a%22b%3Cc%3E", "http://h.cat/a%22b%3Cc%3E"},
      {"http://h.cat/%F0%9F%98%80", "http://h.cat/\U0001F600"},
      {"http://h.cat/a%E2%80%8Bb", "http://h.cat/a%E2%80%8Bb"},
      {"http://h.cat/%C3", "http://h.cat/%C3"},
      {"http://caf\u00e9.cat/x", "http://xn--caf-dma.cat/x"},
      {"file:///tmp/a%23b/c%3Fd%20e.htm", "file:///tmp/a%23b/c%3Fd e.htm"},
      {"HTTP://H.CAT/Dir/Ajuda.htm", "http://h.cat/Dir/Ajuda.htm"},
      {"", ""},
  };
  for (const auto& c : cases) {
    const QString address = QString::fromUtf8(c.address);
    const QString text = LinkAddressText(address);
    EXPECT_EQ(text.toStdString(), c.text) << c.address;
    if (address.isEmpty()) continue;
    const std::string core = ToCore(text);
    EXPECT_EQ(FromCore(core), text) << c.address << ": the core keeps it whole";
    EXPECT_EQ(QUrl::fromUserInput(FromCore(core)).toEncoded(), QUrl(address).toEncoded())
        << c.address;
  }
}

// A link as the page writes it; `id` and the text are the test's.
struct Row {
  const char* name;
  std::string href;
};

class LinkFollowingView : public ::testing::Test {
 protected:
  void SetUp() override {
    parts.Write("index.htm", Page("Inici", {}));
    parts.Start();
    window.setGeometry(0, 0, 1100, 700);
    window.show();
    ASSERT_TRUE(parts.Activate());
  }
  void TearDown() override { form->Speech.FreeSpeechEngine(); }

  static std::string Page(const std::string& title, const std::vector<Row>& rows,
                          const std::string& head = "") {
    std::string html = "<html><head><meta charset=\"utf-8\"><title>" + title + "</title>" + head +
                       "</head><body style=\"margin:10px;font-size:16px\"><p>Frase.</p>";
    for (size_t i = 0; i < rows.size(); ++i) {
      html += "<p><a id=\"l" + std::to_string(i + 1) + "\" href=\"" + rows[i].href +
              "\">Enlla\u00e7 " + std::to_string(i + 1) + "</a></p>";
    }
    return html + "<p id=\"Seccio\">Secci\u00f3.</p></body></html>";
  }

  std::string Url() { return window.Browser().LocationURL(); }
  // Loads `address` and waits until its `links` links are read. Another
  // document comes first when only the fragment would change, which loads
  // nothing.
  bool Open(const std::string& address, int32_t links) {
    const auto document = [](const std::string& a) {
      return QUrl(QString::fromStdString(a)).adjusted(QUrl::RemoveFragment);
    };
    if (document(Url()) == document(address) && !Open(server.Address("/Buida.htm"), 0)) {
      return false;
    }
    parts.list->LinkCount = -1;
    form->GoToAddress(address);
    return WaitFor([&] { return parts.list->LinkCount == links && form->HoverSpeechArmed; });
  }
  // Where the page went after `action`, as the address shows it.
  std::string Leave(const std::function<void()>& action) {
    const std::string from = Url();
    action();
    WaitFor([&] { return Url() != from; }, 10000);
    Pump(50);
    return Url();
  }
  QPoint LinkPoint(int k) {
    QVariant value;
    bool done = false;
    window.Browser().View()->page()->runJavaScript(
        QStringLiteral("var r = document.getElementById('l%1').getBoundingClientRect();"
                       "[r.x + r.width / 2, r.y + r.height / 2]")
            .arg(k),
        [&](const QVariant& v) {
          value = v;
          done = true;
        });
    WaitFor([&] { return done; }, 10000);
    const QVariantList r = value.toList();
    if (r.size() != 2) return {};
    const QPoint inView(static_cast<int>(r[0].toDouble()), static_cast<int>(r[1].toDouble()));
    return window.Browser().View()->mapTo(&window, inView);
  }
  QString ActiveId() {
    QVariant value;
    bool done = false;
    window.Browser().View()->page()->runJavaScript(QStringLiteral("document.activeElement.id"),
                                                   [&](const QVariant& v) {
                                                     value = v;
                                                     done = true;
                                                   });
    WaitFor([&] { return done; }, 10000);
    return value.toString();
  }
  // The pointer where no link is, in the page's corner, long enough for the
  // engine to see it leave the link it was on.
  void PointerAway() {
    QTest::mouseMove(window.windowHandle(),
                     window.Browser().View()->mapTo(&window, QPoint(1000, 500)));
    Pump(250);
  }

  // Each link of the page at `address` clicked, then followed by the
  // program with F2, Enter on it pointed, Enter on it focused and "Al link".
  void EveryWayGoesWhereTheClickGoes(const std::string& address, const std::vector<Row>& rows) {
    const auto n = static_cast<int32_t>(rows.size());
    for (int k = 1; k <= n; ++k) {
      SCOPED_TRACE(rows[static_cast<size_t>(k) - 1].name);
      ASSERT_TRUE(Open(address, n));
      PointerAway();
      const QPoint point = LinkPoint(k);
      const std::string click = Leave(
          [&] { QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, point); });
      ASSERT_NE(click, address) << "the click went somewhere";

      ASSERT_TRUE(Open(address, n));
      parts.list->LinkCursor = k;
      // F2's handler: without speech its menu item is disabled.
      EXPECT_EQ(Leave([&] { form->mnuAnarALinkClick(); }), click) << "F2";

      ASSERT_TRUE(Open(address, n));
      PointerAway();
      QTest::mouseMove(window.windowHandle(), point);
      EXPECT_TRUE(WaitFor([&] { return form->SpeedButtonAlLink.Enabled(); }, 5000)) << "pointed";
      EXPECT_EQ(Leave([&] { QTest::keyClick(window.windowHandle(), Qt::Key_Return); }), click)
          << "Enter on the pointed link";

      ASSERT_TRUE(Open(address, n));
      PointerAway();
      QTest::mouseMove(window.windowHandle(), point);
      EXPECT_TRUE(WaitFor([&] { return form->SpeedButtonAlLink.Enabled(); }, 5000)) << "pointed";
      EXPECT_EQ(Leave([&] { form->SpeedButtonAlLink.Click(); }), click) << "Al link";

      ASSERT_TRUE(Open(address, n));
      PointerAway();
      const QString id = QStringLiteral("l%1").arg(k);
      for (int tab = 0; tab < k + 2 && ActiveId() != id; ++tab) {
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
        Pump(50);
      }
      ASSERT_EQ(ActiveId(), id);
      EXPECT_TRUE(WaitFor([&] { return form->SpeedButtonAlLink.Enabled(); }, 5000)) << "focused";
      // The program's Enter alone: the page's own would follow the focused
      // link as well.
      EXPECT_EQ(Leave([&] { form->ApplicationEvents1Message(0x0D); }), click)
          << "Enter on the focused link";
    }
  }

  testing::LocalServer server;
  testing::NoLibrary noLibrary;
  testing::ProgramParts parts{noLibrary};
  std::unique_ptr<shell::TFormPrincipal>& form = parts.form;
  MainWindowView& window = parts.window;
};

TEST_F(LinkFollowingView, AWebPageReachedWithAQueryAndAFragment) {
  const std::string port = std::to_string(server.Port());
  const std::vector<Row> rows = {
      {"capitals", "Ajuda.htm"},
      {"from the root", "/Wiki/Main_Page"},
      {"up a folder", "../Amunt/Pag.htm"},
      {"this folder", "./Aqui.htm"},
      {"a query", "?q=Cerca"},
      {"a fragment", "#Seccio"},
      {"a host", "//127.0.0.1:" + port + "/Cami/X.htm"},
      {"absolute", "HTTP://127.0.0.1:" + port + "/Abs/Y.htm"},
  };
  server.Page("/Dir/Index.htm", Page("Enlla\u00e7os", rows));
  EveryWayGoesWhereTheClickGoes(server.Address("/Dir/Index.htm?x=1#top"), rows);
  // The page's own addresses, its folder found past the query.
  ASSERT_TRUE(Open(server.Address("/Dir/Index.htm?x=1/2#top"), static_cast<int32_t>(rows.size())));
  EXPECT_EQ(parts.list->PageAddress, server.Address("/Dir/Index.htm?x=1/2#top"));
  EXPECT_EQ(parts.list->BaseAddress, server.Address("/Dir/"));
}

TEST_F(LinkFollowingView, AccentsBlanksAndEscapes) {
  const std::vector<Row> rows = {
      {"percent-encoded", "p%C3%A0gina.htm"},
      {"accented", "p\u00e0gina2.htm"},
      {"blanks", "amb espai.htm"},
      {"an escape of another charset", "p%E0gina3.htm"},
      {"letters beyond Windows-1252", "%CE%B1%CE%B8.htm"},
  };
  server.Page("/Dir/P%C3%A0gines/Index.htm", Page("Accents", rows));
  EveryWayGoesWhereTheClickGoes(server.Address("/Dir/P%C3%A0gines/Index.htm"), rows);
}

TEST_F(LinkFollowingView, APageWithABase) {
  const std::vector<Row> rows = {
      {"a name", "Fill.htm"},
      {"up a folder", "../Germa.htm"},
      {"a query", "?q=1"},
      {"a fragment", "#f"},
  };
  server.Page("/Base/Pagina.htm", Page("Base", rows, "<base href=\"/Altre/Lloc/\">"));
  EveryWayGoesWhereTheClickGoes(server.Address("/Base/Pagina.htm"), rows);
}

TEST_F(LinkFollowingView, ALocalPage) {
  parts.Write("Altra P\u00e0gina.htm", Page("Altra", {}));
  QDir(parts.dir.path()).mkdir(QStringLiteral("Sub"));
  parts.Write("Sub/Fill.htm", Page("Fill", {}));
  const std::vector<Row> rows = {
      {"accents and a blank", "Altra P\u00e0gina.htm"},
      {"a folder down", "Sub/Fill.htm"},
      {"the web", server.Address("/Web.htm")},
  };
  parts.Write("local.htm", Page("Local", rows));
  const QUrl local = QUrl::fromLocalFile(parts.dir.filePath(QStringLiteral("local.htm")));
  EveryWayGoesWhereTheClickGoes(local.toString().toStdString(), rows);
}

TEST_F(LinkFollowingView, AWebPagesLinkToALocalFileIsRefusedAsTheEngineRefusesItsClick) {
  parts.Write("secret.htm", Page("Secret", {}));
  const std::string secret = QUrl::fromLocalFile(parts.dir.filePath(QStringLiteral("secret.htm")))
                                 .toString()
                                 .toStdString();
  const std::vector<Row> rows = {{"a file", secret}, {"view-source", "view-source:" + secret}};
  server.Page("/Hostil.htm", Page("Hostil", rows));
  const std::string page = server.Address("/Hostil.htm");
  const auto n = static_cast<int32_t>(rows.size());
  for (int k = 1; k <= n; ++k) {
    SCOPED_TRACE(rows[static_cast<size_t>(k) - 1].name);
    ASSERT_TRUE(Open(page, n));
    EXPECT_EQ(ActiveId(), QString()) << "no link has the focus the user did not give it";
    PointerAway();
    const QPoint point = LinkPoint(k);
    const std::string refused = "Aquest enllaç no es pot seguir.";
    parts.list->LinkCursor = k;
    form->mnuAnarALinkClick();
    EXPECT_EQ(form->StatusBar1.Text(), refused) << "F2";
    PointerAway();
    QTest::mouseMove(window.windowHandle(), point);
    ASSERT_TRUE(WaitFor([&] { return form->SpeedButtonAlLink.Enabled(); }, 5000));
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(form->StatusBar1.Text(), refused) << "Enter";
    form->StatusBar1.SetText("");
    form->SpeedButtonAlLink.Click();
    EXPECT_EQ(form->StatusBar1.Text(), refused) << "Al link";
    Pump(500);
    EXPECT_EQ(Url(), page) << "the program does not follow it";
    EXPECT_EQ(form->cboAddress.Text(), page);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
    Pump(500);
    EXPECT_EQ(Url(), page) << "nor does the engine, clicked";
  }
}

}  // namespace
}  // namespace sonavia::qt

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

// Enter on a page with links: which presses follow one.
class EnterKeyView : public LinkFollowingView {
 protected:
  void SetUp() override {
    LinkFollowingView::SetUp();
    // The watchdog would answer the windows before the user does.
    form->TimerControlSituacio->SetEnabled(false);
    server.Page("/Enter.htm", Page("Enter", {{"a link", "/Primer.htm"}}));
    page = server.Address("/Enter.htm");
    ASSERT_TRUE(Open(page, 1));
  }
  bool Followed() {
    const auto& r = server.requests;
    return std::find(r.begin(), r.end(), "GET /Primer.htm") != r.end();
  }
  // The visible top-level window with `title`.
  static QWidget* WindowTitled(const char* title) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && w->windowTitle() == FromCore(title)) return w;
    }
    return nullptr;
  }
  // Presses Return in the window titled `title` as soon as it shows: a
  // page's dialog waits for its answer in a loop of its own.
  void AnswerWithEnter(const char* title) {
    answering.setInterval(50);
    QObject::connect(&answering, &QTimer::timeout, [this, title] {
      QWidget* shown = WindowTitled(title);
      if (shown == nullptr) return;
      answering.stop();
      shown->activateWindow();
      QApplication::setActiveWindow(shown);
      QTest::keyClick(shown->windowHandle(), Qt::Key_Return);
      answered = WindowTitled(title) == nullptr;
    });
    answering.start();
  }
  std::string page;
  QTimer answering;
  bool answered = false;
};

TEST_F(EnterKeyView, EnterAnswersAPagesDialogAndDoesNothingElse) {
  server.Page("/Enter.htm", Page("Enter", {{"a link", "/Primer.htm"}},
                                 "<script>setTimeout(function () { alert('Hola'); }, 300);"
                                 "</script>"));
  AnswerWithEnter(shell::kPageDialogTitle);
  form->GoToAddress(page + "?alert");
  ASSERT_TRUE(WaitFor([&] { return answered; }, 10000)) << "the dialog took the key";
  Pump(1000);
  EXPECT_FALSE(Followed());
  EXPECT_EQ(Url(), page + "?alert");
}

TEST_F(EnterKeyView, EnterAnswersTheFailureWindowAndDoesNothingElse) {
  AnswerWithEnter(shell::kNavigationErrorTitle);
  form->GoToAddress("http://127.0.0.1:1/res.htm");  // nobody listens there
  ASSERT_TRUE(WaitFor([&] { return answered; }, 20000)) << "the window took the key";
  Pump(1000);
  EXPECT_FALSE(Followed());
}

TEST_F(EnterKeyView, OnlyThePlainKeyFollowsALink) {
  ASSERT_TRUE(parts.Activate());
  for (const auto modifiers :
       {Qt::AltModifier, Qt::ControlModifier, Qt::ShiftModifier, Qt::MetaModifier}) {
    QTest::keyClick(window.windowHandle(), Qt::Key_Return, modifiers);
    QTest::keyClick(window.windowHandle(), Qt::Key_Enter, modifiers | Qt::KeypadModifier);
  }
  Pump(1000);
  EXPECT_FALSE(Followed());
  EXPECT_EQ(Url(), page);
  EXPECT_EQ(
      Leave([&] { QTest::keyClick(window.windowHandle(), Qt::Key_Enter, Qt::KeypadModifier); }),
      server.Address("/Primer.htm"))
      << "the keypad's Enter is Enter";
}

}  // namespace
}  // namespace sonavia::qt
