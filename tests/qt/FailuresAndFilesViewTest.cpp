// Through the real engine: a page that cannot be opened is told in a
// sentence of ours and its error page never read; a file the engine does
// not show is saved beside the others and the page shown stays.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "qt/BrowserFixture.h"
#include "qt/DownloadSaver.h"
#include "qt/LocalServer.h"
#include "qt/PasswordWindow.h"
#include "qt/TlsServer.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using FailuresAndFilesViewTest = testing::BrowserFixture;
using Certificate = testing::TlsServer::Certificate;

TEST_F(FailuresAndFilesViewTest, ARefusedSiteIsOneSentenceOfOursAndNoPage) {
  testing::TlsServer selfSigned(Certificate::SelfSigned);
  testing::TlsServer expired(Certificate::Expired);
  testing::TlsServer otherName(Certificate::OtherName);
  ASSERT_TRUE(selfSigned.Ready() && expired.Ready() && otherName.Ready());
  testing::LocalServer server([](const QString& path, testing::LocalServer::Reply& reply) {
    reply.body = "<html><head><title>Inici</title></head><body><p>Hola.</p></body></html>";
    return path == "/";
  });
  // A port nobody listens on.
  QTcpServer closed;
  closed.listen(QHostAddress::LocalHost);
  const std::string refused = "http://127.0.0.1:" + std::to_string(closed.serverPort()) + "/";
  closed.close();
  const std::string invalid = "Aquest lloc no té un certificat vàlid; no l'obriré: ";
  const struct {
    std::string address;
    std::string said;
  } cases[] = {
      {selfSigned.Address(), invalid + "no és de confiança"},
      {expired.Address(), invalid + "ha caducat"},
      {otherName.Address(), invalid + "és d'un altre nom"},
      {refused, "Aquest lloc no accepta la connexió"},
      {"http://127.0.0.1:9/", "No he pogut obrir aquesta pàgina"},  // a port the engine bars
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Load(server.Address("/")));
    log.clear();
    browser->Navigate(c.address);
    ASSERT_TRUE(WaitFor([&] { return MessageWindow() != nullptr; })) << c.address;
    EXPECT_EQ(MessageWindow()->text().toStdString(), c.said);
    Pump(1500);
    EXPECT_EQ(topCompletions, 1) << c.address << ": no page is announced";
    EXPECT_FALSE(browser->Busy());
    MessageWindow()->close();
    topCompletions = 0;
  }
}

TEST_F(FailuresAndFilesViewTest, AFileIsSavedUnderAFreeNameAndThePageStays) {
  testing::LocalServer server([](const QString& path, testing::LocalServer::Reply& reply) {
    if (path == "/informe.zip") {
      reply.body = QByteArray(3000, 'z');
      reply.type = "application/zip";
      return true;
    }
    reply.body = "<html><head><title>Inici</title></head><body><p>Hola.</p></body></html>";
    return path == "/";
  });
  QDir folder(dir.filePath(QStringLiteral("baixades")));
  browser->Downloads().SetFolder(folder.path());
  ASSERT_TRUE(Load(server.Address("/")));
  std::vector<std::string> saving;
  browser->events.FileSaving = [&](const shell::FileSave& file) {
    if (file.stage != shell::FileSaveStage::Progress)
      saving.push_back(std::to_string(static_cast<int>(file.stage)) + " " + file.name);
  };
  int kept = 0;
  browser->events.PageKept = [&] { ++kept; };
  for (int i = 0; i < 2; ++i) {
    browser->Navigate(server.Address("/informe.zip"));
    ASSERT_TRUE(WaitFor([&] { return saving.size() == 2u * (i + 1); }));
  }
  Pump(1000);
  EXPECT_EQ(saving, (std::vector<std::string>{"0 informe.zip", "2 informe.zip", "0 informe (1).zip",
                                              "2 informe (1).zip"}));
  EXPECT_EQ(kept, 2);
  EXPECT_EQ(topCompletions, 1) << "no page is announced for a file";
  EXPECT_EQ(browser->LocationURL(), server.Address("/"));
  QFile saved(folder.filePath(QStringLiteral("informe (1).zip")));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), QByteArray(3000, 'z'));
}

// A PDF of `pages`, each a line of text, or a grey box for an empty one.
QByteArray Pdf(const QStringList& pages, const QString& title) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(title);
  QPainter painter(&writer);
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
  for (int i = 0; i < pages.size(); ++i) {
    if (i > 0) writer.newPage();
    if (pages[i].isEmpty()) {
      painter.fillRect(QRect(100, 100, 2000, 2000), Qt::gray);
    } else {
      painter.drawText(QPoint(200, 400), pages[i]);
    }
  }
  painter.end();
  return buffer.data();
}

TEST_F(FailuresAndFilesViewTest, APdfIsShownAsAPageOfItsText) {
  const QByteArray text =
      Pdf({QStringLiteral("Primera plana de l'acta."), QStringLiteral("Segona plana.")},
          QStringLiteral("Acta del consell"));
  const QByteArray scan = Pdf({QString()}, QString());
  testing::LocalServer server([&](const QString& path, testing::LocalServer::Reply& reply) {
    reply.type = "application/pdf";
    reply.body = path == "/acta.pdf" ? text : scan;
    return path == "/acta.pdf" || path == "/escanejat.pdf";
  });
  const struct {
    std::string path;
    std::string title;
    std::vector<std::string> read;
  } cases[] = {
      {"/acta.pdf",
       "Acta del consell",
       {"Pàgina 1", "Primera plana de l'acta.", "Pàgina 2", "Segona plana."}},
      {"/escanejat.pdf",
       "escanejat.pdf",
       {"Aquest document no té text per llegir; potser és una imatge escanejada."}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Load(server.Address(c.path))) << c.path;
    const shell::BrowserDocument& document = browser->Document();
    EXPECT_EQ(document.Title(), c.title);
    size_t at = 0;
    for (const std::string& part : c.read) {
      at = document.body_outerHtml().find(part, at);
      EXPECT_NE(at, std::string::npos) << part << " in " << document.body_outerHtml();
    }
    EXPECT_EQ(browser->LocationURL(), server.Address(c.path));
  }
}

