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
//
// While `takesSwitch` says so (scanning is on), every left press and
// release on the toolbar is the switch's: it goes to `switchDown` with the
// button it landed on (nullptr for the bare toolbar) and to `switchUp`, and
// no further; the behaviour decides what the press does.
class ToolBarInputFilter : public QObject {
 public:
  struct Switch {
    std::function<bool()> takesSwitch;
    std::function<void(QWidget*)> switchDown;
    std::function<void()> switchUp;
  };
  ToolBarInputFilter(QObject* parent, std::function<void()> surfaceClick,
                     std::function<void()> rightClick, Switch sw = {})
      : QObject(parent),
        surfaceClick_(std::move(surfaceClick)),
        rightClick_(std::move(rightClick)),
        switch_(std::move(sw)) {}

  // The toolbar itself and the bare widgets its controls stand on.
  void WatchSurface(QWidget* widget) {
    surfaces_.insert(widget);
    widget->installEventFilter(this);
  }
  // A button on the toolbar.
  void WatchControl(QWidget* widget) { widget->installEventFilter(this); }
  // A picture on the toolbar: its right clicks only.
  void WatchPicture(QWidget* widget) {
    pictures_.insert(widget);
    widget->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ContextMenu) {
      // Consumed where it lands, so that no parent runs it a second time
      // or offers the window's toolbar menu.
      rightClick_();
      return true;
    }
    const bool press =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (!press && event->type() != QEvent::MouseButtonRelease) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* widget = static_cast<QWidget*>(watched);
    if (mouse->button() != Qt::LeftButton || pictures_.contains(widget)) return false;
    auto* button = qobject_cast<QAbstractButton*>(widget);
    // A release goes where its press went, even if scanning changed between.
    if (press ? switch_.takesSwitch && switch_.takesSwitch() : switchPressed_) {
      switchPressed_ = press;
      if (press) {
        if (button != nullptr && button->isEnabled()) button->setDown(true);
        switch_.switchDown(surfaces_.contains(widget) ? nullptr : widget);
      } else {
        if (button != nullptr) button->setDown(false);
        switch_.switchUp();
      }
      return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) return false;
    if (!surfaces_.contains(widget) && (button == nullptr || button->isEnabled())) return false;
    // The release ends the click, as on a button; consumed, so that it does
    // not run again on the toolbar behind.
    if (!press && widget->rect().contains(mouse->position().toPoint())) surfaceClick_();
    return true;
  }

 private:
  std::function<void()> surfaceClick_;
  std::function<void()> rightClick_;
  Switch switch_;
  QSet<QObject*> surfaces_;
  QSet<QObject*> pictures_;
  bool switchPressed_ = false;
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
