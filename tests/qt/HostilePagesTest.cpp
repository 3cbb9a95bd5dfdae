// Hostile page shapes served from 127.0.0.1 to the whole program, with
// what the user hears and the longest time the window kept their keys.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "qt/LocalServer.h"
#include "qt/RealProgram.h"
#include "qt/Stalls.h"
#include "support/ProcessMemory.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::LocalServer;
using testing::RealProgram;
using testing::Stalls;

const char* const kStart =
    "<html><head><title>Inici</title></head><body><p>Benvinguts.</p></body></html>";

QByteArray Page(const char* title, const QByteArray& body) {
  return QByteArray("<html><head><title>") + title + "</title></head><body>" + body +
         "</body></html>";
}

// The times the window took no input from the user, and the documents that
// completed, frames apart.
class Watch {
 public:
  explicit Watch(RealProgram& p)
      : p_(p),
        refresh_(p.form->OnStateChanged),
        complete_(p.window.Browser().events.DocumentComplete) {
    clock_.start();
    p.form->OnStateChanged = [this, refresh = refresh_] {
      const bool blocked = !p_.form->Enabled();
      if (blocked && since_ < 0) since_ = clock_.elapsed();
      if (!blocked && since_ >= 0) {
        blocks_.push_back(clock_.elapsed() - since_);
        since_ = -1;
      }
      if (refresh) refresh();
    };
    p.window.Browser().events.DocumentComplete = [this, complete = complete_] {
      if (p_.window.Browser().Busy()) ++frames_;
      if (complete) complete();
    };
  }
  // The program outlives the watch: its own handlers come back.
  ~Watch() {
    p_.form->OnStateChanged = refresh_;
    p_.window.Browser().events.DocumentComplete = complete_;
  }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  qint64 Longest() const {
    qint64 longest = since_ >= 0 ? clock_.elapsed() - since_ : 0;
    for (qint64 b : blocks_) longest = std::max(longest, b);
    return longest;
  }
  size_t Blocks() const { return blocks_.size() + (since_ >= 0 ? 1 : 0); }
  int Frames() const { return frames_; }

 private:
  RealProgram& p_;
  std::function<void()> refresh_, complete_;
  QElapsedTimer clock_;
  qint64 since_ = -1;
  std::vector<qint64> blocks_;
  int frames_ = 0;
};

size_t Count(const std::vector<std::string>& texts, size_t from, const std::string& text) {
  return static_cast<size_t>(std::count(
      texts.begin() + static_cast<long>(std::min(from, texts.size())), texts.end(), text));
}

LocalServer::Routes FramePages() {
  return [](const QString& path, LocalServer::Reply& reply) {
    if (path == QStringLiteral("/quaranta")) {
      QByteArray frames;
      for (int i = 0; i < 40; ++i)
        frames += "<iframe src='/marc?" + QByteArray::number(i) + "'></iframe>";
      // The picture holds the page back until its frames have all completed.
      reply.body = Page("Quaranta", "<p>Quaranta marcs.</p>" + frames + "<img src='/lenta.png'>");
    } else if (path.startsWith(QStringLiteral("/marc"))) {
      reply.body = Page("Marc", "<p>Un marc.</p>");
      reply.delayMs = 50;
    } else if (path == QStringLiteral("/lenta.png")) {
      reply.body = "no";
      reply.type = "image/png";
      reply.delayMs = 4000;
    } else if (path == QStringLiteral("/sempre")) {
      // Each frame that completes adds the next, before the page can.
      reply.body = Page("Sempre",
                        "<p>Marcs sense fi.</p><script>var n = 0; function add() {"
                        " var f = document.createElement('iframe');"
                        " f.src = '/marc-lent?' + (n++); f.onload = add;"
                        " document.body.appendChild(f); } add();</script>");
    } else if (path.startsWith(QStringLiteral("/marc-lent"))) {
      reply.body = Page("Marc", "<p>Un altre marc.</p>");
      reply.delayMs = 150;
    } else if (path == QStringLiteral("/plana")) {
      reply.body = Page("Plana", "<p>Una plana tranquil·la.</p>");
    } else {
      return false;
    }
    return true;
  };
}

TEST(HostilePages, FortyFramesBeforeThePageGiveOneAnnouncementAndOneReading) {
  LocalServer server(FramePages());
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));  // the start page read to its end
  Watch watch(p);
  const size_t from = p.Said().size();
  p.form->GoToAddress(server.Address("/quaranta"));
  ASSERT_TRUE(p.WaitToSay("quaranta marcs", from, 40000))
      << ::testing::PrintToString(p.SaidTexts());
  Pump(1000);
  const auto texts = p.SaidTexts();
  // The page is read once its own text has settled: frames still loading
  // then do not hold it back, and none completes after it.
  EXPECT_LE(watch.Frames(), 40) << "frames completed before the page";
  EXPECT_EQ(Count(texts, from, "pàgina carregada"), 1u) << ::testing::PrintToString(texts);
  EXPECT_EQ(Count(texts, from, "títol"), 1u) << ::testing::PrintToString(texts);
  EXPECT_EQ(watch.Blocks(), 1u);
  EXPECT_LE(watch.Longest(), 2700);
  std::printf(
      "[ figures ] 40 early frames: %d frame completions, %zu announcement(s), "
      "keys blocked %zu time(s), longest %lld ms\n",
      watch.Frames(), Count(texts, from, "pàgina carregada"), watch.Blocks(),
      static_cast<long long>(watch.Longest()));
}

