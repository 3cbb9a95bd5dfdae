// The engine's page as the program hosts it. The program's own scripts are
// installed in every document, in a script world of their own, and report
// back through console messages that begin with a secret chosen at each
// start: the page's own scripts can neither read it nor forge a report. The
// page's dialogs are shown by the program.
#pragma once

#include <QString>
#include <QStringList>
#include <QWebEnginePage>
#include <functional>

#include "qt/PageDialogs.h"

namespace sonavia::qt {

class WebEnginePage : public QWebEnginePage {
 public:
  // Receives what the program's scripts report, the secret taken off.
  using Reports = std::function<void(const QString& report)>;

  WebEnginePage(QObject* parent, PageDialogs& dialogs, Reports reports);
  // What begins the program's reports among the page's console messages.
  const QString& ReportPrefix() const { return prefix_; }

  // Answers the page's file chooser.
  using Chooser = std::function<QStringList(FileSelectionMode mode, const QStringList& oldFiles,
                                            const QStringList& acceptedMimeTypes)>;
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override;
  void javaScriptAlert(const QUrl& origin, const QString& message) override;
  bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
  bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                        QString* result) override;
  QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                          const QStringList& acceptedMimeTypes) override;

 private:
  QString prefix_;
  PageDialogs& dialogs_;
  Reports reports_;
  Chooser chooser_;
};

}  // namespace sonavia::qt
