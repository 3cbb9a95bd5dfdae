#include "system/RealTimeEventLoop.h"

#include <chrono>
#include <thread>

namespace sonavia::system {

namespace {
int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

RealTimeEventLoop::RealTimeEventLoop() : originNs_(SteadyNs()) {}

uint64_t RealTimeEventLoop::NowMs() const {
  return static_cast<uint64_t>((SteadyNs() - originNs_) / 1000000);
}

void RealTimeEventLoop::ProcessMessages() {
  const auto due = timers_.DueAt(NowMs());
  if (due.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return;
  }
  for (const auto& entry : due) timers_.FireIfDue(entry.id, NowMs());
}

void RealTimeEventLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) ProcessMessages();
}

}  // namespace sonavia::system
