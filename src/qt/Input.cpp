#include "qt/Input.h"

#include <unistd.h>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMouseEvent>
#include <QWidget>

#include "platform/VirtualKeys.h"

namespace sonavia::qt {

namespace {

// Carried in the native scan code of every synthesized key event. The
// browser engine hands a key it does not consume back as a copy of the
// same event, marker included.
constexpr quint32 kSynthesizedKeyMarker = 0x50A0;

}  // namespace

bool IsSynthesizedKey(QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  return static_cast<QKeyEvent*>(event)->nativeScanCode() == kSynthesizedKeyMarker;
}

SonaviaApplication::SonaviaApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool SonaviaApplication::notify(QObject* receiver, QEvent* event) {
  // Qt offers a key that is sent, not typed, to the shortcuts as an
  // override query first; answering it for our own keys keeps them away.
  if (event->type() == QEvent::ShortcutOverride && synthesizing_ > 0) {
    event->accept();
    return true;
  }
  const bool ours = IsSynthesizedKey(event);
  if (ours) ++synthesizing_;
  const bool result = QApplication::notify(receiver, event);
  if (ours) --synthesizing_;
  return result;
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
    flags += kPageCollector;
  }
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

bool BrowserComponentAvailable() {
  const QByteArray configured = qgetenv("QTWEBENGINEPROCESS_PATH");
  if (!configured.isEmpty()) return QFileInfo(QString::fromLocal8Bit(configured)).isExecutable();
  const QString helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                         QStringLiteral("/QtWebEngineProcess");
  return QFileInfo(helper).isExecutable();
}

int QtKeyForVirtualKey(int virtualKey) {
  switch (virtualKey) {
    case platform::kTabKey:
      return Qt::Key_Tab;
    case platform::kReturnKey:
      return Qt::Key_Return;
    case platform::kEscapeKey:
      return Qt::Key_Escape;
    case platform::kPageUpKey:
      return Qt::Key_PageUp;
    case platform::kPageDownKey:
      return Qt::Key_PageDown;
    case platform::kF6Key:
      return Qt::Key_F6;
    default:
      return 0;
  }
}

namespace {
QString TextForKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Tab:
      return QStringLiteral("\t");
    case Qt::Key_Return:
      return QStringLiteral("\r");
    case Qt::Key_Escape:
      return QString(QChar(0x1B));
    default:
      return {};
  }
}
}  // namespace

void SendSynthesizedKey(int qtKey, QWidget* fallback) {
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr) target = fallback;
  if (target == nullptr || qtKey == 0) return;
  const QString text = TextForKey(qtKey);
  QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, kSynthesizedKeyMarker, 0, 0, text);
  QCoreApplication::sendEvent(target, &press);
  // The press may have moved the focus (a Tab does); the release goes
  // where a key's release would go, to the widget focused now.
  QWidget* releaseTarget =
      QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : target;
  QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, kSynthesizedKeyMarker, 0, 0, text);
  QCoreApplication::sendEvent(releaseTarget, &release);
}

void SendClick(QWidget* widget, QPoint point) {
  if (widget == nullptr) return;
  // A real click gives the keyboard focus to what it lands on; a click
  // that is sent does not do it by itself.
  if ((widget->focusPolicy() & Qt::ClickFocus) != 0) widget->setFocus(Qt::MouseFocusReason);
  const QPointF local(point);
  const QPointF global(widget->mapToGlobal(point));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &release);
}

}  // namespace sonavia::qt
