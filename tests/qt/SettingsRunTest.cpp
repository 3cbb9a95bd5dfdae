// The real window run after run, with the settings in a configuration folder
// of the test's own: what one run leaves at its close, the next starts with.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "about/AboutBox.h"
#include "controls/SettingsFile.h"
#include "qt/AboutBoxView.h"
#include "qt/MainWindowView.h"
#include "qt/QtEventLoop.h"
#include "qt/QtPlatform.h"
#include "qt/QtWindowList.h"
#include "reading/ReadingList.h"
#include "system/DlLibraryLoader.h"
#include "system/SettingsLocation.h"

namespace sonavia::qt {
namespace {

struct NoDesktop : platform::Desktop {
  void OpenWebPage(const std::string&) override {}
};

// One run of the program, built and taken down as its entry does.
class ProgramRun {
 public:
  explicit ProgramRun(const QString& startDir) : startDir_(startDir.toStdString()) {
    window = std::make_unique<MainWindowView>();
    input = std::make_unique<QtInput>(window->Browser(), window.get());
    form = std::make_unique<shell::TFormPrincipal>(
        loop, loader, window->Browser(), *input, windows,
        [this] { return startDir_ + "/index.htm"; }, *list, about);
    window->Bind(*form);
    form->Settings.SetPath(system::SettingsFilePath(controls::kSettingsFileName));
    aboutView = std::make_unique<AboutBoxView>(about, window.get());
    shell::StartProgram(*form, about, loop);
    window->show();
  }
  ~ProgramRun() {
    if (window->isVisible()) form->mnuSortir.Click();
    aboutView.reset();
    window.reset();
  }

  QLineEdit* EditOf(const platform::Edit& edit) const {
    return window->findChild<QLineEdit*>(QString::fromStdString(edit.Name()));
  }
  // Typed over the edit's whole text, key by key, as a user types.
  void Type(const platform::Edit& edit, const QString& text) const {
    QLineEdit* widget = EditOf(edit);
    widget->selectAll();
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QCoreApplication::sendEvent(widget, &press);
    }
  }

