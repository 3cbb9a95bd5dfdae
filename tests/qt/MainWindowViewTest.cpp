#include "qt/MainWindowView.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <map>
#include <memory>
#include <set>

#include "about/AboutBox.h"
#include "qt/AboutBoxView.h"
#include "qt/ProgramParts.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtWait.h"
#include "qt/QtWindowList.h"
#include "qt/SynthesizedInput.h"
#include "reading/ReadingList.h"
#include "system/DlLibraryLoader.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::NoDesktop;
using testing::NoLibrary;

// The whole program as the entry builds it, on a start page of its own.
struct Program : testing::ProgramParts {
  explicit Program(platform::LibraryLoader& loader) : ProgramParts(loader) {
    Write("index.htm",
          "<html><head><title>Inici</title></head><body><p>Benvinguts.</p></body></html>");
    Start();
    window.resize(1000, 700);
    window.show();
  }
  ~Program() { form->Speech.FreeSpeechEngine(); }
};

std::vector<std::string> Texts(const QList<QAction*>& actions) {
  std::vector<std::string> texts;
  for (QAction* a : actions) texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
  return texts;
}

// The toolbar button under x = index x 62 + 20, in the window's coordinates.
QString ButtonAt(MainWindowView& window, int index) {
  QToolBar* bar = window.ButtonToolBar();
  const QPoint point(index * 62 + 20, bar->geometry().top() + 31);
  QWidget* hit = window.childAt(point);
  while (hit != nullptr && qobject_cast<QToolButton*>(hit) == nullptr) hit = hit->parentWidget();
  return hit != nullptr ? hit->objectName() : QStringLiteral("(none at %1)").arg(point.x());
}

