// The program reading real pages aloud, driven as a user drives it: keys
// and clicks through the window system, speech recorded by the library.
#include <gtest/gtest.h>

#include <algorithm>

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include "qt/RealProgram.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::RealProgram;

const char* const kPage = R"(<html><head><title>Prova</title></head>
<body style="margin:30px; font-size:30px">
<p>Primera frase. Segona frase.</p>
<p><img src="no.png" alt="un gat"></p>
<p><a id="one" href="una.htm">Enlla&ccedil; u</a> i <a id="two" href="dues.htm">Enlla&ccedil; dos</a>.</p>
<div style="height:3000px"></div><p>Final.</p>
</body></html>)";

const char* const kOther =
    "<html><head><title>Una</title></head><body><p>Pagina u.</p></body></html>";

QPoint CentreOf(RealProgram& p, const char* id) {
  const QVariantList r =
      p.Eval(QStringLiteral("var r = document.getElementById('%1').getBoundingClientRect(); "
                            "[r.x + r.width / 2, r.y + r.height / 2]")
                 .arg(QString::fromLatin1(id)))
          .toList();
  if (r.size() != 2) return {};
  return QPoint(static_cast<int>(r[0].toDouble()), static_cast<int>(r[1].toDouble()));
}

TEST(ReadingAloud, APageIsAnnouncedThenReadInOrderWithItsVoices) {
  RealProgram p(kPage);
  ASSERT_TRUE(p.WaitToSay("final", 0, 60000));
  const auto said = p.Said();
  std::vector<std::string> texts;
  for (const auto& u : said) texts.push_back(u.text);
  const std::vector<std::string> expected = {
      "pàgina carregada", "títol", "prova",    "primera frase", "segona frase", "imatge",
      "un gat",           "link",  "enllaç u", "link",          "enllaç dos",   "final."};
  ASSERT_GE(texts.size(), expected.size()) << ::testing::PrintToString(texts);
  size_t at = 0;
  for (const auto& text : texts) {
    if (at < expected.size() && text.find(expected[at]) != std::string::npos) ++at;
  }
  EXPECT_EQ(at, expected.size()) << ::testing::PrintToString(texts);
  for (const auto& u : said) {
    const bool item = u.text == "pàgina carregada" || u.text == "prova" ||
                      u.text.rfind("imatge", 0) == 0 || u.text == "link";
    const bool text = u.text.find("frase") != std::string::npos;
    if (item) {
      EXPECT_EQ(u.speaker, 2) << u.text;
    }
    if (text) {
      EXPECT_EQ(u.speaker, 0) << u.text;
    }
  }
}

TEST(ReadingAloud, WhileThePageIsAnnouncedTheWindowTakesNoInputAndThePageKeepsTheKeyboard) {
  RealProgram p(kPage);
  ASSERT_TRUE(p.Loaded("Prova"));
  // The announcement's wait runs inside the page's completion: what the user
  // does meanwhile is done from a timer, which runs inside it too.
  QWidget* page = p.window.Browser().View()->focusProxy();
  QToolButton* speech = p.window.Button(&p.form->SpeedButtonParlar);
  bool tried = false, focusKept = false, speechKept = false;
  QTimer user;
  user.setInterval(50);
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (tried || p.form->Enabled()) return;
    tried = true;
    p.Click(speech->mapTo(&p.window, speech->rect().center()));
    p.Key(Qt::Key_F3);
    speechKept = p.form->mnuParlar.Checked();
    focusKept = QApplication::focusWidget() == page;
  });
  user.start();
  p.form->GoToAddress(p.Address("index.htm"));
  ASSERT_TRUE(WaitFor([&] { return tried; }, 10000)) << "the announcement";
  EXPECT_TRUE(speechKept) << "neither the click nor F3 came through";
  EXPECT_TRUE(focusKept);
  ASSERT_TRUE(WaitFor([&] { return p.form->Enabled(); }, 5000));
  // The key was kept, and its command runs now; the click was not.
  EXPECT_TRUE(WaitFor([&] { return !p.form->mnuParlar.Checked(); }, 2000)) << "F3 kept";
  p.Key(Qt::Key_F3);
  EXPECT_TRUE(p.form->mnuParlar.Checked()) << "F3 works again afterwards";
}

