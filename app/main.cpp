// Sonavia: the program's entry. It builds the real platform (Qt, Qt
// WebEngine, the speech library loaded by name), hands it to the window's
// behaviour and runs the message loop.
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>

#include <malloc.h>
#include <memory>

#include "about/AboutBox.h"
#include "controls/ProfileFile.h"
#include "qt/AboutBoxView.h"
#include "qt/AccessibleNames.h"
#include "qt/Application.h"
#include "qt/EndSignals.h"
#include "qt/MainWindowView.h"
#include "qt/OneWindow.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtText.h"
#include "qt/QtTranslations.h"
#include "qt/QtWindowList.h"
#include "qt/WebEngineSetup.h"
#include "reading/ReadingList.h"
#include "shell/FormPrincipal.h"
#include "system/CommandLine.h"
#include "system/DlLibraryLoader.h"
#include "system/SettingsLocation.h"

namespace {

bool FileExists(const std::string& path) {
  return QFileInfo::exists(QString::fromLocal8Bit(path.c_str()));
}

// The start pages installed with the program, found from where the program
// itself is (the build tree has the same layout).
std::string InstalledPages() {
  return (QCoreApplication::applicationDirPath() + QString::fromUtf8("/" SONAVIA_PAGES_RELATIVE))
      .toLocal8Bit()
      .toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sonavia;
  // The command line is answered before anything of the window system starts,
  // so that --help works without a display.
  const std::string here = QDir::currentPath().toLocal8Bit().toStdString();
  const system::CommandLine line =
      system::ParseCommandLine({argv + 1, argv + argc}, here, FileExists);
  switch (line.action) {
    case system::CommandLine::Action::Help:
      std::fputs(system::Usage("sonavia").c_str(), stdout);
      return 0;
    case system::CommandLine::Action::Version:
      std::puts("sonavia " SONAVIA_VERSION);
      return 0;
    case system::CommandLine::Action::Error:
      std::fprintf(stderr, "sonavia: %s?\n\n%s", line.rejected.c_str(),
                   system::Usage("sonavia").c_str());
      return 2;
    case system::CommandLine::Action::Run:
      break;
  }

  // A page's text and snapshot run to megabytes: blocks that large always
  // get pages of their own, handed back whole when freed, instead of the
  // heap growing to fit the largest page seen in a long session.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  qt::ConfigureWebEngineEnvironment();
  qt::SonaviaApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sonavia"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/sonavia.svg")));
  // One window reads with one settings file: a second start brings the
  // first forward and ends, before it has a window or a voice of its own.
  const std::string settingsPath = system::SettingsFilePath(controls::kSettingsFileName);
  qt::OneWindow oneWindow(qt::OneWindow::SocketName(QString::fromLocal8Bit(settingsPath.c_str())));
  if (oneWindow.Elsewhere()) {
    std::fputs(
        "sonavia: another window already reads with these settings; it was brought "
        "forward\n",
        stderr);
    return 0;
  }
  // Saves cut short by a kill left their temporary files; no other run
  // uses them now.
  controls::ProfileFile::RemoveLeftovers(settingsPath, controls::kLeftoverQuietSeconds);
  qt::InstallAccessibility();
  qt::ExposePagesToAssistiveTechnology();

  if (!qt::BrowserComponentAvailable()) {
    qt::QtTranslations catalan(&app);  // the box's button in Catalan
    catalan.Use(false);
    QMessageBox box(
        QMessageBox::Information, QStringLiteral("Quelva 2001 - Sonavia"),
        QStringLiteral("No est\u00e0 instal\u00b7lat el component de navegador web (Qt WebEngine). "
                       "Per poder utilitzar aquest programa cal que l'instal\u00b7leu."),
        QMessageBox::Ok);
    box.exec();
    return 1;
  }

  // After every setting the engine reads at its start.
  qt::NamePageSound();
  qt::QtEventLoop loop;
  system::DlLibraryLoader loader;
  qt::QtDesktop desktop;
  auto window = std::make_unique<qt::MainWindowView>();
  qt::QtInput input(window->Browser(), window.get());
  qt::QtWindowList windows;
  about::TAboutBox aboutBox(loop, desktop);
  // The folder's start page, or the installed one, looked for when needed.
  auto startPage = [&here] {
    const std::string path = system::StartPagePath(here, InstalledPages(), FileExists);
    return qt::ToCore(QString::fromLocal8Bit(path.c_str()));
  };
  shell::TFormPrincipal form(loop, loader, window->Browser(), input, windows, startPage,
                             reading::TheReadingList(), aboutBox);
  window->Bind(form);
  form.Settings.SetPath(settingsPath);
  form.Favs.Load(system::SettingsFilePath(controls::kFavouritesFileName));
  form.SetStartAddress(qt::ToCore(QString::fromLocal8Bit(line.address.c_str())));
  auto aboutView = std::make_unique<qt::AboutBoxView>(aboutBox, window.get());
  oneWindow.SetOnAsked([&window, &form] {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    form.Pages.Notice(shell::kAlreadyReading);
  });
  // A logout, a kill or Ctrl+C closes the window as its close box does.
  qt::EndSignals endSignals([&window] { window->close(); });

  form.SetScreenReaderPresent(qt::ScreenReaderActive());
  shell::StartProgram(form, aboutBox, loop);
  if (endSignals.Received()) {
    // Asked to end during the splash: the close has run already.
    aboutView.reset();
    window.reset();
    return 0;
  }
  // Without a window manager (a bare display) maximising does nothing; the
  // geometry of the screen's free area stands in for it.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    window->setGeometry(screen->availableGeometry());
  window->showMaximized();
  const int result = QApplication::exec();
  // The dialog before its parent window, and the window (whose destruction
  // handler uses the behaviour) before the behaviour.
  aboutView.reset();
  window.reset();
  return result;
}
