// The engine's page as the program hosts it. The program's own scripts are
// installed in every document, in a script world of their own, and report
// back through console messages that begin with a secret chosen at each
// start: the page's own scripts can neither read it nor forge a report. The
// page's dialogs are shown by the program.
#pragma once

#include <QString>
#include <QWebEnginePage>
#include <functional>

#include "qt/PageDialogs.h"

namespace sonavia::qt {

class WebEnginePage : public QWebEnginePage {
 public:
  // Receives what the program's scripts report, the secret taken off.
  using Reports = std::function<void(const QString& report)>;

  WebEnginePage(QObject* parent, PageDialogs& dialogs, Reports reports);

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override;
  void javaScriptAlert(const QUrl& origin, const QString& message) override;
  bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
  bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                        QString* result) override;

 private:
  QString prefix_;
  PageDialogs& dialogs_;
  Reports reports_;
};

}  // namespace sonavia::qt
