// Sonavia: the program's entry. It builds the real platform (Qt, Qt
// WebEngine, the speech library loaded by name), hands it to the window's
// behaviour and runs the message loop.
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <memory>

#include "about/AboutBox.h"
#include "qt/AboutBoxView.h"
#include "qt/Input.h"
#include "qt/MainWindowView.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtText.h"
#include "qt/QtWindowList.h"
#include "reading/ReadingList.h"
#include "shell/FormPrincipal.h"
#include "system/DlLibraryLoader.h"
#include "system/SettingsLocation.h"

namespace {

std::string CurrentDirectory() {
  return sonavia::qt::ToCp1252(QDir::currentPath());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sonavia;
  qt::ConfigureWebEngineEnvironment();
  qt::SonaviaApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sonavia"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/sonavia.svg")));

  if (!qt::BrowserComponentAvailable()) {
    QMessageBox box(
        QMessageBox::Information, QStringLiteral("Quelva 2001 - Sonavia"),
        QStringLiteral("No est\u00e0 instal\u00b7lat el component de navegador web (Qt WebEngine). "
                       "Per poder utilitzar aquest programa cal que l'instal\u00b7leu."),
        QMessageBox::Ok);
    box.exec();
    return 1;
  }

  qt::QtEventLoop loop;
  system::DlLibraryLoader loader;
  qt::QtDesktop desktop;
  auto window = std::make_unique<qt::MainWindowView>();
  qt::QtInput input(window->Browser(), window.get());
  qt::QtWindowList windows;
  about::TAboutBox aboutBox(loop, desktop);
  shell::TFormPrincipal form(loop, loader, window->Browser(), input, windows, CurrentDirectory,
                             reading::TheReadingList(), aboutBox);
  window->Bind(form);
  form.Settings.SetPath(system::SettingsFilePath(controls::kSettingsFileName));
  auto aboutView = std::make_unique<qt::AboutBoxView>(aboutBox, window.get());

  shell::StartProgram(form, aboutBox, loop);
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
