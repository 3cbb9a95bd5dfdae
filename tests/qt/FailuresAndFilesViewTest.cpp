// Through the real engine: a page that cannot be opened is told in a
// sentence of ours and its error page never read; a file the engine does
// not show is saved beside the others and the page shown stays.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTcpServer>

#include "qt/BrowserFixture.h"
#include "qt/DownloadSaver.h"
#include "qt/LocalServer.h"
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

}  // namespace
}  // namespace sonavia::qt