TEST(HostilePages, FramesAddedForeverAreLeftWithF8) {
  LocalServer server(FramePages());
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));  // the start page read to its end
  Watch watch(p);
  const size_t from = p.Said().size();
  p.form->GoToAddress(server.Address("/sempre"));
  Pump(12000);
  const int frames = watch.Frames();
  EXPECT_GE(frames, 10) << "frames keep completing";
  const auto texts = p.SaidTexts();
  EXPECT_LE(Count(texts, from, "pàgina carregada"), 1u) << ::testing::PrintToString(texts);
  const qint64 longestOnThePage = watch.Longest();
  const size_t blocksOnThePage = watch.Blocks();
  EXPECT_LE(blocksOnThePage, 1u);
  EXPECT_LE(longestOnThePage, 2700);

  // F8, a new address and Return, as the user types them.
  auto* box = p.window.findChild<QComboBox*>(QStringLiteral("cboAddress"));
  ASSERT_NE(box, nullptr);
  const size_t before = p.Said().size();
  p.Key(Qt::Key_F8);
  ASSERT_TRUE(WaitFor([&] { return box->lineEdit()->hasFocus(); }, 5000)) << "F8";
  box->lineEdit()->selectAll();
  QTest::keyClicks(box->lineEdit(), QString::fromStdString(server.Address("/plana")));
  Pump(500);  // frames keep completing while the user types
  ASSERT_TRUE(box->lineEdit()->hasFocus()) << "the keyboard stays in the box";
  p.Key(Qt::Key_Return);
  EXPECT_TRUE(p.Loaded("Plana"));
  EXPECT_TRUE(p.WaitToSay("una plana tranquil", before, 30000))
      << ::testing::PrintToString(p.SaidTexts());
  EXPECT_LE(watch.Longest(), 2700);
  std::printf(
      "[ figures ] frames added forever: %d frame completions in 12 s, %zu "
      "announcement(s), keys blocked %zu time(s) (longest %lld ms) on it; F8 and a new "
      "address left it, keys blocked at most %lld ms in all\n",
      frames, Count(texts, from, "pàgina carregada"), blocksOnThePage,
      static_cast<long long>(longestOnThePage), static_cast<long long>(watch.Longest()));
}

TEST(HostilePages, AHugeTitleAndAHugeLinkAddressAreCutAndTheWindowAnswers) {
  QByteArray title;
  while (title.size() < (5 << 20)) title += "paraula ";
  const QByteArray address = "/desti?" + QByteArray(100 << 10, 'a');
  LocalServer server([&](const QString& path, LocalServer::Reply& reply) {
    if (path != QStringLiteral("/gran")) return false;
    reply.body = "<html><head><title>" + title +
                 "</title></head><body style='font-size:40px'><p>Text de la plana.</p>"
                 "<p><a id='llarg' href='" +
                 address +
                 "'>Enllaç llarg</a></p>"
                 "<p>Final de la plana.</p></body></html>";
    return true;
  });
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));
  const size_t memoryBefore = sonavia::testing::ResidentBytes();
  Stalls stalls;
  const size_t from = p.Said().size();
  p.form->GoToAddress(server.Address("/gran"));
  ASSERT_TRUE(p.WaitToSay("text de la plana", from, 60000))
      << ::testing::PrintToString(p.SaidTexts());
  const size_t memoryAfter = sonavia::testing::ResidentBytes();
  const auto texts = p.SaidTexts();
  const auto spoken = std::find(texts.begin() + static_cast<long>(from), texts.end(), "títol");
  ASSERT_NE(spoken, texts.end());
  ASSERT_NE(spoken + 1, texts.end());
  EXPECT_LE((spoken + 1)->size(), 250u) << "the spoken title";
  EXPECT_EQ((spoken + 1)->rfind("paraula paraula", 0), 0u);
  const QString caption = p.window.windowTitle();
  EXPECT_LE(caption.size(), 10 + 250 + 1);
  EXPECT_TRUE(caption.endsWith(QChar(0x2026))) << "an ellipsis marks the cut";

  // The pointer onto the long link: the reading moves there, the status
  // bar shows the address's beginning.
  QVariantList r =
      p.Eval(QStringLiteral("var r = document.getElementById('llarg')"
                            ".getBoundingClientRect(); [r.x + 10, r.y + r.height / 2]"))
          .toList();
  ASSERT_EQ(r.size(), 2);
  QWidget* page = p.window.Browser().View()->focusProxy();
  const QPoint at(r[0].toInt(), r[1].toInt());
  const size_t beforePointing = p.Said().size();
  QTest::mouseMove(page, at);
  QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(page->mapToGlobal(at)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(page, &move);
  EXPECT_TRUE(p.WaitToSay("enllaç llarg", beforePointing, 20000))
      << ::testing::PrintToString(p.SaidTexts());
  auto* status = p.window.findChild<QLabel*>(QStringLiteral("StatusBar1"));
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->text().startsWith(QString::fromLatin1(server.Address("/desti?aaa").c_str())))
      << status->text().left(80).toStdString();
  EXPECT_LE(status->text().size(), 301);
  Pump(1000);
  EXPECT_LT(stalls.Longest(), 1500);
  std::printf(
      "[ figures ] 5 MB title, 100 KB link: main thread stalled at most %lld ms; resident "
      "memory %+lld MB while it loaded; caption %lld characters, spoken title %zu, status "
      "bar %lld\n",
      static_cast<long long>(stalls.Longest()),
      (static_cast<long long>(memoryAfter) - static_cast<long long>(memoryBefore)) >> 20,
      static_cast<long long>(caption.size()), (spoken + 1)->size(),
      static_cast<long long>(status->text().size()));
}

