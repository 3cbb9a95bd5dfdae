#include "qt/QtEventLoop.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "platform/BasicTimer.h"

namespace sonavia::qt {

namespace {

class QtTimer : public platform::BasicTimer {
 public:
  QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { RunHandler(); });
    Reschedule();
  }

 protected:
  void Reschedule() override {
    if (Running()) {
      timer_.start(static_cast<int>(Interval()));
    } else {
      timer_.stop();
    }
  }

 private:
  QTimer timer_;
};

}  // namespace

void QtEventLoop::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventLoop::WaitForMessages(uint32_t longest) {
  // A timer of the wait's own wakes the thread at the end if nothing else
  // has; the thread sleeps in the window system's poll until then. Should
  // it fall due inside a nested wait, it ends nothing there: this call
  // returns once the handler that waits has.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  wake.start(static_cast<int>(std::min<uint32_t>(longest, std::numeric_limits<int>::max())));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

std::unique_ptr<platform::Timer> QtEventLoop::CreateTimer() {
  return std::make_unique<QtTimer>();
}

}  // namespace sonavia::qt
