// Qt strings at the edge of the core, whose texts are UTF-8, and file
// paths, which are bytes as the system names them.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QUrl>
#include <string>

namespace sonavia::qt {

inline QString FromCore(const std::string& text) {
  return QString::fromStdString(text);
}

inline std::string ToCore(const QString& text) {
  return text.toStdString();
}

// A path as the system names it: a name that is no UTF-8 (Latin-1 bytes
// from another system) keeps its bytes.
inline std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// The local file a file address names, as bytes: QUrl::toLocalFile would
// turn an escaped byte that is no UTF-8 into a replacement character.
inline std::string LocalPathBytes(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

}  // namespace sonavia::qt
