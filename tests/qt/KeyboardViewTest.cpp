// The window from the keyboard alone, with key presses delivered as the
// window system delivers them: Ctrl+Tab and Ctrl+Shift+Tab through every
// control in order, Space on a button, Tab left to the page, Alt and F10
// for the menus, Ctrl+plus, Ctrl+minus and Ctrl+0 for the page's zoom.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>
#include <string>
#include <vector>

#include "qt/KeyboardAccess.h"
#include "qt/ProgramParts.h"
#include "qt/QtWait.h"
#include "system/DlLibraryLoader.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

const char* const kLongPage =
    "<html><head><title>Teclat</title></head><body style='margin:40px; font-size:20px'>"
    "<p>Inici de la pàgina.</p><p><a href='dos.htm'>Un enllaç</a></p>"
    "<div style='height:6000px'></div><p>Final.</p></body></html>";

struct Program : testing::ProgramParts {
  explicit Program(platform::LibraryLoader& loader) : ProgramParts(loader) {
    Write("index.htm", kLongPage);
    Write("dos.htm", "<html><head><title>Dos</title></head><body><p>Dos.</p></body></html>");
    Start();
    window.setGeometry(0, 0, 1100, 700);
    window.show();
    EXPECT_TRUE(WaitFor([&] { return form->HoverSpeechArmed && form->Enabled(); }));
    // Silence, so that the reading's waits stay out of the checks.
    form->SpeechState.Set(false);
    form->Sequencer.StartReadingAt(0);
    EXPECT_TRUE(Activate());
  }
  ~Program() { form->Speech.FreeSpeechEngine(); }

  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window.windowHandle(), key, modifiers);
    Pump(40);
  }
  QWidget* Page() { return window.Browser().View(); }
  // What has the keyboard: an object name, or "page" for the browser.
  std::string Focused() {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) return "(none)";
    if (focus == Page() || Page()->isAncestorOf(focus)) return "page";
    while (focus != nullptr && focus->objectName().isEmpty()) focus = focus->parentWidget();
    return focus != nullptr ? focus->objectName().toStdString() : "(unnamed)";
  }
  QWidget* FramedByKeyboard() {
    QWidget* frame = window.findChild<QWidget*>(QStringLiteral("KeyboardFrame"));
    return frame != nullptr && frame->isVisible() ? frame->parentWidget() : nullptr;
  }
  double ScrollOf() { return window.Browser().View()->page()->scrollPosition().y(); }
};

TEST(KeyboardView, CtrlTabWalksEveryControlInOrderAndCtrlShiftTabWalksBack) {
  system::DlLibraryLoader loader;
  Program p(loader);
  // A page with links and none pointed at: "Tab" enabled, "Al link" not.
  p.form->SpeedButtonTab.SetEnabled(true);
  p.form->SpeedButtonAlLink.SetEnabled(false);
  p.form->FocusPage();
  ASSERT_EQ(p.Focused(), "page");
  const std::vector<std::string> order = {"cboAddress",
                                          "EditVelocitat",
                                          "TextDecimesScan",
                                          "TextTimerParo",
                                          "SpeedButtonAnterior",
                                          "SpeedButtonSeguent",
                                          "SpeedButtonPararCarrega",
                                          "SpeedButtonRecarregar",
                                          "SpeedButtonRePag",
                                          "SpeedButtonAvPag",
                                          "SpeedButtonTab",
                                          "SpeedButtonParlar",
                                          "ImageQuelva2000",
                                          "page"};
  std::vector<std::string> forward, framed;
  for (size_t i = 0; i < order.size(); ++i) {
    p.Key(Qt::Key_Tab, Qt::ControlModifier);
    forward.push_back(p.Focused());
    QWidget* frame = p.FramedByKeyboard();
    framed.push_back(frame != nullptr ? frame->objectName().toStdString() : "-");
  }
  EXPECT_EQ(forward, order);
  EXPECT_EQ(framed[4], "SpeedButtonAnterior") << "a button with the keyboard wears a frame";
  EXPECT_EQ(framed[0], "-") << "the address box shows its own";
  EXPECT_EQ(framed.back(), "-") << "and the frame goes with the keyboard";

  std::vector<std::string> back;
  for (size_t i = 0; i < order.size(); ++i) {
    p.Key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    back.push_back(p.Focused());
  }
  std::vector<std::string> reversed(order.rbegin() + 1, order.rend());
  reversed.push_back("page");
  EXPECT_EQ(back, reversed);
}

