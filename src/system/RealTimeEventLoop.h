// The event-loop seam in real time, for programs without a window system:
// a monotonic clock, timers, and a wait that sleeps until the next is due.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/EventLoop.h"
#include "platform/TimerSchedule.h"

namespace sonavia::system {

class RealTimeEventLoop : public platform::EventLoop {
 public:
  RealTimeEventLoop();

  uint32_t TickCount() override { return static_cast<uint32_t>(NowMs()); }
  void ProcessMessages() override;
  void WaitForMessages(uint32_t longest) override;
  std::unique_ptr<platform::Timer> CreateTimer() override { return timers_.CreateTimer(); }

  // Dispatches until `done()` holds.
  void RunUntil(const std::function<bool()>& done);

 private:
  uint64_t NowMs() const;
  int64_t originNs_;
  platform::TimerSchedule timers_{[this] { return NowMs(); }};
};

}  // namespace sonavia::system
