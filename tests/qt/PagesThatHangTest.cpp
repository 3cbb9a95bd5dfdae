// Pages that hold the reading back or stop answering, served from
// 127.0.0.1 to the whole program: a picture that never comes, a connection
// held open, a script that never ends, alerts in a loop, a console flood.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>

#include "platform/UnitTools.h"
#include "qt/LocalServer.h"
#include "qt/QtWindowList.h"
#include "qt/RealProgram.h"
#include "qt/Stalls.h"
#include "support/ProcessMemory.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::LocalServer;
using testing::RealProgram;

const char* const kStart =
    "<html><head><title>Inici</title></head><body><p>Benvinguts.</p></body></html>";
const char* const kNotResponding = "pàgina no respon";
const char* const kLoaded = "pàgina carregada";

QByteArray Page(const char* title, const QByteArray& body) {
  return QByteArray("<html><head><title>") + title + "</title></head><body>" + body +
         "</body></html>";
}

// As a window manager does once a dialog has closed: the main window is
// active again, unless a dialog is.
void ActivateIfNone(RealProgram& p) {
  if (QApplication::activeWindow() == nullptr) p.Activate();
}

// Serves `first` at /p on the first request and a quiet page afterwards;
// /never.png sends its headers and never its end.
LocalServer::Routes FirstThenQuiet(QByteArray first, bool holdOpen = false) {
  auto served = std::make_shared<int>(0);
  return [=](const QString& path, LocalServer::Reply& reply) {
    if (path == QStringLiteral("/never.png")) {
      reply.type = "image/png";
      reply.holdOpen = true;
      return true;
    }
    if (path != QStringLiteral("/p")) return false;
    reply.holdOpen = holdOpen && *served == 0;
    reply.body = (*served)++ == 0 ? first : Page("Tranquil\xc2\xb7la", "<p>Ara tranquil.</p>");
    return true;
  };
}

TEST(PagesThatHang, APageIsReadOnceItsTextIsThereWhateverStillLoads) {
  const struct {
    const char* name;
    QByteArray html;
    bool holdOpen;
  } cases[] = {
      {"a picture that never comes",
       Page("Foto", "<p>Primera frase.</p><img src='/never.png' alt='mai'><p>Segona.</p>"), false},
      // The end of the body never comes either.
      {"a connection held open",
       "<html><head><title>Oberta</title></head><body><p>Primera frase.</p><p>Segona.</p>", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LocalServer server(FirstThenQuiet(c.html, c.holdOpen));
    RealProgram p(kStart);
    ASSERT_TRUE(p.WaitToSay("benvinguts"));
    const size_t from = p.Said().size();
    QElapsedTimer clock;
    clock.start();
    p.form->GoToAddress(server.Address("/p"));
    ASSERT_TRUE(p.WaitToSay(kLoaded, from, 10000)) << ::testing::PrintToString(p.SaidTexts());
    // Said whole within a second and a half, at the rate the tests read.
    EXPECT_LT(clock.elapsed(), 3000 + 1500);
    ASSERT_TRUE(p.WaitToSay("primera frase", from, 15000))
        << ::testing::PrintToString(p.SaidTexts());
    Pump(3000);
    const auto texts = p.SaidTexts();
    EXPECT_EQ(std::count_if(texts.begin() + static_cast<long>(from), texts.end(),
                            [](const std::string& t) { return t.find(kLoaded) != t.npos; }),
              1);
  }
}

TEST(PagesThatHang, AScriptThatNeverEndsIsToldAndRefrescarLoadsThePageAgain) {
  LocalServer server(FirstThenQuiet(
      Page("Bucle",
           "<p>Abans del bucle.</p><script>setTimeout(function () { for (;;) {} }, 3000);"
           "</script>")));
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));
  const size_t from = p.Said().size();
  p.form->GoToAddress(server.Address("/p"));
  ASSERT_TRUE(p.WaitToSay("abans del bucle", from, 15000))
      << ::testing::PrintToString(p.SaidTexts());
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(p.WaitToSay(kNotResponding, from, 15000)) << ::testing::PrintToString(p.SaidTexts());
  EXPECT_NE(p.form->StatusBar1.Text().find("La pàgina no respon"), std::string::npos);
  const size_t before = p.Said().size();
  p.Key(Qt::Key_R, Qt::ControlModifier);  // "Refrescar"
  EXPECT_TRUE(p.WaitToSay("ara tranquil", before, 20000))
      << ::testing::PrintToString(p.SaidTexts());
  EXPECT_FALSE(p.HasSaid("ha deixat de funcionar", before)) << "no failure to tell";
}

