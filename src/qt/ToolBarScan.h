// The button toolbar's part in switch scanning: its clicks and right
// clicks, and the frame around the button the scan is on.
#pragma once

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QSet>
#include <QWidget>
#include <functional>

namespace sonavia::qt {

// A right click anywhere on the toolbar runs `rightClick` and shows no
// menu. A left click on its bare surface, or on a disabled button, runs
// `surfaceClick`: a disabled button takes every press itself, so without
// this the press of a switch on it would be lost.
class ToolBarInputFilter : public QObject {
 public:
  ToolBarInputFilter(QObject* parent, std::function<void()> surfaceClick,
                     std::function<void()> rightClick)
      : QObject(parent),
        surfaceClick_(std::move(surfaceClick)),
        rightClick_(std::move(rightClick)) {}

  // The toolbar itself and the bare widgets its controls stand on.
  void WatchSurface(QWidget* widget) {
    surfaces_.insert(widget);
    widget->installEventFilter(this);
  }
  // A button or picture on the toolbar.
  void WatchControl(QWidget* widget) { widget->installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ContextMenu) {
      // Consumed where it lands, so that no parent runs it a second time
      // or offers the window's toolbar menu.
      rightClick_();
      return true;
    }
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
      return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* widget = static_cast<QWidget*>(watched);
    if (mouse->button() != Qt::LeftButton) return false;
    if (!surfaces_.contains(widget)) {
      auto* button = qobject_cast<QAbstractButton*>(widget);
      if (button == nullptr || button->isEnabled()) return false;
    }
    // The release ends the click, as on a button; consumed, so that it does
    // not run again on the toolbar behind.
    if (event->type() == QEvent::MouseButtonRelease &&
        widget->rect().contains(mouse->position().toPoint()))
      surfaceClick_();
    return true;
  }

 private:
  std::function<void()> surfaceClick_;
  std::function<void()> rightClick_;
  QSet<QObject*> surfaces_;
};

// A thick frame in two contrasting colours, seen on any background and by
// users who may not find a small pointer. It lets every click through.
class ScanFrame : public QWidget {
 public:
  static constexpr int kBand = 3;

  explicit ScanFrame(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ScanFrame"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
  }

  // Puts the frame on `button`, or takes it away with nullptr.
  void Follow(QWidget* button) {
    if (button == nullptr) {
      hide();
      return;
    }
    if (parentWidget() != button) setParent(button);
    setGeometry(button->rect());
    raise();
    show();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect outer = rect();
    const QRect middle = outer.adjusted(kBand, kBand, -kBand, -kBand);
    const QRect inner = middle.adjusted(kBand, kBand, -kBand, -kBand);
    // Only the bands: the button's picture and caption stay visible.
    painter.setClipRegion(QRegion(outer).subtracted(QRegion(inner)));
    painter.fillRect(outer, Qt::black);
    painter.fillRect(middle, Qt::yellow);
  }
};

}  // namespace sonavia::qt
