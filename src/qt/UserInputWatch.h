// Tells the rules of what the user meant (shell::UserIntent) when the user
// moves the pointer and presses a key that moves the page's focus. It
// watches the whole application; the one event it consumes is a Tab that
// Qt makes up for the page, which no user pressed.
#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>

#include "shell/UserIntent.h"

class QWebEngineView;

namespace sonavia::qt {

class UserInputWatch : public QObject {
 public:
  UserInputWatch(QObject* parent, QWebEngineView* view, shell::UserIntent& intent);

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  static bool IsStrayTab(QObject* receiver, QEvent* event);

  QPointer<QWebEngineView> view_;
  shell::UserIntent& intent_;
  QPointF pointer_;  // where the pointer was last seen
};

}  // namespace sonavia::qt
