// A small web server on 127.0.0.1 for hostile page shapes: each path has a
// body, a content type and a delay before it is sent.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <map>
#include <string>

namespace sonavia::qt::testing {

class LocalServer {
 public:
  struct Reply {
    QByteArray body;
    int delayMs = 0;
    QByteArray type = "text/html; charset=utf-8";
  };
  // Given the path with its query, the reply; paths not answered get 404.
  using Routes = std::function<bool(const QString& path, Reply& reply)>;

  explicit LocalServer(Routes routes) : routes_(std::move(routes)) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) Serve(socket);
    });
  }
  std::string Address(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
  }
  int Requests() const { return requests_; }

 private:
  void Serve(QTcpSocket* socket) {
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
      request_[socket] += socket->readAll();
      const QByteArray& got = request_[socket];
      if (!got.contains("\r\n\r\n")) return;
      const QList<QByteArray> first = got.left(got.indexOf("\r\n")).split(' ');
      request_.erase(socket);
      ++requests_;
      Reply reply;
      const QString path = first.size() > 1 ? QString::fromLatin1(first[1]) : QString();
      const bool found = routes_(path, reply);
      QByteArray head = found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
      head += "Content-Type: " + reply.type +
              "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
              "\r\nCache-Control: no-store\r\n" + "Connection: close\r\n\r\n";
      QPointer<QTcpSocket> alive(socket);
      QTimer::singleShot(reply.delayMs, socket, [alive, data = head + reply.body] {
        if (alive == nullptr) return;
        alive->write(data);
        alive->disconnectFromHost();
      });
    });
  }

  Routes routes_;
  QTcpServer server_;
  std::map<QTcpSocket*, QByteArray> request_;
  int requests_ = 0;
};

}  // namespace sonavia::qt::testing
