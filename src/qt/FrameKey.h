// F6 on the page moves its keyboard focus to the next frame, nested frames
// included, and after the last back to the top document.
#pragma once

#include <QObject>
#include <QPointer>

class QWebEngineView;

namespace sonavia::qt {

class FrameKey : public QObject {
 public:
  // Watches the keys that reach `view`'s page.
  FrameKey(QWebEngineView* view, QObject* parent);

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  QPointer<QWebEngineView> view_;
};

}  // namespace sonavia::qt
