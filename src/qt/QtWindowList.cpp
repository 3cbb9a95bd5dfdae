#include "qt/QtWindowList.h"

#include <QInputDialog>
#include <QPushButton>
#include <algorithm>

namespace sonavia::qt {

platform::WindowHandle QtWindowList::HandleOf(QWidget* widget) {
  for (auto it = known_.begin(); it != known_.end();) {
    if (it->second.isNull()) {
      it = known_.erase(it);
    } else if (it->second == widget) {
      return it->first;
    } else {
      ++it;
    }
  }
  known_[next_] = widget;
  return next_++;
}

std::vector<platform::WindowInfo> QtWindowList::TopLevelWindows() {
  // Qt keeps no stacking order; the active window and the newest come first,
  // as they would stand on the screen.
  std::vector<QWidget*> shown;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->isWindow()) shown.push_back(widget);
  }
  std::reverse(shown.begin(), shown.end());
  std::stable_partition(shown.begin(), shown.end(),
                        [](QWidget* w) { return w == QApplication::activeWindow(); });
  std::vector<platform::WindowInfo> windows;
  for (QWidget* widget : shown) {
    platform::WindowInfo info;
    info.handle = HandleOf(widget);
    info.title = ToCore(widget->windowTitle());
    info.className = widget->metaObject()->className();
    if (auto* box = qobject_cast<QMessageBox*>(widget)) info.text = ToCore(box->text());
    if (auto* input = qobject_cast<QInputDialog*>(widget)) info.text = ToCore(input->labelText());
    info.answerKey = widget->property(kAnswerKeyProperty).toInt();
    info.own = widget->property(kOwnWindowProperty).toBool();
    windows.push_back(std::move(info));
  }
  return windows;
}

void QtWindowList::BringToTop(platform::WindowHandle window) {
  const auto it = known_.find(window);
  if (it == known_.end() || it->second.isNull()) return;
  QWidget* widget = it->second;
  widget->raise();
  widget->activateWindow();
  // Keys pressed next go to the focused widget; without waiting for the
  // window manager, the window takes the keyboard now.
  QApplication::setActiveWindow(widget);
  if (auto* box = qobject_cast<QMessageBox*>(widget)) {
    if (QPushButton* button = box->defaultButton()) {
      button->setFocus(Qt::ActiveWindowFocusReason);
      return;
    }
  }
  if (QWidget* focus = widget->focusWidget()) {
    focus->setFocus(Qt::ActiveWindowFocusReason);
  } else {
    widget->setFocus(Qt::ActiveWindowFocusReason);
  }
}

}  // namespace sonavia::qt
