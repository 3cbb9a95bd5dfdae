// page-snapshot: prints a page as the browser component hands it to the
// page conversion, the top document's body in UTF-8, after the
// page's own scripts have run; with reading-list, the units the program
// reads:
//
//   page-snapshot [--article] FILE-OR-ADDRESS | reading-list --title TITLE -
//
// With --article, the page's article as the reader view finds it, or the
// whole page when it finds none (standard error says which).
// Its title and language go to standard error. It needs a display
// (QT_QPA_PLATFORM=offscreen does without one).
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "qt/QtText.h"
#include "qt/WebEngineBrowser.h"
#include "qt/WebEngineSetup.h"

int main(int argc, char** argv) {
  using namespace sonavia;
  const bool article = argc == 3 && std::string(argv[1]) == "--article";
  if (argc != 2 + (article ? 1 : 0) || std::string(argv[argc - 1]).rfind("--", 0) == 0) {
    std::fputs("usage: page-snapshot [--article] FILE-OR-ADDRESS\n", stderr);
    return 2;
  }
  qt::ConfigureWebEngineEnvironment();
  QApplication app(argc, argv);
  if (!qt::BrowserComponentAvailable()) {
    std::fputs("page-snapshot: the browser component (Qt WebEngine) is not installed\n", stderr);
    return 2;
  }
  QWidget window;
  auto* browser = new qt::WebEngineBrowser(&window);
  int status = 1;
  browser->events.DocumentComplete = [&] {
    if (browser->Busy()) return;
    try {
      const shell::BrowserDocument& whole = browser->Document();
      const bool found = article && whole.Article() != nullptr;
      const shell::BrowserDocument& document = found ? *whole.Article() : whole;
      if (article) std::fputs(found ? "article: yes\n" : "article: no\n", stderr);
      const std::string& body = document.body_outerHtml();
      std::fwrite(body.data(), 1, body.size(), stdout);
      std::fprintf(stderr, "title: %s\nlanguage: %s\n", document.Title().c_str(),
                   document.Language().c_str());
      status = 0;
    } catch (const shell::BrowserError& error) {
      std::fprintf(stderr, "page-snapshot: %s\n", error.what());
    }
    QApplication::quit();
  };
  // A page that never completes ends the tool all the same.
  QTimer::singleShot(60000, [] {
    std::fputs("page-snapshot: the page did not complete within a minute\n", stderr);
    QApplication::quit();
  });
  const QString given = QString::fromLocal8Bit(argv[argc - 1]);
  const bool address = given.contains(QStringLiteral("://"));
  browser->Navigate(qt::ToCore(address ? given : QDir::current().absoluteFilePath(given)));
  QApplication::exec();
  return status;
}
