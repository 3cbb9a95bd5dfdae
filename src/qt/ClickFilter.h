// Turns a left-button click on any widget into a call.
#pragma once

#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace sonavia::qt {

class ClickFilter : public QObject {
 public:
  ClickFilter(QObject* parent, std::function<void()> click)
      : QObject(parent), click_(std::move(click)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      click_();
      return true;
    }
    return false;
  }

 private:
  std::function<void()> click_;
};

inline void OnClick(QWidget* widget, std::function<void()> click) {
  widget->installEventFilter(new ClickFilter(widget, std::move(click)));
}

}  // namespace sonavia::qt
