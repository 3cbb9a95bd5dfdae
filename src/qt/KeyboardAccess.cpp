#include "qt/KeyboardAccess.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "qt/SynthesizedInput.h"
#include "qt/ToolBarScan.h"

namespace sonavia::qt {

KeyboardOrder::KeyboardOrder(QWidget* window, QWidget* page, std::vector<Stop> stops,
                             std::function<void(bool)> moving)
    : QObject(window), page_(page), stops_(std::move(stops)), moving_(std::move(moving)) {
  for (const Stop& stop : stops_) {
    if (stop.press) stop.widget->installEventFilter(this);
  }
  // The frame shows wherever the keyboard is among the buttons, however it
  // got there, and goes when it leaves them.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    for (const Stop& stop : stops_) {
      if (stop.press && stop.widget == now) {
        if (frame_ == nullptr) frame_ = new KeyboardFrame(now);
        frame_->Follow(now);
        return;
      }
    }
    if (frame_ != nullptr) frame_->Follow(nullptr);
  });
}

QWidget* KeyboardOrder::Current() const {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return page_;
  for (const Stop& stop : stops_) {
    if (stop.widget == focus || stop.widget->isAncestorOf(focus)) return stop.widget;
  }
  return page_;
}

bool KeyboardOrder::Reachable(QWidget* widget) const {
  return widget != nullptr && widget->isVisible() && widget->isEnabled();
}

void KeyboardOrder::FocusPage() {
  if (page_ != nullptr) page_->setFocus(Qt::OtherFocusReason);
}

void KeyboardOrder::Move(bool forward) {
  std::vector<QWidget*> order{page_};
  for (const Stop& stop : stops_) order.push_back(stop.widget);
  const int count = static_cast<int>(order.size());
  int at = 0;
  for (int i = 0; i < count; ++i) {
    if (order[i] == Current()) at = i;
  }
  // The page is always there to come back to.
  for (int step = 1; step <= count; ++step) {
    QWidget* next = order[(at + (forward ? step : count - step)) % count];
    if (!Reachable(next)) continue;
    // Leaving an edit this way goes to the next control, not to the page.
    if (moving_) moving_(true);
    if (next == page_) {
      FocusPage();
    } else {
      next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    if (moving_) moving_(false);
    return;
  }
}

bool KeyboardOrder::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier || IsSynthesizedKey(event))
    return false;
  for (const Stop& stop : stops_) {
    if (stop.widget != watched || !stop.press) continue;
    if (!key->isAutoRepeat()) {
      // A key button's key goes to the page, as after a click.
      FocusPage();
      stop.press();
    }
    return true;
  }
  return false;
}

MenuBarKeys::MenuBarKeys(QWidget* window, QMenuBar* bar)
    : QObject(window), window_(window), bar_(bar) {
  qApp->installEventFilter(this);
  auto* f10 = new QAction(window);
  f10->setObjectName(QStringLiteral("MenuBarKey"));
  f10->setShortcut(QKeySequence(Qt::Key_F10));
  connect(f10, &QAction::triggered, this, &MenuBarKeys::Open);
  window->addAction(f10);
}

void MenuBarKeys::Open() {
  for (QAction* action : bar_->actions()) {
    if (action->isVisible() && action->isEnabled()) {
      bar_->setActiveAction(action);
      return;
    }
  }
}

bool MenuBarKeys::eventFilter(QObject* watched, QEvent* event) {
  // A key comes once to the window system's window and then travels among
  // the widgets, and the page may hand it back as a copy: only the first
  // counts.
  if (watched != static_cast<QObject*>(window_->windowHandle())) return false;
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      // The press of Alt itself may or may not count Alt among its modifiers.
      const Qt::KeyboardModifiers others = key->modifiers() & ~Qt::AltModifier;
      altAlone_ = key->key() == Qt::Key_Alt && others == Qt::NoModifier && !key->isAutoRepeat() &&
                  !IsSynthesizedKey(event) && bar_->activeAction() == nullptr;
      break;
    }
    case QEvent::KeyRelease:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Alt && altAlone_) {
        altAlone_ = false;
        // After the release has gone its way.
        QTimer::singleShot(0, this, &MenuBarKeys::Open);
      }
      break;
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::FocusOut:
      altAlone_ = false;
      break;
    default:
      break;
  }
  return false;
}

}  // namespace sonavia::qt
