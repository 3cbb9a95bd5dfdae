// Named pipes, devices, sockets, folders and loops of links given as files,
// from every way the user opens one: the command line, the open dialog, a
// drop on the window and a link in a local page. Only regular files and
// folders are opened; anything else gets its failure message at once, and
// the window never waits on it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "qt/ProgramParts.h"
#include "qt/QtText.h"
#include "qt/Stalls.h"
#include "system/CommandLine.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::Stalls;

void WriteFile(const QString& path, const QByteArray& html) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(html);
}

class HostileFiles : public ::testing::Test {
 public:
  void SetUp() override {
    const QString d = dir.path();
    WriteFile(d + "/index.htm",
              "<html><head><title>Inici</title></head><body><p>Hola.</p>"
              "</body></html>");
    ASSERT_EQ(::mkfifo((d + "/canonada.htm").toLocal8Bit().constData(), 0600), 0);
    QDir(d).mkdir(QStringLiteral("carpeta"));
    ASSERT_EQ(::symlink("bucle-b.htm", (d + "/bucle-a.htm").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("bucle-a.htm", (d + "/bucle-b.htm").toLocal8Bit().constData()), 0);
    socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = (d + "/endoll.htm").toLocal8Bit();
    ASSERT_LT(static_cast<size_t>(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), socketPath.size() + 1);
    ASSERT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    parts.Start();
    window.resize(1000, 700);
    window.show();
    ASSERT_TRUE(WaitFor([&] { return Title() == "Inici"; }));
    // The failure messages are closed by the test itself.
    form->TimerControlSituacio->SetEnabled(false);
  }
  void TearDown() override {
    CloseMessages();
    form->Speech.FreeSpeechEngine();
    ::close(socket_);
  }

  std::string Title() {
    try {
      return window.Browser().Busy() ? std::string() : window.Browser().Document().Title();
    } catch (const shell::BrowserError&) {
      return {};
    }
  }
  static QMessageBox* Message() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box != nullptr && box->isVisible() &&
          box->windowTitle() == QString::fromLatin1(shell::kNavigationErrorTitle))
        return box;
    }
    return nullptr;
  }
  static void CloseMessages() {
    while (QMessageBox* box = Message()) {
      box->close();
      delete box;
    }
  }

  testing::NoLibrary noLibrary;
  testing::ProgramParts parts{noLibrary};
  QTemporaryDir& dir = parts.dir;
  std::unique_ptr<shell::TFormPrincipal>& form = parts.form;
  MainWindowView& window = parts.window;
  int socket_ = -1;
};

// Whether some reader holds the pipe open, as the engine would while it
// waits for a writer.
bool PipeHasReader(const QString& path) {
  const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
  if (fd < 0) return false;  // ENXIO: nobody reads it
  ::close(fd);
  return true;
}

struct Way {
  const char* name;
  std::function<void(HostileFiles&, const QString& path)> open;
};

TEST_F(HostileFiles, OnlyRegularFilesAndFoldersOpenAndTheRestFailsAtOnce) {
  const QString d = dir.path();
  WriteFile(d + "/enllacos.htm",
            "<html><head><title>Enllacos</title></head><body style='font-size:30px'>"
            "<a id='canonada.htm' href='canonada.htm'>canonada</a><br>"
            "<a id='zero' href='file:///dev/zero'>zero</a><br>"
            "<a id='endoll.htm' href='endoll.htm'>endoll</a><br>"
            "<a id='bucle-a.htm' href='bucle-a.htm'>bucle</a><br>"
            "<a id='carpeta' href='carpeta'>carpeta</a></body></html>");
  const Way ways[] = {
      {"the command line",
       [](HostileFiles& t, const QString& path) {
         t.form->SetStartAddress(system::AddressForArgument(
             path.toStdString(), "/",
             [](const std::string& p) { return QFileInfo::exists(QString::fromStdString(p)); }));
         t.form->OpenStartPage();
       }},
      {"the open dialog",
       [](HostileFiles& t, const QString& path) {
         t.form->OpenFileDialog.OnExecute = [path](const platform::OpenDialog&) {
           return std::optional<std::string>(ToCore(path));
         };
         t.form->MenuObrirClick();
       }},
      {"a drop",
       [](HostileFiles& t, const QString& path) {
         QMimeData mime;
         mime.setUrls({QUrl::fromLocalFile(path)});
         const QPoint at(300, 300);
         QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
         QCoreApplication::sendEvent(&t.window, &enter);
         QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
         QCoreApplication::sendEvent(&t.window, &drop);
       }},
      {"a link in a local page",
       [](HostileFiles& t, const QString& path) {
         t.form->FormDropFiles({ToCore(t.dir.filePath(QStringLiteral("enllacos.htm")))});
         ASSERT_TRUE(WaitFor([&] { return t.Title() == "Enllacos"; }));
         const QString id = path.startsWith(QStringLiteral("/dev/")) ? QStringLiteral("zero")
                                                                     : QFileInfo(path).fileName();
         QVariant box;
         bool done = false;
         t.window.Browser().View()->page()->runJavaScript(
             QStringLiteral("var r = document.getElementById('%1').getBoundingClientRect();"
                            "[r.x + 5, r.y + r.height / 2]")
                 .arg(id),
             [&](const QVariant& v) {
               box = v;
               done = true;
             });
         ASSERT_TRUE(WaitFor([&] { return done; }));
         const QVariantList r = box.toList();
         ASSERT_EQ(r.size(), 2);
         QWidget* page = t.window.Browser().View()->focusProxy();
         QTest::mouseClick(page, Qt::LeftButton, Qt::NoModifier,
                           QPoint(r[0].toInt(), r[1].toInt()));
       }},
  };
  struct Kind {
    const char* name;
    QString path;
    bool opens;
    const char* reason;  // in the failure message
  } const kinds[] = {
      {"a named pipe", d + "/canonada.htm", false, "no és un fitxer ni una carpeta"},
      {"an endless device", QStringLiteral("/dev/zero"), false, "no és un fitxer ni una carpeta"},
      {"a socket", d + "/endoll.htm", false, "no és un fitxer ni una carpeta"},
      {"a loop of links", d + "/bucle-a.htm", false, "torna sobre si mateix"},
      {"a folder", d + "/carpeta", true, nullptr},
  };
  qint64 longestStall = 0, slowestMessage = 0;
  for (const Way& way : ways) {
    for (const Kind& kind : kinds) {
      SCOPED_TRACE(std::string(way.name) + ", " + kind.name);
      form->FormDropFiles({ToCore(d + "/index.htm")});
      ASSERT_TRUE(WaitFor([&] { return Title() == "Inici"; }));
      Stalls stalls;
      QElapsedTimer clock;
      way.open(*this, kind.path);
      clock.start();
      if (kind.opens) {
        EXPECT_TRUE(WaitFor([&] {
          return window.Browser().LocationURL().find("/carpeta") != std::string::npos &&
                 !window.Browser().Busy();
        }));
        Pump(300);
        EXPECT_EQ(Message(), nullptr);
      } else {
        ASSERT_TRUE(WaitFor([&] { return Message() != nullptr; }, 5000));
        slowestMessage = std::max(slowestMessage, clock.elapsed());
        EXPECT_LT(clock.elapsed(), 1500) << "at once";
        EXPECT_NE(Message()->text().toStdString().find(kind.reason), std::string::npos)
            << Message()->text().toStdString();
        CloseMessages();
      }
      Pump(200);
      EXPECT_FALSE(PipeHasReader(d + "/canonada.htm")) << "nobody waits on the pipe";
      EXPECT_LT(stalls.Longest(), 500);
      longestStall = std::max(longestStall, stalls.Longest());
    }
  }
  std::printf(
      "[ figures ] failure message after at most %lld ms; main thread stalled at most %lld ms\n",
      static_cast<long long>(slowestMessage), static_cast<long long>(longestStall));
}

