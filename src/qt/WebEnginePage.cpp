#include "qt/WebEnginePage.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include "qt/PageScripts.h"
#include "qt/WebEngineSetup.h"

namespace sonavia::qt {

namespace {

// What a page may write to its console, a second: enough for a page's own
// errors to show, too few to keep the program busy.
constexpr int kConsoleMessagesASecond = 20;

QString NewChannelPrefix() {
  quint64 secret[2];
  QRandomGenerator::system()->fillRange(secret);
  return QStringLiteral("\x01sonavia-%1%2:")
      .arg(secret[0], 16, 16, QLatin1Char('0'))
      .arg(secret[1], 16, 16, QLatin1Char('0'));
}

// Runs `source` in every frame's document as it is created, before the
// page's own scripts, in the program's world or in the page's.
QWebEngineScript EveryDocument(const QString& name, const QString& source,
                               quint32 world = QWebEngineScript::ApplicationWorld) {
  QWebEngineScript script;
  script.setName(name);
  script.setSourceCode(source);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(world);
  script.setRunsOnSubFrames(true);
  return script;
}

}  // namespace

WebEnginePage::WebEnginePage(QObject* parent, PageDialogs& dialogs, Reports reports)
    : QWebEnginePage(QWebEngineProfile::defaultProfile(), parent),
      prefix_(NewChannelPrefix()),
      dialogs_(dialogs),
      reports_(std::move(reports)) {
  // Off, this setting keeps a local page from every other file, its own
  // pictures and frames included. It stays on, and the program's guard
  // (LocalFileGuard) keeps the page's scripts from local files and lets it
  // show only what lies in its own folder.
  settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  const QJsonObject collector{{QStringLiteral("collector"), QString::fromLatin1(PageCollector())}};
  scripts().insert(EveryDocument(QStringLiteral("sonavia-shared"),
                                 PageScriptCall(PageScript::Shared, collector)));
  scripts().insert(EveryDocument(QStringLiteral("sonavia-hide-collector"),
                                 PageScriptCall(PageScript::HideCollector, collector),
                                 QWebEngineScript::MainWorld));
  scripts().insert(EveryDocument(
      QStringLiteral("sonavia-quiet-console"),
      PageScriptCall(PageScript::QuietConsole, {{QStringLiteral("most"), kConsoleMessagesASecond}}),
      QWebEngineScript::MainWorld));
  scripts().insert(
      EveryDocument(QStringLiteral("sonavia-events"),
                    PageScriptCall(PageScript::Events, {{QStringLiteral("prefix"), prefix_}})));
}

void WebEnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                             int, const QString&) {
  if (message.startsWith(prefix_)) reports_(message.mid(prefix_.size()));
}

void WebEnginePage::javaScriptAlert(const QUrl&, const QString& message) {
  dialogs_.Run(PageDialogs::Kind::Alert, message, nullptr);
}

bool WebEnginePage::javaScriptConfirm(const QUrl&, const QString& message) {
  // The engine asks before leaving a page through this call too, with its
  // own fixed text.
  const bool leaving =
      message == QCoreApplication::translate("QWebEnginePage",
                                             "Are you sure you want to leave this page? Changes "
                                             "that you made may not be saved.");
  if (leaving) {
    return dialogs_.Run(PageDialogs::Kind::Leave,
                        QStringLiteral("Voleu sortir d'aquesta p\u00e0gina? Potser no es desaran "
                                       "els canvis que hi heu fet."),
                        nullptr);
  }
  return dialogs_.Run(PageDialogs::Kind::Confirm, message, nullptr);
}

bool WebEnginePage::javaScriptPrompt(const QUrl&, const QString& message,
                                     const QString& defaultValue, QString* result) {
  QString text = defaultValue;
  const bool accepted = dialogs_.Run(PageDialogs::Kind::Prompt, message, &text);
  if (accepted && result != nullptr) *result = text;
  return accepted;
}

}  // namespace sonavia::qt

namespace sonavia::qt {

QStringList WebEnginePage::chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                                       const QStringList& acceptedMimeTypes) {
  return chooser_ ? chooser_(mode, oldFiles, acceptedMimeTypes) : QStringList();
}

}  // namespace sonavia::qt
