// What only the user may do, against the real engine and hostile pages
// served from 127.0.0.1: point at a link, move the focus onto one, start
// what needs the user's gesture, reach the program's own functions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <algorithm>
#include <string>

#include "qt/LocalServer.h"
#include "qt/ProgramParts.h"
#include "qt/QtWait.h"
#include "qt/RealProgram.h"
#include "qt/WebEngineSetup.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

// A page's first link, its text, and what a hostile page adds after it.
std::string Page(const std::string& title, const std::string& extra,
                 const std::string& first = "/Primer.htm") {
  return "<html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body style=\"margin:20px;font-size:20px\">"
         "<p>Primera frase. Segona frase.</p><p><a href=\"" +
         first + "\">Primer</a></p>" + extra + "</body></html>";
}

// Links that a page puts under the pointer or the focus by itself.
const struct Hostile {
  const char* name;
  const char* extra;
} kHostile[] = {
    {"a script moves the focus onto an off-screen link",
     "<a id=\"t\" href=\"/Triat.htm\" style=\"position:absolute;left:-9999px\">Triat</a>"
     "<script>var n = 0; var i = setInterval(function () {"
     " document.getElementById('t').focus(); if (++n == 8) clearInterval(i); }, 250);</script>"},
    {"an invisible link over the whole page, under the resting pointer",
     "<script>setTimeout(function () { var a = document.createElement('a');"
     " a.href = '/Triat.htm'; a.textContent = 'Triat';"
     " a.style = 'position:fixed;left:0;top:0;width:100%;height:100%;opacity:0';"
     " document.body.appendChild(a); }, 1500);</script>"},
    {"links slide under a still pointer while the page scrolls",
     "<div style=\"height:4000px\"><p>Text.</p>"
     "<p><a href=\"/Triat.htm\" style=\"display:block;height:200px\">Triat</a></p>"
     "<p><a href=\"/Triat.htm\" style=\"display:block;height:200px\">Triat</a></p></div>"
     "<script>setTimeout(function () { var n = 0; var i = setInterval(function () {"
     " window.scrollBy(0, 40); if (++n == 40) clearInterval(i); }, 50); }, 1200);</script>"},
};

class UserIntentView : public ::testing::Test {
 protected:
  void SetUp() override {
    parts.Write("index.htm", "<html><head><title>Inici</title></head><body></body></html>");
    parts.Start();
    window.setGeometry(0, 0, 1100, 700);
    window.show();
    ASSERT_TRUE(parts.Activate());
    ASSERT_TRUE(WaitFor([&] { return form->HoverSpeechArmed; })) << "the start page";
  }
  void TearDown() override { form->Speech.FreeSpeechEngine(); }

  std::string Url() { return window.Browser().LocationURL(); }
  bool Requested(const std::string& path) {
    const auto& r = server.requests;
    return std::find(r.begin(), r.end(), "GET " + path) != r.end();
  }
  QVariant Eval(const QString& script, quint32 world = QWebEngineScript::MainWorld) {
    QVariant value;
    bool done = false;
    window.Browser().View()->page()->runJavaScript(script, world, [&](const QVariant& v) {
      value = v;
      done = true;
    });
    WaitFor([&] { return done; }, 10000);
    return value;
  }

  testing::LocalServer server;
  testing::NoLibrary noLibrary;
  testing::ProgramParts parts{noLibrary};
  std::unique_ptr<shell::TFormPrincipal>& form = parts.form;
  MainWindowView& window = parts.window;
};