TEST(KeyboardView, TabStaysWithThePageAndSpaceOnAKeyButtonSendsItsKeyThere) {
  system::DlLibraryLoader loader;
  Program p(loader);
  p.form->FocusPage();
  for (int i = 0; i < 4; ++i) {
    p.Key(Qt::Key_Tab);
    EXPECT_EQ(p.Focused(), "page") << "Tab " << i;
  }
  p.Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(p.Focused(), "page");

  // To "Av pag" with the keyboard: the address box, three edits, four
  // buttons, "Re Pag", "Av pag".
  for (int i = 0; i < 10; ++i) p.Key(Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_EQ(p.Focused(), "SpeedButtonAvPag");
  const double before = p.ScrollOf();
  p.Key(Qt::Key_Space);
  EXPECT_TRUE(WaitFor([&] { return p.ScrollOf() > before; }, 5000)) << "the page went down";
  EXPECT_EQ(p.Focused(), "page") << "and has the keyboard again";
}

TEST(KeyboardView, LeavingAScanEditForTheNextControlChecksItAndKeepsTheKeyboard) {
  system::DlLibraryLoader loader;
  Program p(loader);
  p.form->FocusPage();
  for (int i = 0; i < 3; ++i) p.Key(Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_EQ(p.Focused(), "TextDecimesScan");
  auto* edit = p.window.findChild<QLineEdit*>(QStringLiteral("TextDecimesScan"));
  edit->selectAll();
  QTest::keyClicks(edit, QStringLiteral("0"));
  EXPECT_EQ(p.form->TextDecimesScan.Text(), "0");
  p.Key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(p.form->TextDecimesScan.Text(), "15") << "checked as it was left";
  EXPECT_EQ(p.Focused(), "TextTimerParo") << "not handed to the page";
}

TEST(KeyboardView, AltAloneAndF10OpenTheMenuBarAndAltWithALetterItsMenu) {
  system::DlLibraryLoader loader;
  Program p(loader);
  p.form->FocusPage();
  auto openMenu = [] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return menu != nullptr ? menu->title().toStdString() : std::string("(none)");
  };
  struct Case {
    const char* name;
    std::function<void()> keys;
    const char* menu;
  } const cases[] = {
      {"Alt alone", [&] { p.Key(Qt::Key_Alt, Qt::AltModifier); }, "&Control"},
      {"F10", [&] { p.Key(Qt::Key_F10); }, "&Control"},
      {"Alt+L", [&] { p.Key(Qt::Key_L, Qt::AltModifier); }, "Opcions de &lectura"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.keys();
    EXPECT_TRUE(WaitFor([&] { return openMenu() == c.menu; }, 2000)) << openMenu();
    // Escape twice: out of the menu and out of the menu bar.
    if (QWidget* popup = QApplication::activePopupWidget()) {
      QTest::keyClick(popup, Qt::Key_Escape);
      Pump(50);
    }
    QTest::keyClick(p.window.menuBar(), Qt::Key_Escape);
    Pump(50);
    ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
    p.form->FocusPage();
  }
  // Alt held while a letter the menus do not know is pressed opens nothing.
  QTest::keyPress(p.window.windowHandle(), Qt::Key_Alt, Qt::AltModifier);
  QTest::keyClick(p.window.windowHandle(), Qt::Key_Q, Qt::AltModifier);
  QTest::keyRelease(p.window.windowHandle(), Qt::Key_Alt, Qt::NoModifier);
  Pump(200);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(KeyboardView, CtrlPlusMinusAndZeroZoomThisPageAndTheNext) {
  system::DlLibraryLoader loader;
  Program p(loader);
  p.form->FocusPage();
  QWebEnginePage* page = p.window.Browser().View()->page();
  struct Step {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    double factor;
    const char* status;
  } const steps[] = {
      {Qt::Key_Plus, Qt::ControlModifier, 1.10, "Ampliaci\u00f3 110 %"},
      {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, 1.25, "Ampliaci\u00f3 125 %"},
      {Qt::Key_Minus, Qt::ControlModifier, 1.10, "Ampliaci\u00f3 110 %"},
      {Qt::Key_0, Qt::ControlModifier, 1.00, "Ampliaci\u00f3 100 %"},
      {Qt::Key_Minus, Qt::ControlModifier, 0.90, "Ampliaci\u00f3 90 %"},
      {Qt::Key_Plus, Qt::ControlModifier, 1.00, "Ampliaci\u00f3 100 %"},
      {Qt::Key_Plus, Qt::ControlModifier, 1.10, "Ampliaci\u00f3 110 %"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.status);
    p.Key(step.key, step.modifiers);
    EXPECT_NEAR(page->zoomFactor(), step.factor, 0.001);
    auto* status = p.window.findChild<QLabel*>(QStringLiteral("StatusBar1"));
    EXPECT_EQ(status->text().toStdString(), step.status);
    EXPECT_TRUE(status->isVisible());
  }
  // The next page shows at the same level, and the page itself sees it.
  p.form->GoToAddress(p.dir.filePath(QStringLiteral("dos.htm")).toStdString());
  ASSERT_TRUE(WaitFor([&] {
    try {
      return p.window.Browser().Document().Title() == "Dos";
    } catch (const shell::BrowserError&) {
      return false;
    }
  }));
  EXPECT_NEAR(page->zoomFactor(), 1.10, 0.001);
  bool done = false;
  double ratio = 0;
  page->runJavaScript(QStringLiteral("window.devicePixelRatio"), [&](const QVariant& v) {
    ratio = v.toDouble();
    done = true;
  });
  ASSERT_TRUE(WaitFor([&] { return done; }, 5000));
  EXPECT_NEAR(ratio, 1.10, 0.01);
}

}  // namespace
}  // namespace sonavia::qt
