// The event-loop seam in real time, for programs without a window system:
// a monotonic clock, timers, and a dispatch that runs what is due and
// otherwise sleeps briefly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/EventLoop.h"

namespace sonavia::system {

class RealTimeEventLoop : public platform::EventLoop {
 public:
  RealTimeEventLoop();
  ~RealTimeEventLoop() override;

  uint32_t TickCount() override;
  void ProcessMessages() override;
  std::unique_ptr<platform::Timer> CreateTimer() override;

  // Dispatches until `done()` holds.
  void RunUntil(const std::function<bool()>& done);

 private:
  class RealTimer;
  uint64_t NowMs() const;
  std::vector<RealTimer*> timers_;
  uint64_t seq_ = 0;
  int64_t originNs_;
};

}  // namespace sonavia::system
