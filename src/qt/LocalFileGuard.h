// Keeps the engine from opening as a file anything but a regular file or a
// folder: a page, a frame, a picture or a script alike. A named pipe would
// hold one of the engine's threads until some writer came, and the
// program's close with it; a device such as /dev/zero would never end.
#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

class QWebEnginePage;

namespace sonavia::qt {

class LocalFileGuard : public QWebEngineUrlRequestInterceptor {
 public:
  // Installed on `page`, whose child it becomes.
  explicit LocalFileGuard(QWebEnginePage* page);

  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

  // Why a page's address was refused, for its failure message; empty when
  // it was not.
  QString Refusal(const QUrl& address) const;

 private:
  QUrl refused_;
  QString reason_;
};

}  // namespace sonavia::qt
