// A web server over TLS on 127.0.0.1 for the Qt tests, its certificate made
// by openssl when the server starts: trusted by nobody, expired, or issued
// for another name. Every path gets the same small page.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

namespace sonavia::qt::testing {

class TlsServer : public QObject {
 public:
  enum class Certificate { SelfSigned, Expired, OtherName };

  explicit TlsServer(Certificate kind) {
    if (!Make(kind)) return;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate_);
    tls.setPrivateKey(key_);
    server_.setSslConfiguration(tls);
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QSslServer::pendingConnectionAvailable, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
          if (!socket->readAll().contains("\r\n\r\n")) return;
          const QByteArray body =
              "<html><head><title>Secret</title></head><body>"
              "<p>Contingut secret.</p></body></html>";
          socket->write(
              "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
              "Content-Length: " +
              QByteArray::number(body.size()) + "\r\n\r\n" + body);
          socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }

  bool Ready() const { return server_.isListening(); }
  std::string Address() const {
    return "https://127.0.0.1:" + std::to_string(server_.serverPort()) + "/";
  }

 private:
  bool Run(const QStringList& arguments) {
    QProcess openssl;
    openssl.setWorkingDirectory(dir_.path());
    openssl.start(QStringLiteral("openssl"), arguments);
    return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
  }

  bool Make(Certificate kind) {
    const QString name = kind == Certificate::OtherName ? QStringLiteral("example.org")
                                                        : QStringLiteral("127.0.0.1");
    const QString san = kind == Certificate::OtherName ? QStringLiteral("DNS:example.org")
                                                       : QStringLiteral("IP:127.0.0.1");
    bool made = false;
    if (kind == Certificate::Expired) {
      // Only the signing of a certificate authority takes a date in the past.
      QFile config(dir_.filePath(QStringLiteral("ca.cnf")));
      config.open(QIODevice::WriteOnly);
      config.write(
          "[ca]\ndefault_ca = d\n[d]\ndatabase = index.txt\nnew_certs_dir = .\n"
          "serial = serial\ndefault_md = sha256\npolicy = p\ncopy_extensions = copy\n"
          "[p]\ncommonName = supplied\n");
      config.close();
      QFile(dir_.filePath(QStringLiteral("index.txt"))).open(QIODevice::WriteOnly);
      QFile serial(dir_.filePath(QStringLiteral("serial")));
      serial.open(QIODevice::WriteOnly);
      serial.write("01\n");
      serial.close();
      made = Run({"req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", "key.pem", "-out",
                  "req.csr", "-subj", "/CN=" + name, "-addext", "subjectAltName=" + san}) &&
             Run({"ca", "-batch", "-config", "ca.cnf", "-selfsign", "-keyfile", "key.pem", "-in",
                  "req.csr", "-out", "cert.pem", "-startdate", "20200101000000Z", "-enddate",
                  "20200102000000Z"});
    } else {
      made = Run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "key.pem", "-out",
                  "cert.pem", "-days", "30", "-subj", "/CN=" + name, "-addext",
                  "subjectAltName=" + san});
    }
    if (!made) return false;
    QFile cert(dir_.filePath(QStringLiteral("cert.pem")));
    QFile key(dir_.filePath(QStringLiteral("key.pem")));
    if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)) return false;
    const auto certificates = QSslCertificate::fromData(cert.readAll(), QSsl::Pem);
    if (certificates.isEmpty()) return false;
    certificate_ = certificates.first();
    key_ = QSslKey(key.readAll(), QSsl::Rsa, QSsl::Pem);
    return !key_.isNull();
  }

  QTemporaryDir dir_;
  QSslServer server_;
  QSslCertificate certificate_;
  QSslKey key_;
};

}  // namespace sonavia::qt::testing
