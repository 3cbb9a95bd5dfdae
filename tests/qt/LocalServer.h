// A small web server on 127.0.0.1 for the Qt tests: it answers every GET
// on the test's own event loop, with the page given for the path, or else
// a page titled "Desti" (so that any address a link leads to loads), and
// keeps the request lines it was sent.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <string>
#include <vector>

namespace sonavia::qt::testing {

class LocalServer : public QObject {
 public:
  LocalServer() {
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

  std::vector<std::string> requests;  // "GET /path?query"

 private:
  void Read(QTcpSocket* socket) {
    QByteArray& request = pending_[socket];
    request += socket->readAll();
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0) return;
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    pending_.erase(socket);
    const std::string target = line.size() > 1 ? line[1].toStdString() : "/";
    requests.push_back((line.isEmpty() ? std::string() : line[0].toStdString()) + " " + target);
    const std::string path = target.substr(0, target.find('?'));
    const auto page = pages_.find(path);
    QByteArray status = "200 OK";
    QByteArray body;
    if (page != pages_.end()) {
      body = QByteArray::fromStdString(page->second);
    } else if (path == "/favicon.ico") {
      status = "404 Not Found";
    } else {
      body = "<html><head><title>Desti</title></head><body><p>Desti.</p></body></html>";
    }
    socket->write("HTTP/1.1 " + status +
                  "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\n"
                  "Connection: close\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
    socket->disconnectFromHost();
  }

  QTcpServer server_;
  std::map<std::string, std::string> pages_;
  std::map<QTcpSocket*, QByteArray> pending_;
};

}  // namespace sonavia::qt::testing
