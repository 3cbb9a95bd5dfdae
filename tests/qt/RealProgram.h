// The whole program as its entry builds it, with the real speech library
// recording what it says, on a start page of the test's own; and what a
// user does to it: real key presses and clicks through the window system.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "about/AboutBox.h"
#include "qt/AboutBoxView.h"
#include "qt/MainWindowView.h"
#include "qt/ProgramParts.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtWait.h"
#include "qt/QtWindowList.h"
#include "reading/ReadingList.h"
#include "shell/FormPrincipal.h"
#include "system/DlLibraryLoader.h"

namespace sonavia::qt::testing {

struct Utterance {
  int speaker = 0;
  bool stopped = false;
  std::string text;   // as the library heard it, folded to lower case, UTF-8
  int64_t start = 0;  // when it was handed to the library, in ms since the epoch
};

// The real speech library, loaded before the parts that use it.
struct RealLibrary {
  system::DlLibraryLoader loader;
};

class RealProgram : private RealLibrary, public ProgramParts {
 public:
  // `pages` are file names and contents written beside the start page.
  explicit RealProgram(const std::string& startPage,
                       const std::vector<std::pair<std::string, std::string>>& pages = {})
      : ProgramParts(RealLibrary::loader) {
    Write("index.htm", startPage);
    for (const auto& [name, html] : pages) Write(name, html);
    qputenv("UPCTV_RECORD_DIR", record.path().toLocal8Bit());
    Start();
    window.setGeometry(0, 0, 1100, 700);
    window.show();
    Activate();
    form->EditVelocitat.SetText("250");  // quick speech keeps the tests short
  }
  ~RealProgram() {
    form->TimerEscaneig->SetEnabled(false);
    form->TimerParo->SetEnabled(false);
    form->Pages.Close();
    form->Speech.FreeSpeechEngine();
    qunsetenv("UPCTV_RECORD_DIR");
  }

  std::string Address(const std::string& name) const {
    return "file://" + dir.path().toStdString() + "/" + name;
  }
  // A key as the window system delivers it to the active window.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* active = QApplication::activeWindow();
    QTest::keyClick(active != nullptr ? active->windowHandle() : window.windowHandle(), key,
                    modifiers);
    sonavia::testing::Pump(30);
  }
  // A left click at a point of the main window, through the window system.
  void Click(QPoint inWindow) {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow);
    sonavia::testing::Pump(30);
  }
  bool Loaded(const std::string& title) {
    return sonavia::testing::WaitFor([&] {
      try {
        return form->HoverSpeechArmed && form->Enabled() &&
               window.Browser().Document().Title() == title;
      } catch (const shell::BrowserError&) {
        return false;
      }
    });
  }
  QVariant Eval(const QString& script) {
    QVariant value;
    bool done = false;
    window.Browser().View()->page()->runJavaScript(script, [&](const QVariant& v) {
      value = v;
      done = true;
    });
    sonavia::testing::WaitFor([&] { return done; }, 10000);
    return value;
  }
  // What the library has finished saying, in order.
  std::vector<Utterance> Said() const {
    std::vector<Utterance> said;
    // Compared without regard to case: the page's text is upper-cased.
    std::ifstream in(record.filePath("utterances.tsv").toStdString());
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string start, language, speaker, rate, played, stopped, text;
      std::getline(fields, start, '\t');
      std::getline(fields, language, '\t');
      std::getline(fields, speaker, '\t');
      std::getline(fields, rate, '\t');
      std::getline(fields, played, '\t');
      std::getline(fields, stopped, '\t');
      std::getline(fields, text);
      while (!text.empty() && text.back() == ' ') text.pop_back();
      said.push_back({std::stoi(speaker), stopped == "1",
                      QString::fromStdString(text).toLower().toStdString(), std::stoll(start)});
    }
    return said;
  }
  std::vector<std::string> SaidTexts() const {
    std::vector<std::string> texts;
    for (const auto& u : Said()) texts.push_back(u.text);
    return texts;
  }
  // Whether `text` has been said (begun and finished or cut) since `from`.
  bool HasSaid(const std::string& text, size_t from = 0) const {
    const auto texts = SaidTexts();
    for (size_t i = from; i < texts.size(); ++i) {
      if (texts[i].find(text) != std::string::npos) return true;
    }
    return false;
  }
  bool WaitToSay(const std::string& text, size_t from = 0, int ms = 30000) const {
    return sonavia::testing::WaitFor([&] { return HasSaid(text, from); }, ms);
  }

  QTemporaryDir record;
};

}  // namespace sonavia::qt::testing
