#include "qt/OneWindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace sonavia::qt {

namespace {

constexpr char kComeForward[] = "come-forward\n";
// A program that holds the socket answers within this; one that is stopped
// or hung counts as gone.
constexpr int kAnswerWait = 1000;

}  // namespace

QString OneWindow::SocketName(const QString& settingsPath) {
  // The file's real place: two names for one file are one file.
  const QFileInfo info(settingsPath);
  const QString file = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
  const QByteArray hash =
      QCryptographicHash::hash(file.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  return folder + QStringLiteral("/sonavia-") + QString::fromLatin1(hash);
}

OneWindow::OneWindow(const QString& name, QObject* parent) : QObject(parent) {
  QLocalSocket other;
  other.connectToServer(name);
  if (other.waitForConnected(kAnswerWait)) {
    other.write(kComeForward);
    elsewhere_ = other.waitForBytesWritten(kAnswerWait);
    other.disconnectFromServer();
    if (elsewhere_) return;
  }
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // Nobody answered: what is there is a killed program's socket.
  if (!server_->listen(name)) {
    QLocalServer::removeServer(name);
    server_->listen(name);
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        // Only the one request is understood; anything else is dropped.
        const QByteArray request = socket->readAll();
        if (request.startsWith(kComeForward) && asked_) asked_();
        socket->disconnectFromServer();
      });
    }
  });
}

OneWindow::~OneWindow() = default;

}  // namespace sonavia::qt
