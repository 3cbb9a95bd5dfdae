#include "qt/FrameKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "qt/PageScripts.h"

namespace sonavia::qt {

FrameKey::FrameKey(QWebEngineView* view, QObject* parent) : QObject(parent), view_(view) {
  qApp->installEventFilter(this);
}

bool FrameKey::eventFilter(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_F6 || key->modifiers() != Qt::NoModifier) return false;
  // Only what the page itself receives: the engine hands a key it leaves
  // back to the view, and that copy must not move the focus again.
  if (view_ == nullptr || receiver != view_->focusProxy()) return false;
  if (event->type() == QEvent::KeyPress) {
    view_->page()->runJavaScript(PageScriptCall(PageScript::NextFrame),
                                 QWebEngineScript::ApplicationWorld);
  }
  return true;
}

}  // namespace sonavia::qt