TEST(MainWindowView, OpensWithTheMenusTheToolbarAndTheStartPage) {
  system::DlLibraryLoader loader;
  Program program(loader);
  MainWindowView& window = program.window;
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Sonavia"));
  const auto bar = window.menuBar()->actions();
  ASSERT_EQ(bar.size(), 5);
  EXPECT_EQ(Texts(bar), (std::vector<std::string>{"&Control", "Opcions de &lectura", "P&referits",
                                                  "&Saltar", "&Parlant de..."}));
  EXPECT_EQ(Texts(bar[0]->menu()->actions()),
            (std::vector<std::string>{"&Obrir...",
                                      "&Imprimir...",
                                      "&Desar com...",
                                      "-",
                                      "&Anterior",
                                      "&Següent",
                                      "&Parar",
                                      "&Refrescar",
                                      "&Marc següent",
                                      "-",
                                      "Amp&liar la pàgina",
                                      "Red&uir la pàgina",
                                      "Mida &normal de la pàgina",
                                      "Silenciar la pà&gina",
                                      "-",
                                      "Es&criure directament una adeça",
                                      "-",
                                      "&Escaneig automàtic",
                                      "-",
                                      "Sor&tir"}));
  EXPECT_EQ(Texts(bar[1]->menu()->actions()),
            (std::vector<std::string>{
                "&Anar a link que s'està llegint", "-", "Desactivar la &Lectura (pausa)",
                "&Tornar a començar", "-", "Lle&gir Links", "-", "&Català", "Cast&ellà",
                "E&scaneig parlat", "&Mostrar el que es llegeix", "Lle&ngua de la pàgina",
                "&Repetir el que s'escriu", "&Deixar parlar el lector de pantalla",
                "Llegir l'art&icle"}));

  EXPECT_EQ(Texts(bar[3]->menu()->actions()),
            (std::vector<std::string>{"&Títol següent", "Tít&ol anterior", "&Paràgraf següent",
                                      "Pa&ràgraf anterior", "&Frase següent", "Fr&ase anterior"}));
  EXPECT_EQ(window.Action(&program.form->mnuTitolSeguent)->shortcut(), QKeySequence(Qt::Key_F11));
  EXPECT_EQ(window.Action(&program.form->mnuLlegirArticle)->shortcut(),
            QKeySequence(Qt::SHIFT | Qt::Key_F4));
  EXPECT_FALSE(bar[0]->menu()->actions()[2]->isVisible()) << "Desar com is hidden";
  // The favourites' commands, then the favourites: the start page first.
  const auto favourites = bar[2]->menu()->actions();
  ASSERT_GE(favourites.size(), 6);
  EXPECT_EQ(Texts(favourites.mid(0, 6)),
            (std::vector<std::string>{
                "&Afegir la pàgina als preferits", "&Canviar el nom del preferit...",
                "&Treure la pàgina dels preferits", "-", "&1 Pàgina d'inici", ""}));
  EXPECT_TRUE(favourites[4]->isVisible());
  EXPECT_FALSE(favourites[5]->isVisible());
  EXPECT_EQ(favourites[4]->shortcut(), QKeySequence(QStringLiteral("Ctrl+1")));
  EXPECT_EQ(window.Action(&program.form->mnuEndavant)->shortcut(),
            QKeySequence(QStringLiteral("Ctrl+F9")));
  EXPECT_TRUE(window.Action(&program.form->mnuParlar)->isChecked());
  EXPECT_TRUE(window.Action(&program.form->mnuMostrarLectura)->isChecked());

  ASSERT_TRUE(WaitFor([&] { return window.ButtonToolBar()->isVisible(); }));
  const char* const names[] = {
      "SpeedButtonAnterior",   "SpeedButtonSeguent", "SpeedButtonPararCarrega",
      "SpeedButtonRecarregar", "SpeedButtonRePag",   "SpeedButtonAvPag",
      "SpeedButtonTab",        "SpeedButtonAlLink",  "SpeedButtonParlar"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(ButtonAt(window, i).toStdString(), names[i]) << i;
  EXPECT_EQ(window.Button(&program.form->SpeedButtonParlar)->focusPolicy(), Qt::NoFocus);

  EXPECT_TRUE(WaitFor([&] {
    try {
      return program.window.Browser().Document().Title() == "Inici";
    } catch (const shell::BrowserError&) {
      return false;
    }
  })) << "the start page in the browser area";
  EXPECT_EQ(program.form->cboAddress.Text(),
            "file://" + program.dir.path().toStdString() + "/index.htm");
}

TEST(MainWindowView, WithoutTheSpeechLibraryEightButtonsAndNoSpeechCommands) {
  NoLibrary loader;
  Program program(loader);
  MainWindowView& window = program.window;
  ASSERT_TRUE(WaitFor([&] { return window.ButtonToolBar()->isVisible(); }));
  int visible = 0;
  for (auto* button : program.form->ToolbarButtons())
    visible += window.Button(button)->isVisible() ? 1 : 0;
  EXPECT_EQ(visible, 8);
  EXPECT_EQ(ButtonAt(window, 7).toStdString(), "SpeedButtonAlLink");
  EXPECT_NE(ButtonAt(window, 8).toStdString(), "SpeedButtonParlar");
  for (const auto* item :
       {&program.form->mnuCatala, &program.form->mnuCastella, &program.form->mnuParlar,
        &program.form->mnuTornarAComencar, &program.form->mnuCanviLlegirLinksLectures,
        &program.form->mnuAnarALink}) {
    EXPECT_FALSE(window.Action(item)->isEnabled()) << item->Name();
  }
  EXPECT_FALSE(window.Action(&program.form->mnuParlar)->isChecked());
}

TEST(MainWindowView, ShortcutsFollowTheItemsState) {
  NoLibrary loader;
  Program program(loader);
  MainWindowView& window = program.window;
  int runs = 0;
  program.form->mnuEndarrera.OnClick = [&] { ++runs; };
  // A bare display has no window manager: nothing becomes active by itself.
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 5000));
  auto press = [&] {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_F9, Qt::NoModifier);
    QWidget* target =
        QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &window;
    QCoreApplication::sendEvent(target, &key);
    Pump(100);
  };
  press();
  EXPECT_EQ(runs, 1) << "F9 runs Anterior wherever the window has the keyboard";
  program.form->mnuEndarrera.SetEnabled(false);
  press();
  EXPECT_EQ(runs, 1) << "a disabled item's shortcut does nothing";
  program.form->mnuEndarrera.SetEnabled(true);
  program.form->PressKey(0x78);  // no Qt key of its own: nothing
  SendSynthesizedKey(Qt::Key_F9, &window);
  Pump(300);
  EXPECT_EQ(runs, 1) << "a synthesized key runs no shortcut";
}

