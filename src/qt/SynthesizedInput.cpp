#include "qt/SynthesizedInput.h"

#include <QApplication>
#include <QKeyEvent>
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