TEST_F(UserIntentView, APageCannotPointOrFocusALinkForTheUser) {
  for (const auto& hostile : kHostile) {
    SCOPED_TRACE(hostile.name);
    server.requests.clear();
    server.Page("/Hostil.htm", Page("Hostil", hostile.extra));
    // The pointer comes to rest over the page, off its links, where the
    // page will put them.
    QTest::mouseMove(window.windowHandle(),
                     window.Browser().View()->mapTo(&window, QPoint(700, 300)));
    form->GoToAddress(server.Address("/Hostil.htm"));
    ASSERT_TRUE(WaitFor([&] { return Url() == server.Address("/Hostil.htm"); }));
    // Meanwhile, nothing the page does is a link pointed at or focused.
    bool pointed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      pointed = pointed || form->SpeedButtonAlLink.Enabled() ||
                form->LastStatusText.find("Triat") != std::string::npos;
    });
    watch.start(10);
    Pump(3500);
    watch.stop();
    EXPECT_FALSE(pointed);
    // Enter follows the link being read (none yet: the first), not the
    // page's choice; the page does not get the key to follow its own.
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return Url() == server.Address("/Primer.htm"); }, 10000));
    Pump(500);
    EXPECT_FALSE(Requested("/Triat.htm"));
    EXPECT_EQ(Url(), server.Address("/Primer.htm"));
  }
}

