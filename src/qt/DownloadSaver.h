// Saves what the engine does not show (an archive, a program, any file it
// cannot display) to the desktop's download folder, under a name that
// overwrites nothing, and reports each file's start, progress and end. A
// PDF is not saved but shown: its text made a page, read like any other.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>

#include "shell/BrowserComponent.h"

class QWebEngineDownloadRequest;
class QWebEnginePage;

namespace sonavia::qt {

class DownloadSaver : public QObject {
 public:
  using Report = std::function<void(const shell::FileSave& file)>;
  // Takes the downloads of `page`, whose child it becomes.
  DownloadSaver(QWebEnginePage* page, Report report);

  // The desktop's download folder (`xdg-user-dir DOWNLOAD`), else
  // ~/Downloads; another one for tests.
  QString Folder() const;
  void SetFolder(const QString& folder) { folder_ = folder; }
  // Shows the folder in the desktop's file manager.
  void OpenFolder() const;

 private:
  void Take(QWebEngineDownloadRequest* download);
  // Fetches a PDF to a folder of its own and shows its text as a page.
  void TakeDocument(QWebEngineDownloadRequest* download);
  // False when it cannot be read (damaged, or locked by a password).
  bool ShowDocument(const QString& path, const QUrl& address, const QString& name);

  QWebEnginePage* page_;
  Report report_;
  QString folder_;
  QSet<QString> saving_;  // paths of files still being saved
  uint32_t count_ = 0;
  QTemporaryDir documents_;
};

}  // namespace sonavia::qt
