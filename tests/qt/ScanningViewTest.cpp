// Switch scanning in the real window: the real pointer, the real toolbar,
// presses and right clicks delivered as the window system delivers them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWebEnginePage>
#include <memory>

#include "about/AboutBox.h"
#include "qt/AboutBoxView.h"
#include "qt/MainWindowView.h"
#include "qt/ProgramParts.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtWait.h"
#include "qt/QtWindowList.h"
#include "reading/ReadingList.h"
#include "system/DlLibraryLoader.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::NoLibrary;

const char* const kButtons[] = {
    "SpeedButtonAnterior",   "SpeedButtonSeguent", "SpeedButtonPararCarrega",
    "SpeedButtonRecarregar", "SpeedButtonRePag",   "SpeedButtonAvPag",
    "SpeedButtonTab",        "SpeedButtonAlLink",  "SpeedButtonParlar"};

// The program as its entry builds it, on a long start page, with the pointer
// parked away from the toolbar.
struct Program : testing::ProgramParts {
  explicit Program(platform::LibraryLoader& loader) : ProgramParts(loader) {
    Write("index.htm",
          "<html><head><title>Llarga</title></head>"
          "<body><p>Inici.</p><div style='height:8000px'></div><p>Final.</p></body></html>");
    Start();
    window.setGeometry(0, 0, 1100, 700);
    window.show();
    QCursor::setPos(600, 650);
    EXPECT_TRUE(WaitFor([&] { return window.ButtonToolBar()->isVisible(); }));
    // The start page loaded and announced: the window takes input again.
    EXPECT_TRUE(WaitFor([&] { return form->HoverSpeechArmed && form->Enabled(); }));
    // Silence: the reading's pauses dispatch events inside the timer handler,
    // out of the reach of the checks below.
    form->mnuParlar.SetChecked(false);
    form->SpeedButtonParlar.SetCaption("Parlar");
    form->Sequencer.StartReadingAt(0);
  }
  ~Program() {
    // Scanning stops with the window; its timers must not outlive the test.
    form->TimerEscaneig->SetEnabled(false);
    form->TimerParo->SetEnabled(false);
    form->Speech.FreeSpeechEngine();
  }

  QToolButton* Button(int index) {
    return window.findChild<QToolButton*>(QString::fromLatin1(kButtons[index]));
  }
  // Whether the real pointer stands 20 pixels inside the button's left
  // edge, within it.
  bool PointerOn(int index) {
    QToolButton* button = Button(index);
    const QPoint local = button->mapFromGlobal(QCursor::pos());
    return button->isVisible() && local.x() == 20 && button->rect().contains(local);
  }
  QWidget* FramedButton() {
    QWidget* frame = window.findChild<QWidget*>(QStringLiteral("ScanFrame"));
    return frame != nullptr && frame->isVisible() ? frame->parentWidget() : nullptr;
  }
  // The switch: a press and release of `button` where the real pointer is,
  // through the window system's path. Returns what it landed on.
  QString Press(Qt::MouseButton button = Qt::LeftButton) { return PressAt(QCursor::pos(), button); }
  QString PressAt(QPoint global, Qt::MouseButton button) {
    QWidget* target = QApplication::widgetAt(global);
    const QString name = target != nullptr ? target->objectName() : QStringLiteral("(none)");
    QTest::mouseClick(window.windowHandle(), button, Qt::NoModifier, window.mapFromGlobal(global));
    Pump(50);
    return name;
  }
  bool Scanning() { return form->mnuEscaneig.Checked(); }
  bool Holding() { return form->TimerParo->Enabled(); }
};

TEST(ScanningView, CtrlF2WalksTheRealPointerOverTheNineButtonsWithTheFrame) {
  system::DlLibraryLoader loader;
  Program p(loader);
  p.form->TextDecimesScan.SetText("4");
  ASSERT_TRUE(p.Activate());
  QTest::keyClick(&p.window, Qt::Key_F2, Qt::ControlModifier);
  ASSERT_TRUE(p.Scanning()) << "Ctrl+F2 starts the scan";
  EXPECT_EQ(p.FramedButton(), nullptr);

  // Each button in turn, the frame on it; then the first again.
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 0}) {
    SCOPED_TRACE(kButtons[i]);
    ASSERT_TRUE(WaitFor([&] { return p.PointerOn(i); }, 3000));
    EXPECT_EQ(QApplication::widgetAt(QCursor::pos()), p.Button(i));
    EXPECT_TRUE(WaitFor([&] { return p.FramedButton() == p.Button(i); }, 300));
  }
  QTest::keyClick(&p.window, Qt::Key_F2, Qt::ControlModifier);
  EXPECT_FALSE(p.Scanning());
  EXPECT_EQ(p.FramedButton(), nullptr);
}

