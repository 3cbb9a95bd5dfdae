#include "qt/LocalFileGuard.h"

#include <QFile>
#include <QFileInfo>
#include <QWebEnginePage>
#include <algorithm>

#include "qt/QtText.h"
#include "system/FileKind.h"

namespace sonavia::qt {

namespace {

QString Reason(system::FileKind kind) {
  switch (kind) {
    case system::FileKind::Missing:
      return QStringLiteral("no existeix");
    case system::FileKind::Special:
      return QStringLiteral("no \u00e9s un fitxer ni una carpeta");
    case system::FileKind::LinkLoop:
      return QStringLiteral("\u00e9s un enlla\u00e7 que torna sobre si mateix");
    default:
      return QStringLiteral("no s'hi pot accedir");
  }
}

// Requests a page's scripts make themselves: whatever they fetch, they read.
bool ScriptReads(QWebEngineUrlRequestInfo::ResourceType type) {
  return type == QWebEngineUrlRequestInfo::ResourceTypeXhr ||
         type == QWebEngineUrlRequestInfo::ResourceTypePing ||
         type == QWebEngineUrlRequestInfo::ResourceTypeCspReport ||
         type == QWebEngineUrlRequestInfo::ResourceTypePluginResource;
}

// Whether the file `url` names lies in `page`'s folder or below it, links
// followed, and not in a hidden file or folder there (a page saved in the
// home folder must not show its ".ssh").
bool InPagesFolder(const QUrl& url, const QUrl& page) {
  QString folder = QFileInfo(QFileInfo(page.toLocalFile()).absolutePath()).canonicalFilePath();
  const QString file = QFileInfo(url.toLocalFile()).canonicalFilePath();
  if (folder.isEmpty() || file.isEmpty()) return false;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  if (!file.startsWith(folder)) return false;
  const QStringList below = file.mid(folder.size()).split(QLatin1Char('/'));
  return std::none_of(below.begin(), below.end(),
                      [](const QString& part) { return part.startsWith(QLatin1Char('.')); });
}

}  // namespace

LocalFileGuard::LocalFileGuard(QWebEnginePage* page) : QWebEngineUrlRequestInterceptor(page) {
  page->setUrlRequestInterceptor(this);
}

void LocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QUrl url = info.requestUrl();
  const bool page = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
  // Each page's request answers for itself: a refusal told once is not
  // the reason for a later failure of the same address.
  if (page) {
    refused_.clear();
    reason_.clear();
  }
  if (!url.isLocalFile()) return;
  if (ScriptReads(info.resourceType())) {
    info.block(true);
    return;
  }
  const QUrl first = info.firstPartyUrl();
  if (!page && first.isLocalFile() && !InPagesFolder(url, first)) {
    info.block(true);
    return;
  }
  const system::FileKind kind = system::KindOfFile(LocalPathBytes(url));
  if (system::OpensAsFile(kind)) return;
  info.block(true);
  if (page) {
    refused_ = url;
    reason_ = Reason(kind);
  }
}

QString LocalFileGuard::Refusal(const QUrl& address) const {
  return address == refused_ ? reason_ : QString();
}

}  // namespace sonavia::qt
