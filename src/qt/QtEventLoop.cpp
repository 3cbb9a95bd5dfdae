#include "qt/QtEventLoop.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

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
  // A wait calls this in a loop: yield the processor between rounds.
  QThread::msleep(1);
}

std::unique_ptr<platform::Timer> QtEventLoop::CreateTimer() {
  return std::make_unique<QtTimer>();
}

}  // namespace sonavia::qt
