// The navigation commands with the real window and web engine: the open
// dialog, drops, history, the address box, frames and new windows.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>
#include <memory>
#include <string>
#include <vector>

#include "about/AboutBox.h"
#include "qt/MainWindowView.h"
#include "qt/ProgramParts.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtText.h"
#include "qt/QtWait.h"
#include "qt/QtWindowList.h"
#include "qt/WebEngineBrowser.h"
#include "reading/ReadingList.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

void WriteFile(const QString& path, const QByteArray& html) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(html);
}

QByteArray Page(const char* title, const char* body = "") {
  return QByteArray("<html><head><title>") + title + "</title></head><body>" + body +
         "</body></html>";
}

std::string TitleOf(shell::BrowserComponent& browser) {
  try {
    return browser.Busy() ? std::string() : browser.Document().Title();
  } catch (const shell::BrowserError&) {
    return {};
  }
}

// A bare display has no window manager: nothing becomes active by itself.
bool Activate(QWidget& window) {
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  return WaitFor([&] { return window.isActiveWindow(); }, 5000);
}

// A key as the user types it, to whatever has the keyboard.
void Type(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &window;
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QCoreApplication::sendEvent(
      QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : target, &release);
}

// The whole program, without speech, on a start page of its own.
class NavigationProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir.filePath("index.htm"), Page("Inici", "<p>Benvinguts.</p>"));
    WriteFile(dir.filePath("dos #1.htm"), Page("Dos", "<p>La segona.</p>"));
    WriteFile(dir.filePath("tres.htm"), Page("Tres"));
    parts.Start();
    window.resize(1000, 700);
    window.show();
    ASSERT_TRUE(WaitFor([&] { return Title() == "Inici"; }));
  }
  void TearDown() override { form->Speech.FreeSpeechEngine(); }

  std::string Title() { return TitleOf(window.Browser()); }
  // The address of a file beside the start page, its name as the address
  // writes it (the temporary folder's own path needs no encoding).
  std::string Address(const std::string& name) {
    return "file://" + dir.path().toStdString() + "/" + name;
  }

  testing::NoLibrary noLibrary;
  testing::ProgramParts parts{noLibrary};
  QTemporaryDir& dir = parts.dir;
  std::unique_ptr<shell::TFormPrincipal>& form = parts.form;
  MainWindowView& window = parts.window;
  QtInput& input = parts.input;
};

TEST_F(NavigationProgram, TheOpenDialogIsWorkedFromTheKeyboardAndOpensANameWithHashAndBlank) {
  QString title;
  QStringList filters;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    poll.stop();
    title = dialog->windowTitle();
    filters = dialog->nameFilters();
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) return dialog->reject();
    // Without a window manager the dialog need not become active: the keys
    // go straight to its name field.
    name->setText(dir.filePath(QStringLiteral("dos #1.htm")));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(name, &press);
  });
  poll.start(50);
  // Whatever goes wrong above, the dialog does not outlive the test.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  guard.start(15000);
  ASSERT_TRUE(Activate(window));
  Type(window, Qt::Key_O, Qt::ControlModifier);  // returns when the dialog closes
  EXPECT_EQ(title, QStringLiteral("Obrir - \"Ombrix Sonavia\""));
  ASSERT_EQ(filters.size(), 2);
  EXPECT_TRUE(filters[0].contains(QStringLiteral("*.htm *.html")))
      << filters[0].toStdString() << ": both kinds of page shown at first";
  EXPECT_TRUE(WaitFor([&] { return Title() == "Dos"; }));
  EXPECT_EQ(form->cboAddress.Text(), Address("dos %231.htm"));
  EXPECT_EQ(form->cboAddress.Items().back(), Address("dos %231.htm"));
}

