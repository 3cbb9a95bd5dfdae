// Turns a left-button click on any widget into a call.
#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace sonavia::qt {

class ClickFilter : public QObject {
 public:
  ClickFilter(QObject* parent, std::function<void()> click, bool consume)
      : QObject(parent), click_(std::move(click)), consume_(consume) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      click_();
      return consume_;
    }
    return false;
  }

 private:
  std::function<void()> click_;
  bool consume_;
};

// `consume`: the widget itself does nothing with the click (a picture).
inline void OnClick(QWidget* widget, std::function<void()> click, bool consume = true) {
  widget->installEventFilter(new ClickFilter(widget, std::move(click), consume));
}

// Reports a widget gaining and losing the keyboard focus within the
// window, and its key presses; it consumes nothing. A list popping up or
// another window coming to the front leaves the focus where it is.
class FocusFilter : public QObject {
 public:
  FocusFilter(QObject* parent, std::function<void()> enter, std::function<void()> exit,
              std::function<void(int qtKey)> key = nullptr)
      : QObject(parent), enter_(std::move(enter)), exit_(std::move(exit)), key_(std::move(key)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
    }
    if (event->type() == QEvent::FocusIn && enter_) enter_();
    if (event->type() == QEvent::FocusOut && exit_) exit_();
    if (event->type() == QEvent::KeyPress && key_) key_(static_cast<QKeyEvent*>(event)->key());
    return false;
  }

 private:
  std::function<void()> enter_, exit_;
  std::function<void(int)> key_;
};

}  // namespace sonavia::qt