TEST(PagesThatHang, AlertsInALoopLeaveRefrescarAndANewAddressWorking) {
  const QByteArray alerts = Page("Alertes",
                                 "<p>Abans de les alertes.</p><script>setTimeout(function () {"
                                 " for (;;) alert('hola'); }, 3000);</script>");
  const auto quiet = FirstThenQuiet(alerts);
  LocalServer server([&](const QString& path, LocalServer::Reply& reply) {
    if (path != QStringLiteral("/sempre")) return quiet(path, reply);
    reply.body = alerts;
    return true;
  });
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));
  const size_t from = p.Said().size();
  p.form->GoToAddress(server.Address("/p"));
  ASSERT_TRUE(p.WaitToSay("abans de les alertes", from, 15000));
  Pump(8000);
  const int requests = server.Requests();
  ActivateIfNone(p);
  p.Key(Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return server.Requests() > requests; }, 10000)) << "reloaded";
  ASSERT_TRUE(p.WaitToSay("ara tranquil", from, 20000)) << ::testing::PrintToString(p.SaidTexts());

  // The alerts again, left for an address typed in the address box.
  p.form->GoToAddress(server.Address("/sempre"));
  ASSERT_TRUE(p.WaitToSay("abans de les alertes", from, 15000));
  Pump(8000);
  auto* box = p.window.findChild<QComboBox*>(QStringLiteral("cboAddress"))->lineEdit();
  p.Activate();
  box->setFocus(Qt::MouseFocusReason);
  box->selectAll();
  QTest::keyClicks(box, QString::fromStdString(server.Address("/p")));
  const int before = server.Requests();
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_TRUE(WaitFor([&] { return server.Requests() > before; }, 10000)) << "the address went";
}

TEST(PagesThatHang, AConsoleFloodKeepsTheProgramsOwnWorkBounded) {
  LocalServer server(
      FirstThenQuiet(Page("Soroll",
                          "<p>Una frase.</p><script>function f() { for (var i = 0; i < 2000; i++)"
                          " console.log('soroll ' + i); setTimeout(f, 0); } setTimeout(f, 0);"
                          "</script>")));
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));
  p.form->GoToAddress(server.Address("/p"));
  ASSERT_TRUE(p.WaitToSay("una frase", 0, 20000)) << ::testing::PrintToString(p.SaidTexts());
  const size_t resident = sonavia::testing::ResidentBytes();
  rusage before{}, after{};
  getrusage(RUSAGE_THREAD, &before);
  QElapsedTimer clock;
  clock.start();
  testing::Stalls stalls;
  Pump(5000);
  getrusage(RUSAGE_THREAD, &after);
  const auto micros = [](const rusage& r) {
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000000LL + r.ru_utime.tv_usec +
           r.ru_stime.tv_usec;
  };
  const double busy = static_cast<double>(micros(after) - micros(before)) / 1000.0 /
                      static_cast<double>(clock.elapsed());
  EXPECT_LT(busy, 0.25) << "the main thread's share";
  EXPECT_LT(stalls.Longest(), 250);
  EXPECT_LT(sonavia::testing::ResidentBytes(), resident + 30u * 1024 * 1024);
}

TEST(PagesThatHang, APageTitledLikeTheDialUpWindowIsNoDialUpWindow) {
  RealProgram p(
      kStart, {{"ajuda.htm",
                Page("Ayuda: Conexi\xc3\xb3n de acceso telef\xc3\xb3nico a redes", "<p>Ajuda.</p>")
                    .toStdString()}});
  ASSERT_TRUE(p.WaitToSay("benvinguts"));
  const size_t from = p.Said().size();
  p.form->GoToAddress(p.Address("ajuda.htm"));
  ASSERT_TRUE(p.WaitToSay("ajuda", from, 15000)) << ::testing::PrintToString(p.SaidTexts());
  QtWindowList windows;
  EXPECT_FALSE(platform::FindWindowByTitle(windows, shell::kDialUpTitle, "").has_value());
  Pump(3000);
  EXPECT_FALSE(p.HasSaid("no estem conectats", from)) << ::testing::PrintToString(p.SaidTexts());
}

}  // namespace
}  // namespace sonavia::qt