TEST_F(NavigationProgram, ADropOfThreeFilesOpensTheFirst) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(dir.filePath("tres.htm")),
                QUrl::fromLocalFile(dir.filePath("dos #1.htm")),
                QUrl::fromLocalFile(dir.filePath("index.htm"))});
  const QPointF at(300, 300);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &drop);
  EXPECT_TRUE(WaitFor([&] { return Title() == "Tres"; }));
  Pump(500);
  EXPECT_EQ(Title(), "Tres") << "the other files are not opened";
  EXPECT_EQ(form->cboAddress.Items().back(), Address("tres.htm"));
  EXPECT_EQ(form->cboAddress.Items().size(), 2u);
}

TEST_F(NavigationProgram, AFileWhosePathAnAddressReadsOtherwiseOpensItself) {
  // Each page has a title of its own: the engine must open it, not a
  // folder, a fragment, a query or another file.
  const char* const paths[] = {"dos #1/index.htm",         "què ?/index.htm",
                               "100%41/index.htm",         "amb\\barra/index.htm",
                               "tab\there/index.htm",      "amb blancs/index.htm",
                               "blanc al final /index.htm"};
  int n = 0;
  for (const char* path : paths) {
    const QString name = QString::fromUtf8(path);
    const std::string title = QStringLiteral("P%1").arg(++n).toStdString();
    QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path());
    WriteFile(dir.filePath(name), Page(title.c_str()));
    form->FormDropFiles({ToCore(dir.filePath(name))});
    EXPECT_TRUE(WaitFor([&] { return Title() == title; })) << path;
  }
}

TEST_F(NavigationProgram, PickingAnEntryOfTheListLoadsItWithoutReturn) {
  form->FormDropFiles({dir.filePath("tres.htm").toStdString()});
  ASSERT_TRUE(WaitFor([&] { return Title() == "Tres"; }));
  auto* box = window.findChild<QComboBox*>(QStringLiteral("cboAddress"));
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(box->count(), 2);
  ASSERT_TRUE(Activate(window));
  box->showPopup();
  ASSERT_TRUE(WaitFor([&] { return box->view()->isVisible(); }, 5000));
  box->view()->setCurrentIndex(box->model()->index(0, 0));
  Type(*box->view(), Qt::Key_Return);
  EXPECT_TRUE(WaitFor([&] { return Title() == "Inici"; }));
  EXPECT_EQ(form->cboAddress.Text(), Address("index.htm"));
  EXPECT_EQ(form->cboAddress.Items().size(), 2u);
}

TEST_F(NavigationProgram, BackAndForwardFromTheirShortcutsAndReloadFromItsButton) {
  form->FormDropFiles({dir.filePath("tres.htm").toStdString()});
  ASSERT_TRUE(WaitFor([&] { return Title() == "Tres"; }));
  ASSERT_TRUE(Activate(window));
  Type(window, Qt::Key_F9);
  EXPECT_TRUE(WaitFor([&] { return Title() == "Inici"; })) << "F9 goes back";
  Type(window, Qt::Key_F9);  // nothing before the first page
  Type(window, Qt::Key_F9, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return Title() == "Tres"; })) << "Ctrl+F9 goes forward";
  WriteFile(dir.filePath("tres.htm"), Page("Tres bis"));
  window.Button(&form->SpeedButtonRecarregar)->click();
  EXPECT_TRUE(WaitFor([&] { return Title() == "Tres bis"; })) << "the button reloads";
}