TEST(ScanningView, APressOnAvPagScrollsThePageAndHoldsThePointer) {
  NoLibrary loader;
  Program p(loader);
  ASSERT_TRUE(WaitFor([&] {
    try {
      return p.window.Browser().Document().Title() == "Llarga";
    } catch (const shell::BrowserError&) {
      return false;
    }
  }));
  p.form->FocusPage();
  QWebEnginePage* page = p.window.Browser().View()->page();
  p.form->TextDecimesScan.SetText("8");
  p.form->TextTimerParo.SetText("20");
  p.form->ScanPosition = 4;  // the next step lands on Av pag
  p.form->mnuEscaneig.Click();
  ASSERT_TRUE(WaitFor([&] { return p.PointerOn(5); }, 3000));
  QElapsedTimer held;
  held.start();
  EXPECT_EQ(p.Press().toStdString(), "SpeedButtonAvPag");
  EXPECT_TRUE(p.Holding());
  ASSERT_TRUE(WaitFor([&] { return page->scrollPosition().y() > 0; }, 5000)) << "scrolled down";
  const qreal first = page->scrollPosition().y();

  // Pressed again during the pause: the page scrolls again, the pointer
  // stays, with its frame.
  Pump(static_cast<int>(std::max<qint64>(0, 900 - held.elapsed())));
  EXPECT_TRUE(p.PointerOn(5));
  EXPECT_EQ(p.Press().toStdString(), "SpeedButtonAvPag");
  EXPECT_TRUE(WaitFor([&] { return page->scrollPosition().y() > first; }, 5000));
  EXPECT_TRUE(p.PointerOn(5));
  EXPECT_EQ(p.FramedButton(), p.Button(5));

  // The pause ends 2 s after the first press; a step later, "Tab".
  ASSERT_TRUE(WaitFor([&] { return p.PointerOn(6); }, 5000));
  EXPECT_GE(held.elapsed(), 2000 + 800 - 100);
  EXPECT_FALSE(p.Holding());
}

TEST(ScanningView, APressOnADisabledButtonReachesTheToolbarAndRightClicksToggle) {
  NoLibrary loader;
  Program p(loader);
  p.form->SpeedButtonTab.SetEnabled(false);  // a page without links
  p.form->TextDecimesScan.SetText("8");
  p.form->ScanPosition = 5;  // the next step lands on "Tab"
  p.form->mnuEscaneig.Click();
  ASSERT_TRUE(WaitFor([&] { return p.PointerOn(6); }, 3000));
  ASSERT_FALSE(p.Button(6)->isEnabled());
  EXPECT_EQ(p.Press().toStdString(), "SpeedButtonTab");
  EXPECT_TRUE(p.Holding()) << "the press on the disabled button holds";

  // Right clicks anywhere on the toolbar, disabled buttons included,
  // switch the scan off and on and show no menu.
  const QPoint bare = p.Button(7)->mapToGlobal(QPoint(62 + 113 + 100, 30));
  const struct {
    const char* where;
    QPoint point;
  } rightClicks[] = {
      {"the disabled Tab", QCursor::pos()},
      {"the bare toolbar", bare},
      {"Anterior", p.Button(0)->mapToGlobal(QPoint(30, 30))},
      {"the logo", p.window.findChild<QWidget*>("ImageQuelva2000")->mapToGlobal(QPoint(50, 30))}};
  bool on = true;
  for (const auto& click : rightClicks) {
    SCOPED_TRACE(click.where);
    p.PressAt(click.point, Qt::RightButton);
    on = !on;
    EXPECT_EQ(p.Scanning(), on);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  }

  // A left click on the bare toolbar holds only on the later buttons.
  for (int index : {2, 4}) {
    SCOPED_TRACE(index);
    p.form->TimerParo->SetEnabled(false);
    p.form->TimerEscaneig->SetEnabled(true);
    p.form->ScanPosition = index;
    // The row the buttons stand on, bare there.
    EXPECT_EQ(p.PressAt(bare, Qt::LeftButton).toStdString(), "FilaBotons");
    EXPECT_EQ(p.Holding(), index > 3);
  }
}

