// Keeps the engine from opening as a file anything but a regular file or a
// folder: a page, a frame, a picture or a script alike. A named pipe would
// hold one of the engine's threads until some writer came, and the
// program's close with it; a device such as /dev/zero would never end.
// It also keeps a page's scripts from every local file (no fetch, no
// XMLHttpRequest reaches one), and lets a local page show only files of its
// own folder and the folders within it: pictures and frames that resolve
// elsewhere, through a link included, are refused. Following a link stays
// as the link rules say.
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