// A site behind a password ("anna", "secret"), its page with six pictures
// behind the same password; without it, a page of its own.
class PasswordServer : public QObject {
 public:
  PasswordServer() {
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
          const QByteArray request = socket->readAll();
          if (!request.contains("\r\n\r\n")) return;
          const bool known =
              request.contains("Authorization: Basic " + QByteArray("anna:secret").toBase64());
          const bool picture = request.startsWith("GET /foto");
          QByteArray body = picture ? QByteArray("<svg xmlns='http://www.w3.org/2000/svg'/>")
                                    : QByteArray("<html><head><title>Secret</title></head><body>");
          if (!picture) {
            for (int i = 0; i < 6; ++i)
              body += "<img src='/foto" + QByteArray::number(i) + ".svg'>";
            body += "<p>Contingut secret.</p></body></html>";
          }
          if (!known)
            body =
                "<html><head><title>Tancat</title></head><body><p>Cal "
                "contrasenya.</p></body></html>";
          socket->write(QByteArray(known ? "HTTP/1.1 200 OK" : "HTTP/1.1 401 Unauthorized") +
                        "\r\nWWW-Authenticate: Basic realm=\"Zona\"\r\nContent-Type: " +
                        (picture && known ? "image/svg+xml" : "text/html") +
                        "\r\nConnection: close\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\n\r\n" + body);
          socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }
  std::string Address() const {
    return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/";
  }

 private:
  QTcpServer server_;
};

std::vector<QDialog*> PasswordWindows() {
  std::vector<QDialog*> found;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(w);
    if (dialog != nullptr && dialog->isVisible() &&
        dialog->windowTitle() == QString::fromUtf8(kPasswordWindowTitle))
      found.push_back(dialog);
  }
  return found;
}

// The window holds its own loop: what the user does in it is done from a
// timer that runs there. Records the most windows ever open at once.
struct PasswordUser : QObject {
  explicit PasswordUser(std::function<void(QDialog*)> act) {
    auto* timer = new QTimer(this);
    QObject::connect(timer, &QTimer::timeout, this, [this, timer, act = std::move(act)] {
      const auto open = PasswordWindows();
      most = std::max(most, open.size());
      if (open.empty() || acting) return;
      if (acted) {
        // Asked again: counted, and closed so that the test goes on.
        ++again;
        open.front()->reject();
        return;
      }
      acting = true;
      // Looked at a little later, so that a second window would be there.
      QTimer::singleShot(500, this, [this, act, timer] {
        const auto still = PasswordWindows();
        most = std::max(most, still.size());
        if (!still.empty()) act(still.front());
        acting = false;
        acted = true;
        (void)timer;
      });
    });
    timer->start(50);
  }
  size_t most = 0;
  int again = 0;
  bool acting = false, acted = false;
};

TEST_F(FailuresAndFilesViewTest, APasswordIsAskedOnceInOneWindowAndEscapeCancels) {
  PasswordServer server;
  int opened = 0;
  browser->events.PageWindowOpened = [&](shell::PageWindowKind kind) {
    if (kind == shell::PageWindowKind::Password) ++opened;
  };
  // Answered: the page and its pictures come, one window asked.
  QStringList names;
  bool focused = false;
  {
    PasswordUser user([&](QDialog* asked) {
      const auto fields = asked->findChildren<QLineEdit*>();
      for (QLineEdit* field : fields) names << field->accessibleName();
      if (fields.size() != 2) return;
      focused = fields[0]->hasFocus();
      fields[0]->setText(QStringLiteral("anna"));
      fields[1]->setText(QStringLiteral("secret"));
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QCoreApplication::sendEvent(fields[1], &enter);
    });
    browser->Navigate(server.Address());
    ASSERT_TRUE(WaitFor([&] { return topCompletions > 0; }));
    Pump(1000);
    EXPECT_EQ(user.most, 1u);
  }
  EXPECT_EQ(names, (QStringList{QStringLiteral("Nom d'usuari"), QStringLiteral("Contrasenya")}));
  EXPECT_TRUE(focused);
  EXPECT_EQ(browser->Document().Title(), "Secret");
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(PasswordWindows().empty());

  // Cancelled: the server's own page is read, and the site asks no more.
  PasswordServer other;
  opened = 0;
  {
    PasswordUser user([](QDialog* asked) {
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(asked, &escape);
    });
    browser->Navigate(other.Address());
    ASSERT_TRUE(WaitFor([&] { return topCompletions > 1; }));
    EXPECT_EQ(browser->Document().Title(), "Tancat");
    ASSERT_TRUE(Load(other.Address()));
    EXPECT_EQ(user.most, 1u);
    EXPECT_EQ(user.again, 0);
  }
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(PasswordWindows().empty());
  EXPECT_EQ(MessageWindow(), nullptr);
}

}  // namespace
}  // namespace sonavia::qt
