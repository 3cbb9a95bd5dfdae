#include "system/RealTimeEventLoop.h"

#include <algorithm>
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
  for (const auto& entry : timers_.DueAt(NowMs())) timers_.FireIfDue(entry.id, NowMs());
}

void RealTimeEventLoop::WaitForMessages(uint32_t longest) {
  // Timers are its only messages: it sleeps until the next is due.
  const uint64_t now = NowMs();
  const uint64_t wake = std::min(timers_.NextDue(), now + longest);
  if (wake > now) std::this_thread::sleep_for(std::chrono::milliseconds(wake - now));
  ProcessMessages();
}

void RealTimeEventLoop::RunUntil(const std::function<bool()>& done) {
  // Only a handler can change what `done` sees; the bound is a safeguard.
  constexpr uint32_t kLongestSleep = 1000;
  while (!done()) WaitForMessages(kLongestSleep);
}

}  // namespace sonavia::system