  std::string startDir_;
  QtEventLoop loop;
  system::DlLibraryLoader loader;
  NoDesktop desktop;
  std::unique_ptr<reading::ReadingList> list = std::make_unique<reading::ReadingList>();
  about::TAboutBox about{loop, desktop};
  std::unique_ptr<MainWindowView> window;
  std::unique_ptr<QtInput> input;
  QtWindowList windows;
  std::unique_ptr<shell::TFormPrincipal> form;
  std::unique_ptr<AboutBoxView> aboutView;
};

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

TEST(SettingsRun, TheSettingsComeBackAtTheNextStart) {
  QTemporaryDir home;
  // The configuration folder the program finds as it would at any start.
  struct ConfigHome {
    explicit ConfigHome(const QString& path) : saved(qgetenv("XDG_CONFIG_HOME")) {
      qputenv("XDG_CONFIG_HOME", path.toUtf8());
    }
    ~ConfigHome() {
      if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
      else
        qputenv("XDG_CONFIG_HOME", saved);
    }
    QByteArray saved;
  } config(home.filePath(QStringLiteral("config")));
  const QString file = home.filePath(QStringLiteral("config/sonavia/Quelva2001.ini"));
  const QByteArray step =
      "D\xE8"
      "cimes de segon que dura el pas d'escaneig";
  const QByteArray pause =
      "D\xE8"
      "cimes de segon que dura el paro de l'escaneig";
  // The switch's: spoken scanning, and the two that the file alone holds.
  auto switchKeys = [](const char* spoken) {
    return QByteArray("Escaneig parlat=") + spoken +
           "\nD\xE8"
           "cimes de segon que s'ignora el polsador=0\n"
           "Un pas m\xE9s despr\xE9s de pr\xE9mer=no\n";
  };

  {
    ProgramRun first(home.path());
    ASSERT_TRUE(first.form->Speech.Loaded());
    EXPECT_EQ(FileBytes(file), "(none)");
    first.form->mnuSortir.Click();
    EXPECT_EQ(FileBytes(file),
              "[Ombrix Sonavia]\nLlengua=Catal\xE0\nParlar=s\xED\n"
              "Escaneig=no\nVelocitat de lectura=180\n" +
                  step + "=15\n" + pause + "=30\nMostrar lectura=s\xED\n" + switchKeys("no") +
                  "Ampliaci\xF3 de la p\xE0gina=100\nLlengua de la p\xE0gina=s\xED\n"
                  "Repetir el que s'escriu=s\xED\n"
                  "Deixar parlar el lector de pantalla=no\nLector de pantalla ofert=no\n"
                  "Pr\xE9mer llarg obre el segon cicle=no\nLlegir l'article=s\xED\n");
  }
  {
    ProgramRun second(home.path());
    // Chosen from the menu, as a user does: Castilian (which turns speech
    // on), then speech off, then scanning.
    second.window->Action(&second.form->mnuCastella)->trigger();
    second.window->Action(&second.form->mnuParlar)->trigger();
    second.window->Action(&second.form->mnuEscaneig)->trigger();
    EXPECT_FALSE(second.form->mnuParlar.Checked());
    second.window->Action(&second.form->mnuMostrarLectura)->trigger();
    second.window->Action(&second.form->mnuEscaneigParlat)->trigger();
    second.window->Action(&second.form->mnuLlenguaPagina)->trigger();
    second.Type(second.form->EditVelocitat, QStringLiteral("120"));
    second.Type(second.form->TextDecimesScan, QStringLiteral("5"));
    second.Type(second.form->TextTimerParo, QStringLiteral("100"));
    EXPECT_EQ(second.form->EditVelocitat.Text(), "120") << "typed into the real edit";
    second.form->mnuSortir.Click();
    EXPECT_EQ(FileBytes(file),
              "[Ombrix Sonavia]\nLlengua=Castell\xE0\nParlar=no\n"
              "Escaneig=s\xED\nVelocitat de lectura=120\n" +
                  step + "=5\n" + pause + "=100\nMostrar lectura=no\n" + switchKeys("s\xED") +
                  "Ampliaci\xF3 de la p\xE0gina=100\nLlengua de la p\xE0gina=no\n"
                  "Repetir el que s'escriu=s\xED\n"
                  "Deixar parlar el lector de pantalla=no\nLector de pantalla ofert=no\n"
                  "Pr\xE9mer llarg obre el segon cicle=no\nLlegir l'article=s\xED\n");
  }
  {
    ProgramRun third(home.path());
    shell::TFormPrincipal& form = *third.form;
    EXPECT_FALSE(form.mnuParlar.Checked());
    EXPECT_FALSE(third.window->Action(&form.mnuParlar)->isChecked());
    EXPECT_EQ(third.window->Action(&form.mnuParlar)->text(),
              QStringLiteral("Activar la &Lectura (continuar)"));
    EXPECT_EQ(third.window->Button(&form.SpeedButtonParlar)->text(), QStringLiteral("Parlar"));
    EXPECT_EQ(third.EditOf(form.EditVelocitat)->text(), QStringLiteral("120"));
    EXPECT_EQ(third.EditOf(form.TextDecimesScan)->text(), QStringLiteral("5"));
    EXPECT_EQ(third.EditOf(form.TextTimerParo)->text(), QStringLiteral("100"));
    EXPECT_EQ(form.TimerEscaneig->Interval(), 500u);
    EXPECT_EQ(form.TimerParo->Interval(), 10000u);
    EXPECT_FALSE(third.window->Action(&form.mnuMostrarLectura)->isChecked());
    EXPECT_FALSE(form.Sequencer.Follower().Enabled());
    EXPECT_TRUE(third.window->Action(&form.mnuEscaneigParlat)->isChecked());
    EXPECT_FALSE(third.window->Action(&form.mnuLlenguaPagina)->isChecked());
    EXPECT_FALSE(form.Speech.FollowPageLanguage());
    EXPECT_TRUE(form.mnuCastella.Checked());
    EXPECT_FALSE(form.mnuCatala.Checked());
    EXPECT_EQ(form.Speech.CatalanActive, false) << "the library speaks Castilian";
    EXPECT_TRUE(form.mnuEscaneig.Checked());
    EXPECT_TRUE(form.TimerEscaneig->Enabled());
  }
}

}  // namespace
}  // namespace sonavia::qt
