#include "qt/UserInputWatch.h"

#include <algorithm>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWebEngineView>
#include <QWindow>

#include "qt/SynthesizedInput.h"

namespace sonavia::qt {

UserInputWatch::UserInputWatch(QObject* parent, QWebEngineView* view, shell::UserIntent& intent)
    : QObject(parent), view_(view), intent_(intent), pointer_(QCursor::pos()) {
  QCoreApplication::instance()->installEventFilter(this);
}

bool UserInputWatch::IsStrayTab(QObject* receiver, QEvent* event) {
  // When the engine replaces the page's view (another site's page), the old
  // one is hidden with the keyboard focus, and Qt moves that focus on by
  // sending its scene a Tab made up on the spot: the new page's first link
  // takes the focus, and the user's next Enter would follow it. The user's
  // own keys come from the window system, the program's carry its marker.
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
  if (event->spontaneous() || IsSynthesizedKey(event) || key->nativeScanCode() != 0) return false;
  const QWindowList windows = QGuiApplication::allWindows();
  return std::any_of(windows.begin(), windows.end(),
                     [receiver](QWindow* window) { return window == receiver; });
}

bool UserInputWatch::eventFilter(QObject* receiver, QEvent* event) {
  // The receiver is only compared, never used: the engine's own objects,
  // built without type information, come here too.
  if (event->type() == QEvent::MouseMove) {
    // A move comes to the window and then to the widget under the pointer,
    // and the window system repeats one where the pointer stayed: only a
    // new place is a move.
    const QPointF at = static_cast<QMouseEvent*>(event)->globalPosition();
    if (at != pointer_) {
      pointer_ = at;
      intent_.PointerMoved();
    }
  } else if (IsStrayTab(receiver, event)) {
    return true;
  } else if (event->type() == QEvent::KeyPress && view_ != nullptr &&
             receiver == view_->focusProxy()) {
    // The user's own keys and the "Tab" button's come to the page this way,
    // once each.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) intent_.FocusKeyPressed();
    if (!IsSynthesizedKey(event)) intent_.Pressed();
  } else if (event->type() == QEvent::MouseButtonPress && view_ != nullptr &&
             receiver == view_->focusProxy() && event->spontaneous()) {
    intent_.Pressed();
  }
  return false;
}

}  // namespace sonavia::qt
