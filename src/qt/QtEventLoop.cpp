#include "qt/QtEventLoop.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace sonavia::qt {

namespace {

// Enabled, interval and handler as a window-system timer has them: it runs
// only with all three, and any change starts a fresh countdown.
class QtTimer : public platform::Timer {
 public:
  QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto handler = handler_;
      if (handler) handler();
    });
  }
  void SetInterval(uint32_t milliseconds) override {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Update();
  }
  uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
  }
  bool Enabled() const override { return enabled_; }
  void SetOnTimer(std::function<void()> handler) override {
    handler_ = std::move(handler);
    Update();
  }

 private:
  void Update() {
    if (enabled_ && interval_ != 0 && handler_) {
      timer_.start(static_cast<int>(interval_));
    } else {
      timer_.stop();
    }
  }
  QTimer timer_;
  uint32_t interval_ = 1000;
  bool enabled_ = true;
  std::function<void()> handler_;
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