TEST(MainWindowView, TheAboutBoxShowsFromTheMenuAndClosesWithOk) {
  NoLibrary loader;
  Program program(loader);
  bool shown = false;
  QTimer::singleShot(300, [&] {
    shown = program.aboutView.isVisible() && program.aboutView.height() == about::kClientHeight;
    program.about.OKButton.Click();
  });
  program.form->MenuParlantDe.Click();  // modal: returns when closed
  EXPECT_TRUE(shown);
  EXPECT_FALSE(program.aboutView.isVisible());
  EXPECT_FALSE(program.about.Visible());
}

}  // namespace
}  // namespace sonavia::qt

namespace sonavia::qt {
namespace {

TEST(MainWindowView, SortirClosesAfterTheCloseWaitAndEverythingComesDown) {
  system::DlLibraryLoader loader;
  QtEventLoop loop;
  NoDesktop desktop;
  QTemporaryDir dir;
  auto list = std::make_unique<reading::ReadingList>();
  // Owned as the program's entry owns them, and taken down in its order.
  auto window = std::make_unique<MainWindowView>();
  QtInput input(window->Browser(), window.get());
  QtWindowList windows;
  about::TAboutBox aboutBox(loop, desktop);
  shell::TFormPrincipal form(
      loop, loader, window->Browser(), input, windows,
      [&] { return dir.filePath("index.htm").toStdString(); }, *list, aboutBox);
  window->Bind(form);
  auto aboutView = std::make_unique<AboutBoxView>(aboutBox, window.get());
  shell::StartProgram(form, aboutBox, loop);
  window->show();
  ASSERT_TRUE(form.Speech.Loaded());
  form.Sequencer.SpeakUnit("UNA FRASE ");

  QElapsedTimer clock;
  clock.start();
  form.mnuSortir.Click();
  EXPECT_GE(clock.elapsed(), 1500);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(form.Speech.Loaded());
  EXPECT_FALSE(form.Speech.Speaking);
  aboutView.reset();
  window.reset();
  EXPECT_FALSE(form.AcceptsDrops()) << "the destruction handler ran";
}

}  // namespace
}  // namespace sonavia::qt

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

QString Said(QWidget* widget, QAccessible::Text what) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(what) : QString();
}