TEST_F(NavigationProgram, F8GivesTheAddressBoxTheKeyboardAndLeavesThePointerWhereItWas) {
  auto* box = window.findChild<QComboBox*>(QStringLiteral("cboAddress"));
  ASSERT_NE(box, nullptr);
  int entered = 0;
  auto enter = form->cboAddress.OnEnter;
  form->cboAddress.OnEnter = [&] {
    ++entered;
    if (enter) enter();
  };
  ASSERT_TRUE(Activate(window));
  form->FocusPage();
  auto inBox = [&] {
    return QApplication::focusWidget() == box || QApplication::focusWidget() == box->lineEdit();
  };
  ASSERT_TRUE(WaitFor([&] { return !inBox(); }));
  const QPoint pointer = window.mapToGlobal(QPoint(600, 500));
  QCursor::setPos(pointer);
  ASSERT_TRUE(WaitFor([&] { return QCursor::pos() == pointer; }, 5000));
  const std::string address = window.Browser().LocationURL();

  Type(window, Qt::Key_F8);
  EXPECT_TRUE(WaitFor(inBox, 5000));
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(QCursor::pos(), pointer);
  Pump(300);
  EXPECT_EQ(window.Browser().LocationURL(), address) << "the click navigates nowhere";
  EXPECT_EQ(box->lineEdit()->selectedText(), box->lineEdit()->text())
      << "the whole address selected";
  EXPECT_FALSE(box->lineEdit()->text().isEmpty());

  // Typed over it and sent with Return, as it stands; leaving the box gives
  // the page the keyboard back.
  box->lineEdit()->insert(QString::fromStdString(Address("tres.htm")));
  Type(window, Qt::Key_Return);
  EXPECT_TRUE(WaitFor([&] { return Title() == "Tres"; }));
  EXPECT_EQ(form->cboAddress.Items().size(), 1u) << "typed addresses stay out of the list";
  EXPECT_TRUE(WaitFor(
      [&] { return QApplication::focusWidget() == window.Browser().View()->focusProxy(); }));
}

TEST_F(NavigationProgram, F6FromItsShortcutMovesOneFramePerPress) {
  WriteFile(dir.filePath("marcs.htm"), Page("Marcs",
                                            "<iframe id='f1' src='tres.htm'></iframe>"
                                            "<iframe id='f2' src='index.htm'></iframe>"));
  form->FormDropFiles({dir.filePath("marcs.htm").toStdString()});
  ASSERT_TRUE(WaitFor([&] { return Title() == "Marcs"; }));
  int runs = 0;
  auto command = form->MenuMarcSeguent.OnClick;
  form->MenuMarcSeguent.OnClick = [&] {
    ++runs;
    command();
  };
  ASSERT_TRUE(Activate(window));
  form->FocusPage();
  auto focused = [&] {
    QString id;
    bool done = false;
    window.Browser().View()->page()->runJavaScript(
        QStringLiteral("document.activeElement ? document.activeElement.id : ''"),
        [&](const QVariant& v) {
          id = v.toString();
          done = true;
        });
    WaitFor([&] { return done; });
    return id.toStdString();
  };
  for (const char* expected : {"f1", "f2", ""}) {
    Pump(300);
    Type(window, Qt::Key_F6);
    EXPECT_TRUE(WaitFor([&] { return focused() == expected; }, 5000))
        << "expected '" << expected << "', focus on '" << focused() << "'";
  }
  EXPECT_EQ(runs, 3) << "each press runs the command once, through its shortcut";
}

// The component alone.
class NavigationBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    window.setCentralWidget(browser->View());
    window.resize(900, 700);
    window.show();
    browser->events.DocumentComplete = [this] {
      if (!browser->Busy()) ++completions;
    };
  }
  std::string Write(const char* name, const QByteArray& html) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    WriteFile(path, html);
    return path.toStdString();
  }
  bool Load(const std::string& path) {
    const int before = completions;
    browser->Navigate(path);
    return WaitFor([&] { return completions > before; });
  }
  QString Eval(const QString& script) {
    QString value;
    bool done = false;
    browser->View()->page()->runJavaScript(script, [&](const QVariant& v) {
      value = v.toString();
      done = true;
    });
    WaitFor([&] { return done; });
    return value;
  }

  QTemporaryDir dir;
  QMainWindow window;
  WebEngineBrowser* browser = new WebEngineBrowser(&window);
  int completions = 0;
};

