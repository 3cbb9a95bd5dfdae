// Filters on the whole application's input for the main window: one that
// holds the user's input off while the window is disabled, one that sees
// the user's Enter.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <vector>

#include "qt/SynthesizedInput.h"

namespace sonavia::qt {

// While the window is disabled, the user's presses, keys and shortcuts to
// it and its children (the page included) go nowhere; unlike disabling the
// widgets, it leaves the keyboard focus where it was. Each key pressed
// meanwhile is told to `held`, which may keep its command for later.
class InputBlocker : public QObject {
 public:
  explicit InputBlocker(QWidget* window) : QObject(window), window_(window) {}
  void SetOnHeldKey(std::function<void(const QKeyEvent&)> held) { held_ = std::move(held); }
  void SetBlocking(bool blocking) {
    if (blocking == blocking_) return;
    blocking_ = blocking;
    if (blocking) {
      qApp->installEventFilter(this);
    } else {
      qApp->removeEventFilter(this);
    }
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
        break;
      default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (widget == nullptr || widget->window() != window_ || IsSynthesizedKey(event)) return false;
    if (event->type() == QEvent::KeyPress && held_) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat()) held_(*key);
    }
    // An accepted override keeps the key from any shortcut.
    event->accept();
    return true;
  }

 private:
  QWidget* window_;
  bool blocking_ = false;
  std::function<void(const QKeyEvent&)> held_;
};

// Sees every plain press of Return or Enter the user makes in the main
// window, auto-repeats included. In the program's other
// windows (a page's dialog, a failure message, the open and print dialogs)
// the key is that window's answer and nothing else; with Alt, Ctrl, Shift
// or the logo key it is another command. A key comes once to the window
// system's window and then travels among widgets (and the page may hand it
// back as a copy); only the first is counted. The program's own keys are
// not the user's. A press that followed a link in the main window goes no
// further: the page must not follow its focused link as well, which may be
// one the page chose.
class EnterKeyObserver : public QObject {
 public:
  EnterKeyObserver(QWidget* window, std::function<bool()> enter)
      : QObject(window), enter_(std::move(enter)) {
    windows_.push_back(window);
    qApp->installEventFilter(this);
  }
  void Add(QWidget* window) { windows_.push_back(window); }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    // Only compared with the windows' own: the engine's objects, built
    // without type information, come here too.
    if (event->type() != QEvent::KeyPress || !Watched(receiver)) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const auto modifiers =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!enter || (key->modifiers() & modifiers) != 0 || IsSynthesizedKey(event)) return false;
    const bool followed = enter_();
    return followed && receiver == windows_.front()->windowHandle();
  }

 private:
  bool Watched(QObject* receiver) const {
    for (const QPointer<QWidget>& window : windows_) {
      if (window != nullptr && window->windowHandle() == receiver) return true;
    }
    return false;
  }
  std::function<bool()> enter_;
  std::vector<QPointer<QWidget>> windows_;  // the main window first
};

}  // namespace sonavia::qt
