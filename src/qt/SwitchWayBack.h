// The switch's way back to scanning: while scanning is off, every left
// press the user makes anywhere in the main window is told to the
// behaviour, which takes one held still for a long press as the request to
// switch scanning on. The press goes its usual way; the release of one that
// was taken reaches its widget outside it, so that nothing is clicked, no
// link followed, and no button is left down.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace sonavia::qt {

class SwitchWayBackFilter : public QObject {
 public:
  struct Hooks {
    std::function<bool()> scanningOff;
    std::function<void()> down;
    std::function<void()> moved;
    std::function<bool()> up;  // whether the press was taken
  };
  SwitchWayBackFilter(QWidget* window, Hooks hooks)
      : QObject(window), window_(window), hooks_(std::move(hooks)) {
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseMove)
      return false;
    // The program's own clicks are not the user's; a press travels up its
    // widget's parents, and only its first delivery counts.
    if (!event->spontaneous() || !receiver->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(receiver);
    if (widget->window() != window_) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
      case QEvent::MouseButtonPress:
        // A release that never came here (kept from the window while it
        // took no input) leaves no press down: a new one starts afresh.
        if (mouse->button() != Qt::LeftButton || (tracking_ && mouse->timestamp() == pressedAt_) ||
            !hooks_.scanningOff())
          return false;
        tracking_ = true;
        pressedAt_ = mouse->timestamp();
        from_ = mouse->globalPosition().toPoint();
        hooks_.down();
        return false;
      case QEvent::MouseMove:
        if (tracking_ && (mouse->globalPosition().toPoint() - from_).manhattanLength() >
                             QApplication::startDragDistance()) {
          hooks_.moved();
        }
        return false;
      default:
        break;
    }
    if (mouse->button() != Qt::LeftButton || !tracking_) return false;
    tracking_ = false;
    if (!hooks_.up()) return false;
    // Far outside whatever the press landed on: the release ends the press
    // there and clicks nothing.
    const QPointF away(-100000.0, -100000.0);
    QMouseEvent release(QEvent::MouseButtonRelease, away, away, Qt::LeftButton, Qt::NoButton,
                        mouse->modifiers());
    QCoreApplication::sendEvent(widget, &release);
    return true;
  }

 private:
  QPointer<QWidget> window_;
  Hooks hooks_;
  bool tracking_ = false;
  quint64 pressedAt_ = 0;
  QPoint from_;
};

}  // namespace sonavia::qt
