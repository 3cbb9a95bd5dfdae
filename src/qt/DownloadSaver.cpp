#include "qt/DownloadSaver.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "qt/QtText.h"
#include "shell/DocumentPage.h"
#include "shell/Downloads.h"

namespace sonavia::qt {

namespace {

shell::SaveFailure FailureOf(QWebEngineDownloadRequest::DownloadInterruptReason reason) {
  using R = QWebEngineDownloadRequest;
  switch (reason) {
    case R::FileFailed:
    case R::FileAccessDenied:
    case R::FileNoSpace:
    case R::FileNameTooLong:
    case R::FileTooLarge:
    case R::FileTransientError:
      return shell::SaveFailure::Disk;
    case R::NetworkFailed:
    case R::NetworkTimeout:
    case R::NetworkDisconnected:
      return shell::SaveFailure::Network;
    case R::ServerFailed:
    case R::ServerBadContent:
    case R::ServerUnauthorized:
    case R::ServerCertProblem:
    case R::ServerForbidden:
    case R::ServerUnreachable:
      return shell::SaveFailure::Server;
    case R::UserCanceled:
      return shell::SaveFailure::Cancelled;
    default:
      return shell::SaveFailure::Other;
  }
}

}  // namespace

DownloadSaver::DownloadSaver(QWebEnginePage* page, Report report)
    : QObject(page), page_(page), report_(std::move(report)) {
  connect(page->profile(), &QWebEngineProfile::downloadRequested, this,
          [this](QWebEngineDownloadRequest* download) {
            // The profile is shared: each page takes its own.
            if (download->page() == page_ && !download->isSavePageDownload()) Take(download);
          });
}

QString DownloadSaver::Folder() const {
  if (!folder_.isEmpty()) return folder_;
  // Qt reads the same user-dirs.dirs as xdg-user-dir.
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  return folder.isEmpty() || folder == QDir::homePath()
             ? QDir::home().filePath(QStringLiteral("Downloads"))
             : folder;
}

void DownloadSaver::OpenFolder() const {
  const QString folder = Folder();
  QDir().mkpath(folder);
  QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DownloadSaver::Take(QWebEngineDownloadRequest* download) {
  if (download->mimeType() == QStringLiteral("application/pdf") ||
      download->downloadFileName().endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    TakeDocument(download);
    return;
  }
  const QString folder = Folder();
  QDir().mkpath(folder);
  const QDir dir(folder);
  const std::string name = shell::FreeFileName(
      ToCore(download->downloadFileName()), [this, &dir](const std::string& candidate) {
        const QString path = dir.filePath(FromCore(candidate));
        return QFileInfo::exists(path) || saving_.contains(path);
      });
  const QString path = dir.filePath(FromCore(name));
  saving_.insert(path);
  download->setDownloadDirectory(folder);
  download->setDownloadFileName(FromCore(name));
  shell::FileSave file;
  file.id = ++count_;
  file.name = name;
  report_(file);
  connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, [this, download, file] {
    shell::FileSave progress = file;
    progress.stage = shell::FileSaveStage::Progress;
    progress.received = download->receivedBytes();
    progress.total = download->totalBytes();
    report_(progress);
  });
  connect(download, &QWebEngineDownloadRequest::stateChanged, this,
          [this, download, file, path](QWebEngineDownloadRequest::DownloadState state) {
            shell::FileSave end = file;
            if (state == QWebEngineDownloadRequest::DownloadCompleted) {
              end.stage = shell::FileSaveStage::Saved;
            } else if (state == QWebEngineDownloadRequest::DownloadInterrupted) {
              end.stage = shell::FileSaveStage::Failed;
              end.failure = FailureOf(download->interruptReason());
            } else if (state == QWebEngineDownloadRequest::DownloadCancelled) {
              end.stage = shell::FileSaveStage::Failed;
              end.failure = shell::SaveFailure::Cancelled;
            } else {
              return;
            }
            saving_.remove(path);
            report_(end);
          });
  download->accept();
}

void DownloadSaver::TakeDocument(QWebEngineDownloadRequest* download) {
  const uint32_t id = ++count_;
  const QString name = download->downloadFileName();
  download->setDownloadDirectory(documents_.path());
  download->setDownloadFileName(QStringLiteral("%1.pdf").arg(id));
  connect(download, &QWebEngineDownloadRequest::stateChanged, this,
          [this, download, id, name](QWebEngineDownloadRequest::DownloadState state) {
            if (state != QWebEngineDownloadRequest::DownloadCompleted &&
                state != QWebEngineDownloadRequest::DownloadInterrupted) {
              return;
            }
            const QString path =
                QDir(download->downloadDirectory()).filePath(download->downloadFileName());
            const bool shown = state == QWebEngineDownloadRequest::DownloadCompleted &&
                               ShowDocument(path, download->url(), name);
            QFile::remove(path);
            if (shown) return;
            shell::FileSave failed;
            failed.id = id;
            failed.name = ToCore(name);
            failed.stage = shell::FileSaveStage::Failed;
            failed.failure = state == QWebEngineDownloadRequest::DownloadInterrupted
                                 ? FailureOf(download->interruptReason())
                                 : shell::SaveFailure::Other;
            report_(failed);
          });
  download->accept();
}

bool DownloadSaver::ShowDocument(const QString& path, const QUrl& address, const QString& name) {
  QPdfDocument pdf;
  if (pdf.load(path) != QPdfDocument::Error::None) return false;
  std::vector<std::string> pages;
  for (int i = 0; i < pdf.pageCount(); ++i) pages.push_back(ToCore(pdf.getAllText(i).text()));
  QString title = pdf.metaData(QPdfDocument::MetaDataField::Title).toString().trimmed();
  if (title.isEmpty()) title = name;
  page_->setHtml(FromCore(shell::DocumentPageHtml(ToCore(title), pages)), address);
  return true;
}

}  // namespace sonavia::qt
