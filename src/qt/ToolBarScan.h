// The button toolbar's part in switch scanning: its clicks and right
// clicks, and the frame around the button the scan is on.
#pragma once

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QFocusFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QSet>
#include <QWidget>
#include <algorithm>
#include <cmath>
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

// A thick frame of three bands in two contrasting colours, seen on any
// background and by users who may not find a small pointer: of the two,
// the one that stands out more from what is around the frame goes outside
// and inside, the other between them. It lets every click through, and a
// screen reader does not meet it.
class OutlineFrame : public QFocusFrame {
 public:
  static constexpr int kOuterBand = 2;
  static constexpr int kMiddleBand = 3;
  static constexpr int kInnerBand = 2;

  OutlineFrame(QWidget* parent, const QString& name, QColor dark, QColor light)
      : QFocusFrame(parent), dark_(dark), light_(light) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
  }

  // Puts the frame on `target`, or takes it away with nullptr.
  void Follow(QWidget* target) {
    if (target == nullptr) {
      hide();
      return;
    }
    if (parentWidget() != target) setParent(target);
    setGeometry(target->rect());
    raise();
    show();
  }

  // The colour of the outer and inner bands on a background `around`.
  QColor EdgeColour(QColor around) const {
    return Contrast(dark_, around) >= Contrast(light_, around) ? dark_ : light_;
  }

  // The contrast ratio of two colours, from 1 to 21.
  static double Contrast(QColor a, QColor b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QColor edge = EdgeColour(parentWidget()->palette().color(QPalette::Window));
    const QColor middle = edge == dark_ ? light_ : dark_;
    const QRect outer = rect();
    const QRect second = outer.adjusted(kOuterBand, kOuterBand, -kOuterBand, -kOuterBand);
    const QRect third = second.adjusted(kMiddleBand, kMiddleBand, -kMiddleBand, -kMiddleBand);
    const QRect inner = third.adjusted(kInnerBand, kInnerBand, -kInnerBand, -kInnerBand);
    // Only the bands: the button's picture and caption stay visible.
    painter.setClipRegion(QRegion(outer).subtracted(QRegion(inner)));
    painter.fillRect(outer, edge);
    painter.fillRect(second, middle);
    painter.fillRect(third, edge);
  }

 private:
  static double Luminance(QColor c) {
    auto channel = [](double v) {
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  }

  QColor dark_;
  QColor light_;
};

// The frame on the button the scanning pointer is on: black and yellow.
class ScanFrame : public OutlineFrame {
 public:
  explicit ScanFrame(QWidget* parent)
      : OutlineFrame(parent, QStringLiteral("ScanFrame"), Qt::black, Qt::yellow) {}
};

// The frame on the toolbar control that has the keyboard: dark blue and
// white, apart from the scanning's.
class KeyboardFrame : public OutlineFrame {
 public:
  explicit KeyboardFrame(QWidget* parent)
      : OutlineFrame(parent, QStringLiteral("KeyboardFrame"), QColor(0x00, 0x33, 0xaa), Qt::white) {
  }
};

}  // namespace sonavia::qt