TEST(MainWindowView, EveryControlHasACatalanNameAndDescriptionForScreenReaders) {
  system::DlLibraryLoader loader;
  Program program(loader);
  ASSERT_TRUE(WaitFor([&] { return program.window.ButtonToolBar()->isVisible(); }));
  struct Expected {
    const char* object;
    const char* name;
  };
  const Expected expected[] = {
      {"SpeedButtonAnterior", "Anterior"},
      {"SpeedButtonAlLink", "Al link"},
      {"SpeedButtonParlar", "No parlar"},
      {"EditVelocitat", "Velocitat de lectura"},
      {"cboAddress", "Adreça"},
      {"TextDecimesScan", "Pas d'escaneig"},
      {"ImageQuelva2000", "Pàgina web dels autors"},
      {"brwWebBrowser", "Pàgina"},
  };
  for (const auto& e : expected) {
    QWidget* widget = program.window.findChild<QWidget*>(QString::fromLatin1(e.object));
    ASSERT_NE(widget, nullptr) << e.object;
    // On this desktop a combo box is named by its text; its edit by its name.
    if (auto* box = qobject_cast<QComboBox*>(widget)) widget = box->lineEdit();
    EXPECT_EQ(Said(widget, QAccessible::Name).toStdString(), e.name) << e.object;
  }
  // Every control of both windows, pictures included, is named and described.
  for (QWidget* root :
       {static_cast<QWidget*>(&program.window), static_cast<QWidget*>(&program.aboutView)}) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
      const bool control =
          qobject_cast<QAbstractButton*>(widget) != nullptr ||
          qobject_cast<QLineEdit*>(widget) != nullptr ||
          qobject_cast<QComboBox*>(widget) != nullptr ||
          (qobject_cast<QLabel*>(widget) != nullptr && !widget->objectName().isEmpty());
      // Qt's own helpers (a toolbar's overflow button) are not the program's;
      // a hidden one (an empty status text) is not offered at all.
      if (!control || widget->objectName().startsWith(QLatin1String("qt_")) ||
          qobject_cast<QComboBox*>(widget->parentWidget()) != nullptr || widget->isHidden())
        continue;
      EXPECT_FALSE(Said(widget, QAccessible::Name).isEmpty()) << widget->objectName().toStdString();
      EXPECT_FALSE(Said(widget, QAccessible::Description).isEmpty())
          << widget->objectName().toStdString();
    }
  }
  // The speech button's name follows its caption.
  program.form->mnuParlarClick();
  Pump(50);
  EXPECT_EQ(Said(program.window.Button(&program.form->SpeedButtonParlar), QAccessible::Name),
            QStringLiteral("Parlar"));
}

TEST(MainWindowView, EveryCommandHasAKeyAndTheFocusedEditShowsIt) {
  system::DlLibraryLoader loader;
  Program program(loader);
  // A menu command has a shortcut or a letter to reach it from the menu bar.
  for (QAction* bar : program.window.menuBar()->actions()) {
    EXPECT_TRUE(bar->text().contains(QLatin1Char('&'))) << bar->text().toStdString();
    if (bar->menu() == nullptr) continue;
    for (QAction* item : bar->menu()->actions()) {
      if (item->isSeparator() || !item->isVisible()) continue;
      EXPECT_TRUE(item->text().contains(QLatin1Char('&')) || !item->shortcut().isEmpty())
          << item->text().toStdString();
    }
  }
  // Each toolbar button's command is also a menu item or a key of the page.
  const std::map<std::string, std::string> keyOf = {{"SpeedButtonAnterior", "F9"},
                                                    {"SpeedButtonSeguent", "Ctrl+F9"},
                                                    {"SpeedButtonPararCarrega", "Ctrl+P"},
                                                    {"SpeedButtonRecarregar", "Ctrl+R"},
                                                    {"SpeedButtonMarcSeguent", "F6"},
                                                    {"SpeedButtonAlLink", "F2"},
                                                    {"SpeedButtonParlar", "F3"}};
  std::set<std::string> shortcuts;
  for (QAction* action : program.window.actions())
    shortcuts.insert(action->shortcut().toString().toStdString());
  for (const auto& [button, key] : keyOf) EXPECT_TRUE(shortcuts.count(key)) << button;

  // Once the start page is in (its completion gives the page the keyboard)
  // and its reading stopped (the edit is disabled while a unit is spoken).
  ASSERT_TRUE(WaitFor([&] { return program.form->HoverSpeechArmed && program.form->Enabled(); }));
  program.form->Sequencer.StartReadingAt(0);
  program.window.activateWindow();
  QApplication::setActiveWindow(&program.window);
  auto* edit = program.window.findChild<QLineEdit*>(QStringLiteral("EditVelocitat"));
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(WaitFor([&] { return edit->isVisible(); }));
  const QImage before = edit->grab().toImage();
  edit->setFocus(Qt::OtherFocusReason);
  ASSERT_TRUE(WaitFor([&] { return edit->hasFocus(); }));
  Pump(50);
  EXPECT_NE(edit->grab().toImage(), before) << "the focused edit looks different";
}

}  // namespace
}  // namespace sonavia::qt
