// The state every timer implementation shares: a timer runs only while it
// is enabled, has a nonzero interval and has a handler, and any change of
// these starts a fresh countdown.
#pragma once

#include <functional>
#include <utility>

#include "platform/EventLoop.h"

namespace sonavia::platform {

class BasicTimer : public Timer {
 public:
  void SetInterval(uint32_t milliseconds) override {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Reschedule();
  }
  uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Reschedule();
  }
  bool Enabled() const override { return enabled_; }
  void SetOnTimer(std::function<void()> handler) override {
    handler_ = std::move(handler);
    Reschedule();
  }
  bool Running() const { return enabled_ && interval_ != 0 && handler_; }

 protected:
  // Called after every change: start counting from now, or stop.
  virtual void Reschedule() = 0;
  // Runs the handler; a copy, since the handler may replace itself.
  void RunHandler() {
    auto handler = handler_;
    if (handler) handler();
  }

 private:
  uint32_t interval_ = 1000;
  bool enabled_ = true;
  std::function<void()> handler_;
};

}  // namespace sonavia::platform