TEST(ReadingAloud, PointingOrTabbingOntoALinkMovesTheReadingThere) {
  RealProgram p(kPage);
  ASSERT_TRUE(p.Loaded("Prova"));
  ASSERT_TRUE(p.WaitToSay("prova"));
  // The pointer onto the second link.
  const QPoint two = CentreOf(p, "two");
  ASSERT_FALSE(two.isNull());
  QWidget* page = p.window.Browser().View()->focusProxy();
  size_t from = p.Said().size();
  QTest::mouseMove(page, two);
  QMouseEvent move(QEvent::MouseMove, QPointF(two), QPointF(page->mapToGlobal(two)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(page, &move);
  ASSERT_TRUE(p.WaitToSay("enllaç dos", from, 15000)) << ::testing::PrintToString(p.SaidTexts());
  EXPECT_TRUE(p.form->SpeedButtonAlLink.Enabled());
  // The pointer off the links; the page read again from its start, and a
  // Tab from the top of the page onto the first link.
  QMouseEvent away(QEvent::MouseMove, QPointF(5, 5), QPointF(page->mapToGlobal(QPoint(5, 5))),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(page, &away);
  p.Eval(QStringLiteral("document.activeElement.blur(); window.scrollTo(0, 0);"));
  from = p.Said().size();
  p.Key(Qt::Key_F3, Qt::ControlModifier);
  ASSERT_TRUE(p.WaitToSay("primera frase", from, 15000));
  from = p.Said().size();
  const int64_t tab = QDateTime::currentMSecsSinceEpoch();
  p.Key(Qt::Key_Tab);
  ASSERT_TRUE(p.WaitToSay("enllaç u", from, 15000)) << ::testing::PrintToString(p.SaidTexts());
  // A sentence the reading began before the Tab reached the window (on a
  // busy machine) is no failure to jump: the first one after it is the link.
  const auto said = p.Said();
  size_t after = from;
  while (after < said.size() && said[after].start < tab) ++after;
  ASSERT_LT(after, said.size());
  EXPECT_EQ(said[after].text.find("segona"), std::string::npos) << "the reading jumped";
}

TEST(ReadingAloud, AFailedAddressIsSpokenAndItsWindowClosed) {
  RealProgram p(kPage);
  ASSERT_TRUE(p.Loaded("Prova"));
  const size_t from = p.Said().size();
  p.form->GoToAddress(p.Address("no-existeix.htm"));
  auto failure = [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && w->windowTitle() == QStringLiteral("Navegador web")) return true;
    }
    return false;
  };
  // Watched from a timer: the window may come and go while the program
  // waits in a loop of its own, where WaitFor's check does not run.
  QElapsedTimer clock;
  clock.start();
  qint64 shownAt = -1, closedAt = -1;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    const bool open = failure();
    if (open && shownAt < 0) shownAt = clock.elapsed();
    if (!open && shownAt >= 0 && closedAt < 0) closedAt = clock.elapsed();
  });
  watch.start(10);
  ASSERT_TRUE(WaitFor([&] { return shownAt >= 0; }, 10000));
  ASSERT_TRUE(WaitFor([&] { return closedAt >= 0; }, 6000));
  EXPECT_LE(closedAt - shownAt, 4000) << "closed within 4 s";
  EXPECT_TRUE(p.WaitToSay("no puc trobar aquest lloc", from, 5000))
      << ::testing::PrintToString(p.SaidTexts());
}

TEST(ReadingAloud, APagesAlertIsSpokenAndDismissedAndItsConfirmCancelled) {
  RealProgram p(
      "<html><head><title>Dialegs</title></head><body><p>Hola.</p><script>"
      "setTimeout(function () { alert('Benvinguts a la prova');"
      " document.title = confirm('Continuar?') ? 'si' : 'no'; }, 500);"
      "</script></body></html>");
  ASSERT_TRUE(p.WaitToSay("missatge de la pàgina: benvinguts a la prova", 0, 30000))
      << ::testing::PrintToString(p.SaidTexts());
  ASSERT_TRUE(p.WaitToSay("missatge de la pàgina: continuar?", 0, 30000))
      << ::testing::PrintToString(p.SaidTexts());
  EXPECT_TRUE(WaitFor([&] { return p.Eval("document.title").toString() == "no"; }, 10000))
      << "the confirm is cancelled";
}

// The reading keys, pressed while the page holds the keyboard.
TEST(ReadingKeys, TheCommandsKeysReachThemWhileThePageHasTheKeyboard) {
  RealProgram p(kPage, {{"una.htm", kOther}});
  ASSERT_TRUE(p.Loaded("Prova"));
  ASSERT_TRUE(WaitFor([&] {
    return QApplication::focusWidget() == p.window.Browser().View()->focusProxy();
  })) << "the page has the keyboard";

  p.Key(Qt::Key_F3);
  EXPECT_FALSE(p.form->mnuParlar.Checked()) << "F3: speech off";
  p.Key(Qt::Key_F3);
  EXPECT_TRUE(p.form->mnuParlar.Checked()) << "F3: speech on";

  p.Key(Qt::Key_F4);
  EXPECT_EQ(p.list->ReadingMode, reading::ReadingMode::Links) << "F4";
  p.Key(Qt::Key_F4);
  EXPECT_EQ(p.list->ReadingMode, reading::ReadingMode::Page) << "F4 back";

  p.Key(Qt::Key_F7);
  EXPECT_TRUE(p.form->mnuCastella.Checked()) << "F7 switches once";
  EXPECT_FALSE(p.form->mnuCatala.Checked());
  p.Key(Qt::Key_F7);
  EXPECT_TRUE(p.form->mnuCatala.Checked()) << "and back";

  p.Key(Qt::Key_F3, Qt::ControlModifier);
  EXPECT_TRUE(p.form->mnuParlar.Checked()) << "Ctrl+F3";

  p.Key(Qt::Key_F2);
  EXPECT_TRUE(p.Loaded("Una")) << "F2 follows the first link";
}

