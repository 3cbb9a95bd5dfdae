// A small web server on 127.0.0.1 for the Qt tests, answering on the
// test's own event loop and keeping the request lines it was sent. Either
// the pages are given by path (any other path gets a page titled "Desti",
// so that any address a link leads to loads), or a route decides each
// reply, its type and a delay before it is sent (404 when it declines).
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sonavia::qt::testing {

class LocalServer : public QObject {
 public:
  struct Reply {
    QByteArray body;
    int delayMs = 0;
    QByteArray type = "text/html; charset=utf-8";
    // The body is sent without its length and the connection held open, as
    // a server does that has more to send and never sends it.
    bool holdOpen = false;
  };
  // Given the path with its query, fills the reply; false for a 404.
  using Routes = std::function<bool(const QString& path, Reply& reply)>;

  LocalServer() : LocalServer(Routes()) {}
  explicit LocalServer(Routes routes) : routes_(std::move(routes)) {
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }

  // "http://127.0.0.1:PORT" followed by `path`.
  std::string Address(const std::string& path = "/") const {
    return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
  }
  int Port() const { return server_.serverPort(); }
  // The page served at `path` (without its query).
  void Page(const std::string& path, const std::string& html) { pages_[path] = html; }
  int Requests() const { return static_cast<int>(requests.size()); }

  std::vector<std::string> requests;  // "GET /path?query"

 private:
  void Read(QTcpSocket* socket) {
    QByteArray& request = pending_[socket];
    request += socket->readAll();
    if (request.indexOf("\r\n\r\n") < 0) return;
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    pending_.erase(socket);
    const std::string target = line.size() > 1 ? line[1].toStdString() : "/";
    requests.push_back((line.isEmpty() ? std::string() : line[0].toStdString()) + " " + target);
    Reply reply;
    const bool found =
        routes_ ? routes_(QString::fromStdString(target), reply) : Lookup(target, reply);
    const QByteArray length = reply.holdOpen
                                  ? QByteArray()
                                  : "\r\nContent-Length: " + QByteArray::number(reply.body.size());
    const QByteArray head = QByteArray("HTTP/1.1 ") + (found ? "200 OK" : "404 Not Found") +
                            "\r\nContent-Type: " + reply.type +
                            "\r\nCache-Control: no-store\r\nConnection: close" + length +
                            "\r\n\r\n";
    QPointer<QTcpSocket> alive(socket);
    QTimer::singleShot(reply.delayMs, socket,
                       [alive, data = head + reply.body, hold = reply.holdOpen] {
                         if (alive == nullptr) return;
                         alive->write(data);
                         if (!hold) alive->disconnectFromHost();
                       });
  }

  bool Lookup(const std::string& target, Reply& reply) const {
    const std::string path = target.substr(0, target.find('?'));
    const auto page = pages_.find(path);
    if (page != pages_.end()) {
      reply.body = QByteArray::fromStdString(page->second);
    } else if (path == "/favicon.ico") {
      return false;
    } else {
      reply.body = "<html><head><title>Desti</title></head><body><p>Desti.</p></body></html>";
    }
    return true;
  }

  Routes routes_;
  QTcpServer server_;
  std::map<std::string, std::string> pages_;
  std::map<QTcpSocket*, QByteArray> pending_;
};

}  // namespace sonavia::qt::testing
