#include "qt/WebEngineSetup.h"

#include <unistd.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRandomGenerator>
#include <QString>
#include <QVariantMap>
#include <QWebEngineProfile>

namespace sonavia::qt {

const char* PageCollector() {
  // The engine builds its declaration in a buffer of 50 characters: the
  // name has at most 30 (a longer one stops every page from loading).
  static const QByteArray name =
      "sonavia" + QByteArray::number(QRandomGenerator::system()->generate64(), 16);
  return name.constData();
}

void ConfigureWebEngineEnvironment() {
  if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  // Without a render node (a virtual display, a machine without a GPU) the
  // GPU process only fails and retries.
  const bool noRenderNode = access("/dev/dri", F_OK) != 0;
  if (noRenderNode && !flags.contains("--disable-gpu")) flags += " --disable-gpu";
  // Without a GPU, OpenGL would only be a software rasterizer loaded into
  // the program (some 70 MB); Qt's own software renderer draws the same.
  if (noRenderNode && qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
    qputenv("QT_QUICK_BACKEND", "software");
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
      qputenv("QT_XCB_GL_INTEGRATION", "none");
  }
  // Pages left behind are not kept alive for a quick way back: over a long
  // session they only pile up in memory, and going back reads the page anew
  // anyway. (The engine adds its own features to this list.)
  if (!flags.contains("--disable-features")) flags += " --disable-features=BackForwardCache";
  // The page process keeps a page left behind, and the garbage of reading
  // a large one, until its collector next runs a full collection, which
  // over a session can be many pages later. The program asks for that
  // collection itself once a page is read.
  if (!flags.contains("--js-flags")) {
    flags += " --js-flags=--expose-gc-as=";
    flags += PageCollector();
  }
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

void NamePageSound() {
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(QStringLiteral("Sonavia: p\u00e0gina"));
  QWebEngineProfile::defaultProfile();  // the engine starts here
  QCoreApplication::setApplicationName(name);
}

namespace {

constexpr char kRendererAccessibility[] = "--force-renderer-accessibility";

// The accessibility bus's status, asked in one call that waits a second at
// most (a bus that hangs must not hold the start); empty when there is no
// bus or it does not answer.
QVariantMap AccessibilityStatus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return {};
  QDBusMessage ask = QDBusMessage::createMethodCall(
      QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
  ask << QStringLiteral("org.a11y.Status");
  const QDBusReply<QVariantMap> reply = bus.call(ask, QDBus::Block, 1000);
  return reply.isValid() ? reply.value() : QVariantMap();
}

}  // namespace

bool AssistiveTechnologyActive() {
  if (qEnvironmentVariableIntValue("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") != 0) return true;
  const QVariantMap status = AccessibilityStatus();
  return status.value(QStringLiteral("ScreenReaderEnabled")).toBool() ||
         status.value(QStringLiteral("IsEnabled")).toBool();
}

bool ScreenReaderActive() {
  return AccessibilityStatus().value(QStringLiteral("ScreenReaderEnabled")).toBool();
}

void ExposePagesToAssistiveTechnology() {
  if (!AssistiveTechnologyActive()) return;
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (flags.contains(kRendererAccessibility)) return;
  flags += " ";
  flags += kRendererAccessibility;
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

bool BrowserComponentAvailable() {
  const QByteArray configured = qgetenv("QTWEBENGINEPROCESS_PATH");
  if (!configured.isEmpty()) return QFileInfo(QString::fromLocal8Bit(configured)).isExecutable();
  const QString helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                         QStringLiteral("/QtWebEngineProcess");
  return QFileInfo(helper).isExecutable();
}

}  // namespace sonavia::qt