TEST_F(NavigationBrowser, F6MovesThroughTheFramesInOrderThenBackToTheTopDocument) {
  Write("n.htm", Page("N", "<p>n</p>"));
  Write("u.htm", Page("U", "<p>u</p><iframe id='n' src='n.htm'></iframe>"));
  Write("dos.htm", Page("Dos", "<p>dos</p>"));
  // The first frame holds one of its own; as a data address it is of
  // another origin, and where its focus is cannot be seen from the top.
  struct Case {
    const char* first;
    std::vector<const char*> focus;  // after each F6
  } const cases[] = {
      {"u.htm", {"f1", "f1/n", "f2", "", "f1"}},
      {"data:text/html,<p>d</p><iframe src='about:blank'></iframe>", {"f1", "f1", "f2", "", "f1"}},
  };
  // The focused frame, by the top document's focused element and, when it
  // can be seen, the first frame's own.
  const QString focus = QStringLiteral(
      "(function () { var a = document.activeElement; if (!a || !a.id) return '';"
      " var i = a.contentDocument && a.contentDocument.activeElement;"
      " return a.id + (i && i.id ? '/' + i.id : ''); })()");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    const std::string path =
        Write("frames.htm", Page("Marcs", QByteArray("<p><a href='u.htm'>enllaç</a></p>"
                                                     "<iframe id='f1' src=\"") +
                                              c.first +
                                              "\"></iframe><iframe id='f2' src='dos.htm'>"
                                              "</iframe>"));
    ASSERT_TRUE(Load(path));
    ASSERT_TRUE(Activate(window));
    QtInput input(*browser);
    input.ClickPage(1, 1);
    ASSERT_TRUE(WaitFor(
        [&] { return QApplication::focusWidget() == browser->View()->focusProxy(); }, 5000));
    for (const char* expected : c.focus) {
      // The engine confirms a frame's focus a moment after it moves, as
      // between a user's presses.
      Pump(300);
      input.PressKey(0x75);
      EXPECT_TRUE(WaitFor([&] { return Eval(focus) == QLatin1String(expected); }, 5000))
          << "expected '" << expected << "', focus on '" << Eval(focus).toStdString() << "'";
    }
  }
  // F6 that another widget of the window receives is that widget's.
  struct Edit : QLineEdit {
    int f6 = 0;
    void keyPressEvent(QKeyEvent* event) override {
      if (event->key() == Qt::Key_F6) ++f6;
      QLineEdit::keyPressEvent(event);
    }
  };
  auto* other = new Edit;
  window.setMenuWidget(other);
  other->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == other; }, 5000));
  const QString before = Eval(focus);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_F6, Qt::NoModifier);
  QCoreApplication::sendEvent(other, &press);
  Pump(300);
  EXPECT_EQ(other->f6, 1);
  EXPECT_EQ(Eval(focus), before);
}

TEST_F(NavigationBrowser, ANewWindowAskedForByTheUserOpensHereAPopupIsRefused) {
  const std::string dest = Write("dest.htm", Page("Dest"));
  const std::string popup =
      Write("popup.htm", Page("Popup", "<script>window.open('dest.htm');</script><p>p</p>"));
  ASSERT_TRUE(Load(popup));
  Pump(1000);
  EXPECT_EQ(browser->Document().Title(), "Popup");
  EXPECT_FALSE(browser->Busy()) << "no load began";

  const std::string blank =
      Write("blank.htm", Page("Blank",
                              "<a href='dest.htm' target='_blank' style='position:absolute;left:0;"
                              "top:0;width:300px;height:80px;display:block'>obre</a>"));
  ASSERT_TRUE(Load(blank));
  ASSERT_TRUE(Activate(window));
  const int before = completions;
  SendClick(browser->View()->focusProxy(), QPoint(20, 20));  // the user's click
  EXPECT_TRUE(WaitFor([&] { return completions > before; }));
  EXPECT_EQ(browser->Document().Title(), "Dest");
  EXPECT_EQ(QUrl(QString::fromStdString(browser->LocationURL())).toLocalFile().toStdString(), dest);
}

}  // namespace
}  // namespace sonavia::qt