TEST_F(HostileFiles, AFileNamedInAnyScriptOrBytesOpensFromEveryWay) {
  const std::string d = dir.path().toStdString();
  struct Name {
    const char* what;
    std::string name;     // bytes, as the system names the file
    const char* encoded;  // the name in a page's link
  } const names[] = {
      {"Greek", "Ελληνικά.htm", "%CE%95%CE%BB%CE%BB%CE%B7%CE%BD%CE%B9%CE%BA%CE%AC.htm"},
      {"a Catalan middle dot", "coŀlecció.htm", "co%C5%80lecci%C3%B3.htm"},
      {"decomposed", "cafe\xCC\x81.htm", "cafe%CC%81.htm"},
      {"Latin-1 bytes", "caf\xE9 vell.htm", "caf%E9%20vell.htm"},
  };
  const std::function<void(HostileFiles&, const Name&)> ways[] = {
      [d](HostileFiles& t, const Name& n) {
        t.form->SetStartAddress(system::AddressForArgument(
            n.name, d, [](const std::string& p) { return ::access(p.c_str(), F_OK) == 0; }));
        t.form->OpenStartPage();
      },
      [d](HostileFiles& t, const Name& n) {
        t.form->OpenFileDialog.OnExecute = [&](const platform::OpenDialog&) {
          return std::optional<std::string>(d + "/" + n.name);
        };
        t.form->MenuObrirClick();
      },
      [d](HostileFiles& t, const Name& n) {
        QMimeData mime;
        mime.setUrls({QUrl::fromEncoded(QByteArray("file://") +
                                        QUrl::toPercentEncoding(QString::fromStdString(d), "/") +
                                        "/" + n.encoded)});
        const QPoint at(300, 300);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&t.window, &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&t.window, &drop);
      },
  };
  for (const Name& n : names) {
    const std::string path = d + "/" + n.name;
    const std::string html = std::string("<html><head><meta charset='utf-8'><title>") + n.what +
                             "</title></head><body><p>Hola.</p></body></html>";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0) << n.what;
    ASSERT_EQ(::write(fd, html.data(), html.size()), static_cast<ssize_t>(html.size()));
    ::close(fd);
    for (const auto& way : ways) {
      SCOPED_TRACE(n.what);
      form->FormDropFiles({d + "/index.htm"});
      ASSERT_TRUE(WaitFor([&] { return Title() == "Inici"; }));
      way(*this, n);
      EXPECT_TRUE(WaitFor([&] { return Title() == n.what; })) << Title();
      EXPECT_EQ(Message(), nullptr);
      CloseMessages();
    }
  }
}

TEST_F(HostileFiles, TheRealOpenDialogHandsOverAPipeAndItFailsAtOnce) {
  QTimer poll;
  bool typed = false;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible() || typed) return;
    typed = true;
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) return dialog->reject();
    name->setText(dir.filePath(QStringLiteral("canonada.htm")));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(name, &press);
  });
  poll.start(50);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
      dialog->reject();
  });
  guard.start(15000);
  form->MenuObrirClick();  // returns when the dialog closes
  poll.stop();
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(WaitFor([&] { return Message() != nullptr; }, 5000));
  EXPECT_LT(clock.elapsed(), 1500);
  Pump(200);
  EXPECT_FALSE(PipeHasReader(dir.filePath(QStringLiteral("canonada.htm"))));
}

}  // namespace
}  // namespace sonavia::qt