TEST(ReadingKeys, EnterFollowsALinkButNotTheFirstOneTypedInTheAddressBox) {
  RealProgram p(kPage, {{"una.htm", kOther}});
  ASSERT_TRUE(p.Loaded("Prova"));
  // Enter in the address box right after it got the focus opens the address.
  auto* box = p.window.findChild<QComboBox*>(QStringLiteral("cboAddress"));
  ASSERT_NE(box, nullptr);
  p.Click(box->mapTo(&p.window, box->rect().center()));
  ASSERT_TRUE(WaitFor([&] { return box->lineEdit()->hasFocus(); }, 5000));
  EXPECT_FALSE(p.form->EnterArmed);
  box->lineEdit()->setText(QString::fromStdString(p.Address("una.htm")));
  p.form->cboAddress.SetText(p.Address("una.htm"));
  p.Key(Qt::Key_Return);
  EXPECT_TRUE(p.Loaded("Una"));
  EXPECT_TRUE(p.form->EnterArmed);
  // Back on the page with links, Enter with the page's focus follows one.
  p.form->GoToAddress(p.Address("index.htm"));
  ASSERT_TRUE(p.Loaded("Prova"));
  p.Activate();
  p.Key(Qt::Key_Return);
  EXPECT_TRUE(p.Loaded("Una"));
}

TEST(ReadingKeys, TheAboutBoxIsModalSaysSoAndEnterInItOnlyClosesIt) {
  RealProgram p(kPage, {{"una.htm", kOther}});
  ASSERT_TRUE(p.Loaded("Prova"));
  bool modal = false, clickIgnored = false;
  QTimer::singleShot(800, [&] {
    modal = QApplication::activeModalWidget() == &p.aboutView;
    // A click on the main window's speech button does nothing meanwhile.
    QToolButton* speech = p.window.Button(&p.form->SpeedButtonParlar);
    const bool before = p.form->mnuParlar.Checked();
    QTest::mouseClick(p.window.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      speech->mapTo(&p.window, speech->rect().center()));
    clickIgnored = p.form->mnuParlar.Checked() == before;
    p.aboutView.activateWindow();
    QApplication::setActiveWindow(&p.aboutView);
    QTest::keyClick(p.aboutView.windowHandle(), Qt::Key_Return);
  });
  p.form->MenuParlantDe.Click();  // returns once the box is closed
  EXPECT_TRUE(modal);
  EXPECT_TRUE(clickIgnored);
  EXPECT_FALSE(p.aboutView.isVisible());
  Pump(1500);
  EXPECT_TRUE(p.Loaded("Prova")) << "the Enter followed no link as well";
  const auto said = p.SaidTexts();
  EXPECT_NE(std::find(said.begin(), said.end(), "parlant de sonavia. retorn la tanca."),
            said.end());
}

TEST(ReadingKeys, CtrlTabThroughTheAddressBoxSaysEachStopAndLoadsNothingAfterAnterior) {
  RealProgram p(kPage, {{"una.htm", kOther}});
  ASSERT_TRUE(p.Loaded("Prova"));
  p.form->GoToAddress(p.Address("una.htm"));
  ASSERT_TRUE(p.Loaded("Una"));
  ASSERT_TRUE(p.Activate());
  // Through the box and on, on the second entry of its list, then back on
  // the first.
  for (const char* title : {"Una", "Prova"}) {
    SCOPED_TRACE(title);
    if (std::string(title) == "Prova") {
      p.Key(Qt::Key_F9);
      ASSERT_TRUE(p.Loaded("Prova"));
      EXPECT_EQ(p.form->cboAddress.Text(), p.window.Browser().LocationURL())
          << "the box shows the page come back";
    }
    p.form->FocusPage();
    p.Eval(QStringLiteral("window.stillHere = 7"));
    p.Key(Qt::Key_Tab, Qt::ControlModifier);
    p.Key(Qt::Key_Tab, Qt::ControlModifier);
    Pump(1500);
    EXPECT_EQ(p.Eval(QStringLiteral("window.stillHere")).toInt(), 7) << "not loaded again";
    EXPECT_TRUE(p.Loaded(title));
  }
  EXPECT_TRUE(WaitFor(
      [&] {
        const auto said = p.SaidTexts();
        return std::find(said.begin(), said.end(), "adreça") != said.end() &&
               std::find(said.begin(), said.end(), "velocitat de lectura") != said.end();
      },
      5000))
      << "each stop said";
}

TEST(ReadingKeys, APageKeyButtonScrollsTheRealPage) {
  RealProgram p(kPage);
  ASSERT_TRUE(p.Loaded("Prova"));
  EXPECT_EQ(p.Eval("window.scrollY").toInt(), 0);
  QToolButton* avPag = p.window.Button(&p.form->SpeedButtonAvPag);
  p.Click(avPag->mapTo(&p.window, avPag->rect().center()));
  EXPECT_TRUE(WaitFor([&] { return p.Eval("window.scrollY").toInt() > 100; }, 5000));
}

}  // namespace
}  // namespace sonavia::qt
