// A browser component in a window of its own, with a log of the events it
// raises, and pages written to a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <string>
#include <vector>

#include "qt/QtWait.h"
#include "qt/WebEngineBrowser.h"

namespace sonavia::qt::testing {

using sonavia::testing::WaitFor;

class BrowserFixture : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QMainWindow window;
  WebEngineBrowser* browser = new WebEngineBrowser(&window);
  std::vector<std::string> log;
  int topCompletions = 0;

  void SetUp() override {
    window.setCentralWidget(browser->View());
    window.resize(900, 700);
    window.show();
    auto& e = browser->events;
    e.DownloadBegin = [this] { log.push_back("DownloadBegin"); };
    e.ProgressChange = [this](int32_t p, int32_t max) {
      log.push_back("ProgressChange(" + std::to_string(p) + "," + std::to_string(max) + ")");
    };
    e.StatusTextChange = [this](const std::string& t) {
      log.push_back("StatusTextChange(" + t + ")");
    };
    e.DocumentComplete = [this] {
      log.push_back(std::string("DocumentComplete busy=") + (browser->Busy() ? "1" : "0"));
      if (!browser->Busy()) ++topCompletions;
    };
    e.DownloadComplete = [this] { log.push_back("DownloadComplete"); };
    e.NavigateComplete2 = [this] { log.push_back("NavigateComplete2"); };
  }

  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<QMessageBox*>(w) != nullptr) w->close();
    }
  }

  std::string Write(const QString& name, const QByteArray& html) {
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html);
    return path.toStdString();
  }

  bool Load(const std::string& address) {
    const int before = topCompletions;
    browser->Navigate(address);
    return WaitFor([&] { return topCompletions > before; });
  }

  QVariant Eval(const QString& script) {
    QVariant value;
    bool done = false;
    browser->View()->page()->runJavaScript(script, [&](const QVariant& v) {
      value = v;
      done = true;
    });
    WaitFor([&] { return done; });
    return value;
  }

  QMessageBox* MessageWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box != nullptr && box->isVisible() &&
          box->windowTitle() == WebEngineBrowser::kMessageTitle)
        return box;
    }
    return nullptr;
  }
};

}  // namespace sonavia::qt::testing