bool FailureWindowShown() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->windowTitle() == QStringLiteral("Navegador web")) return true;
  }
  return false;
}

const char* const kEnded =
    "la pàgina ha deixat de funcionar; premeu refrescar per tornar-la a carregar.";

TEST(HostilePages, APageProcessThatDiesIsToldTheReadingStopsAndRefrescarLoadsItAgain) {
  std::string body = "<p>Primera frase.";
  for (int i = 0; i < 40; ++i) body += " Una altra frase.";
  body += "</p>";
  LocalServer server([&](const QString& path, LocalServer::Reply& reply) {
    if (path != QStringLiteral("/llarga")) return false;
    reply.body = Page("Llarga", QByteArray::fromStdString(body));
    return true;
  });
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));
  p.form->GoToAddress(server.Address("/llarga"));
  ASSERT_TRUE(p.WaitToSay("primera frase", 0, 30000)) << ::testing::PrintToString(p.SaidTexts());
  const size_t from = p.Said().size();
  const qint64 pid = p.window.Browser().View()->page()->renderProcessPid();
  ASSERT_GT(pid, 0);
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
  ASSERT_TRUE(p.WaitToSay(kEnded, from, 10000)) << ::testing::PrintToString(p.SaidTexts());
  Pump(3000);
  auto texts = p.SaidTexts();
  const auto told = std::find(texts.begin() + static_cast<long>(from), texts.end(), kEnded);
  ASSERT_NE(told, texts.end());
  EXPECT_EQ(told + 1, texts.end()) << "the reading stopped: " << ::testing::PrintToString(texts);
  EXPECT_FALSE(FailureWindowShown());
  EXPECT_TRUE(p.form->Enabled());

  const size_t before = p.Said().size();
  p.Key(Qt::Key_R, Qt::ControlModifier);  // "Refrescar"
  EXPECT_TRUE(p.WaitToSay("primera frase", before, 30000))
      << ::testing::PrintToString(p.SaidTexts());
  texts = p.SaidTexts();
  EXPECT_EQ(Count(texts, before, "títol"), 1u);
}

// The engine either gives up on such a page or keeps its process busy with
// it; either way the user hears so, and Anterior goes back.
TEST(HostilePages, APageNestedAHundredThousandDeepIsToldAndLeftWithAnterior) {
  LocalServer server([](const QString& path, LocalServer::Reply& reply) {
    if (path != QStringLiteral("/fonda")) return false;
    reply.body = Page("Fonda",
                      "<p>Abans.</p><script>var e = document.body;"
                      " for (var i = 0; i < 100000; i++) {"
                      " var d = document.createElement('div'); e.appendChild(d); e = d; }"
                      " e.textContent = 'al fons';</script>");
    return true;
  });
  RealProgram p(kStart);
  ASSERT_TRUE(p.WaitToSay("benvinguts"));
  const size_t from = p.Said().size();
  bool failureShown = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout,
                   [&] { failureShown = failureShown || FailureWindowShown(); });
  watch.start(20);
  p.form->GoToAddress(server.Address("/fonda"));
  EXPECT_TRUE(WaitFor(
      [&] { return p.HasSaid(kEnded, from) || p.HasSaid("la pàgina no respon", from); }, 30000))
      << ::testing::PrintToString(p.SaidTexts());
  Pump(2000);
  const auto texts = p.SaidTexts();
  EXPECT_FALSE(p.HasSaid("no puc trobar aquest lloc", from)) << ::testing::PrintToString(texts);
  EXPECT_EQ(Count(texts, from, "pàgina carregada"), 0u);
  EXPECT_FALSE(failureShown);
  EXPECT_TRUE(p.form->Enabled());
  const size_t before = p.Said().size();
  p.Key(Qt::Key_F9);  // "Anterior"
  EXPECT_TRUE(p.WaitToSay("benvinguts", before, 20000)) << ::testing::PrintToString(p.SaidTexts());
}

}  // namespace
}  // namespace sonavia::qt