TEST(ScanningView, AnEditLeftWithAValueOutOfRangeFallsBackAndThePageGetsTheKeyboard) {
  NoLibrary loader;
  Program p(loader);
  QWidget* page = p.window.Browser().View()->focusProxy();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(p.Activate());
  const struct {
    const char* edit;
    const char* typed;
    const char* after;
  } cases[] = {{"TextDecimesScan", "0", "15"},
               {"TextTimerParo", "101", "30"},
               {"TextDecimesScan", "pas", "15"},
               {"TextTimerParo", "45", "45"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.edit << " \"" << c.typed << '"');
    auto* edit = p.window.findChild<QLineEdit*>(QString::fromLatin1(c.edit));
    p.PressAt(edit->mapToGlobal(edit->rect().center()), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return edit->hasFocus(); }, 3000));
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(c.typed));
    EXPECT_EQ(edit->text().toStdString(), c.typed) << "kept while typed";
    // Left with the focus going nowhere: the check hands it to the page.
    edit->clearFocus();
    EXPECT_TRUE(WaitFor([&] { return edit->text() == QLatin1String(c.after); }, 3000));
    EXPECT_EQ(QApplication::focusWidget(), page);
  }
  EXPECT_EQ(p.form->TextDecimesScan.Text(), "15");
  EXPECT_EQ(p.form->TextTimerParo.Text(), "45");
}

TEST(ScanningView, ALongPressOpensTheSecondCycleWhosePlacesThePointerWalksAndPresses) {
  NoLibrary loader;
  Program p(loader);
  p.form->TextDecimesScan.SetText("8");
  p.form->Presses.SetLongPressOpens(true);
  p.form->mnuEscaneig.Click();
  ASSERT_TRUE(WaitFor([&] { return p.PointerOn(1); }, 3000));
  // Held for a second (the long press at 800 ms, a step, is at least one
  // second): the places show after the buttons, the logo gone.
  const QPoint at = p.window.mapFromGlobal(QCursor::pos());
  QTest::mousePress(p.window.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
  Pump(1150);
  QTest::mouseRelease(p.window.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
  Pump(50);
  ASSERT_TRUE(p.form->Scan.InSecondCycle());
  EXPECT_FALSE(p.window.findChild<QWidget*>("ImageQuelva2000")->isVisible());
  EXPECT_EQ(p.Button(1)->isDown(), false);
  // Without the speech library: the page's elements, typing, the
  // favourites, the next frame, the page's sound and scanning off, in the
  // stead of the buttons.
  auto* frame = p.window.findChild<QToolButton*>("SpeedButtonEscMarc");
  auto* off = p.window.findChild<QToolButton*>("SpeedButtonEscAturar");
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(off, nullptr);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_TRUE(off->isVisible());
  EXPECT_FALSE(p.window.findChild<QToolButton*>("SpeedButtonEscLinks")->isVisible());
  EXPECT_FALSE(p.Button(0)->isVisible());
  auto* first = p.window.findChild<QToolButton*>("SpeedButtonEscElements");
  EXPECT_EQ(first->mapTo(&p.window, QPoint(0, 0)).x(), 0) << "from the toolbar's left edge";
  EXPECT_EQ(frame->mapTo(&p.window, QPoint(0, 0)).x(), 4 * 62);
  EXPECT_EQ(off->mapTo(&p.window, QPoint()).x() - frame->mapTo(&p.window, QPoint()).x(), 2 * 62);
  EXPECT_TRUE(p.window.findChild<QToolButton*>("SpeedButtonEscSo")->isVisible());
  auto on = [&](QWidget* w) {
    const QPoint local = w->mapFromGlobal(QCursor::pos());
    return local.x() == 20 && w->rect().contains(local);
  };
  ASSERT_TRUE(WaitFor([&] { return on(off); }, 8000)) << "the pointer comes to its last place";
  EXPECT_TRUE(WaitFor([&] { return p.FramedButton() == off; }, 300));
  EXPECT_EQ(p.Press().toStdString(), "SpeedButtonEscAturar");
  EXPECT_FALSE(p.Scanning()) << "scanning off with the switch alone";
  EXPECT_FALSE(off->isVisible());
  EXPECT_TRUE(p.window.findChild<QWidget*>("ImageQuelva2000")->isVisible());
}

}  // namespace
}  // namespace sonavia::qt
