// The whole program's parts as its entry builds them, in a temporary folder
// of the test's own; each fixture writes its pages, starts it and places
// its window in its own way.
#pragma once

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "about/AboutBox.h"
#include "qt/AboutBoxView.h"
#include "qt/MainWindowView.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtWait.h"
#include "qt/QtWindowList.h"
#include "reading/ReadingList.h"
#include "shell/FormPrincipal.h"

namespace sonavia::qt::testing {

// No speech library to be found: the program's reduced mode.
struct NoLibrary : platform::LibraryLoader {
  Handle Load(const std::string&) override { return nullptr; }
  void* Symbol(Handle, const char*) override { return nullptr; }
  void Free(Handle) override {}
};

struct NoDesktop : platform::Desktop {
  void OpenWebPage(const std::string&) override {}
};

struct ProgramParts {
  explicit ProgramParts(platform::LibraryLoader& loader) : loader_(loader) {}
  ProgramParts(const ProgramParts&) = delete;
  ProgramParts& operator=(const ProgramParts&) = delete;

  // A file beside the start page (index.htm is the start page).
  void Write(const std::string& name, const std::string& contents) {
    QFile file(dir.filePath(QString::fromStdString(name)));
    file.open(QIODevice::WriteOnly);
    file.write(contents.data(), static_cast<qint64>(contents.size()));
  }
  // Builds the form on the folder and runs the program's start: the splash
  // and then the start page.
  void Start() {
    form = std::make_unique<shell::TFormPrincipal>(
        loop, loader_, window.Browser(), input, windows,
        [this] { return dir.filePath("index.htm").toStdString(); }, *list, about);
    window.Bind(*form);
    shell::StartProgram(*form, about, loop);
  }
  // A bare display has no window manager: nothing becomes active by itself.
  bool Activate() {
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return sonavia::testing::WaitFor([&] { return window.isActiveWindow(); }, 5000);
  }

  QTemporaryDir dir;
  QtEventLoop loop;
  platform::LibraryLoader& loader_;
  NoDesktop desktop;
  std::unique_ptr<reading::ReadingList> list = std::make_unique<reading::ReadingList>();
  about::TAboutBox about{loop, desktop};
  // Declared before the window, whose destruction handler uses it.
  std::unique_ptr<shell::TFormPrincipal> form;
  MainWindowView window;
  QtInput input{window.Browser(), &window};
  QtWindowList windows;
  AboutBoxView aboutView{about, &window};
};

}  // namespace sonavia::qt::testing