TEST_F(UserIntentView, TheUsersOwnTabOntoTheSameLinksDoesMoveThere) {
  server.Page("/Hostil.htm", Page("Hostil", kHostile[0].extra));
  parts.list->LinkCount = -1;
  form->GoToAddress(server.Address("/Hostil.htm"));
  ASSERT_TRUE(WaitFor([&] { return parts.list->LinkCount == 2; }));
  Pump(2500);  // the page has stopped moving the focus, on its last link
  QTest::keyClick(window.windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(WaitFor([&] { return form->SpeedButtonAlLink.Enabled(); }, 5000));
  EXPECT_EQ(form->LastStatusText, server.Address("/Primer.htm"));
}

TEST_F(UserIntentView, TheProgramsClickGivesThePageNoUserGesture) {
  server.Page(
      "/Finestres.htm",
      Page("Finestres",
           "<script>window.clicks = 0; document.addEventListener('mousedown', function () {"
           " window.clicks++; }, true); setTimeout(function () {"
           " window.open('data:text/html,<title>Dades</title>');"
           " window.open('/Finestra.htm'); location.href = 'data:text/html,<title>D</title>';"
           " }, 800);</script>"));
  form->GoToAddress(server.Address("/Finestres.htm"));
  ASSERT_TRUE(
      WaitFor([&] { return form->HoverSpeechArmed && Url() == server.Address("/Finestres.htm"); }));
  EXPECT_TRUE(WaitFor(
      [&] { return QApplication::focusWidget() == window.Browser().View()->focusProxy(); }, 5000))
      << "the page has the keyboard";
  Pump(2000);
  EXPECT_EQ(Url(), server.Address("/Finestres.htm")) << "no window replaced the page";
  EXPECT_FALSE(Requested("/Finestra.htm"));
  EXPECT_EQ(Eval(QStringLiteral("window.clicks")).toInt(), 0) << "the page saw no click";
  EXPECT_FALSE(Eval(QStringLiteral("navigator.userActivation.hasBeenActive")).toBool());
}

TEST_F(UserIntentView, OnlyTheProgramsWorldReachesTheGarbageCollection) {
  const QString name = QString::fromLatin1(PageCollector());
  // The page looks for it among its own globals, as its scripts begin and
  // once it has loaded.
  const std::string look =
      "function look() { return Object.getOwnPropertyNames(window).filter(function (n) {"
      " try { return typeof window[n] === 'function' && /^sonavia/i.test(n); }"
      " catch (e) { return false; } }).join(','); }"
      "window.found = look(); window.addEventListener('load', function () {"
      " window.found += look(); });";
  server.Page("/Busca.htm", Page("Busca", "<script>" + look + "</script>"));
  parts.list->LinkCount = -1;
  form->GoToAddress(server.Address("/Busca.htm"));
  ASSERT_TRUE(WaitFor([&] { return parts.list->LinkCount == 1; }));
  EXPECT_EQ(Eval(QStringLiteral("window.found")).toString(), QString());
  EXPECT_EQ(Eval(QStringLiteral("typeof window['%1']").arg(name)).toString(),
            QStringLiteral("undefined"));
  EXPECT_EQ(
      Eval(QStringLiteral("typeof window['%1']").arg(name), QWebEngineScript::ApplicationWorld)
          .toString(),
      QStringLiteral("function"))
      << "the program's own world keeps it";
  EXPECT_LE(name.size(), 30) << "the engine declares it in 50 characters";
}

// What the user hears: the page's own focus moves do not move the reading.
TEST(UserIntentHeard, AScriptsFocusDoesNotMoveTheReading) {
  testing::RealProgram p(Page("Hostil", kHostile[0].extra, "Primer.htm"),
                         {{"Primer.htm", Page("Una", "")}});
  const auto said = [&p](const char* text) {
    const auto texts = p.SaidTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  ASSERT_TRUE(WaitFor([&] { return said("primer"); }, 60000));
  const auto texts = p.SaidTexts();
  std::vector<std::string> heard;
  for (const auto& text : texts) {
    for (const char* known : {"primera frase", "segona frase", "link", "primer", "triat"}) {
      if (text.rfind(known, 0) == 0 && text.size() <= std::string(known).size() + 1)
        heard.push_back(known);
    }
    if (text == "primer") break;
  }
  EXPECT_EQ(heard, (std::vector<std::string>{"primera frase", "segona frase", "link", "primer"}))
      << ::testing::PrintToString(texts);
  EXPECT_FALSE(p.form->SpeedButtonAlLink.Enabled());
}

// The reading's mark scrolls the page to keep the unit in view: the links
// that slide under a pointer resting on it are not pointed at, and the
// reading goes on in order.
TEST(UserIntentHeard, TheMarkScrollingUnderAStillPointerDoesNotMoveTheReading) {
  std::string body;
  for (int i = 1; i <= 4; ++i) {
    const std::string n = std::to_string(i);
    body += "<p>Frase " + n + ".</p><p><a href=\"e" + n +
            ".htm\" style=\"display:block;height:400px\">Enlla\u00e7 " + n +
            "</a></p><div style=\"height:500px\"></div>";
  }
  testing::RealProgram p(
      "<html><head><meta charset=\"utf-8\"><title>Llarga</title></head>"
      "<body style=\"font-size:20px\">" +
      body + "<p>Final.</p></body></html>");
  QWidget* view = p.window.Browser().View();
  QTest::mouseMove(p.window.windowHandle(), view->mapTo(&p.window, view->rect().center()));
  ASSERT_TRUE(p.WaitToSay("final", 0, 90000));
  std::vector<std::string> heard;
  for (std::string text : p.SaidTexts()) {
    text.erase(0, text.find_first_not_of(' '));
    if (!text.empty() && text.back() == '.') text.pop_back();
    if (text.rfind("frase ", 0) == 0 || text.rfind("enllaç ", 0) == 0) heard.push_back(text);
  }
  EXPECT_EQ(heard, (std::vector<std::string>{"frase 1", "enllaç 1", "frase 2", "enllaç 2",
                                             "frase 3", "enllaç 3", "frase 4", "enllaç 4"}));
}

// Enter pressed while a page is being announced follows nothing.
TEST(UserIntentHeard, EnterDuringTheAnnouncementFollowsNothing) {
  testing::RealProgram p(Page("Prova", "", "Primer.htm"), {{"Primer.htm", Page("Una", "")}});
  ASSERT_TRUE(p.Loaded("Prova"));
  bool pressed = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (pressed || p.form->Enabled()) return;
    pressed = true;
    p.Key(Qt::Key_Return);
  });
  user.start(50);
  p.form->GoToAddress(p.Address("index.htm"));
  ASSERT_TRUE(WaitFor([&] { return pressed; }, 10000));
  ASSERT_TRUE(WaitFor([&] { return p.form->Enabled(); }, 5000));
  Pump(1000);
  EXPECT_EQ(p.window.Browser().Document().Title(), "Prova");
  p.Key(Qt::Key_Return);
  EXPECT_TRUE(p.Loaded("Una")) << "afterwards Enter follows";
}

}  // namespace
}  // namespace sonavia::qt
