// A simulated event loop: a virtual millisecond clock that jumps from one
// due timer or scripted event to the next, so waits of seconds take
// microseconds while everything that would run in them does run, in order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/TimerSchedule.h"

namespace sonavia::testing {

class SimulatedEventLoop : public platform::EventLoop {
 public:
  explicit SimulatedEventLoop(uint32_t startTick = 0) : now_(startTick), start_(startTick) {}

  uint32_t TickCount() override { return static_cast<uint32_t>(now_); }
  // Dispatches every timer and event due now, each once, in order of due
  // time. When nothing is due, lets one idle step of virtual time pass (the
  // time a dispatch takes) without running past the next due message.
  void ProcessMessages() override;
  // When nothing is due, the clock jumps to the next due message, which
  // then runs, or to the end of the wait, where nothing runs: a message due
  // at that very moment comes after the wait.
  void WaitForMessages(uint32_t longest) override;
  std::unique_ptr<platform::Timer> CreateTimer() override { return timers_.CreateTimer(); }

  // Schedules `action` to run as a message `delay` ms from now.
  void Post(uint32_t delay, std::function<void()> action);
  // Runs the loop as the application's message loop would until the clock
  // reaches `now + duration`.
  void RunFor(uint64_t duration);

  // Milliseconds since the loop began (does not wrap).
  uint64_t Elapsed() const { return now_ - start_; }
  // Timer ticks come `milliseconds` late, as on a busy thread; with
  // `staleTicks` a tick due before its timer was stopped still comes.
  void SetTimerLateness(uint32_t milliseconds, bool staleTicks = false) {
    timers_.SetLateness(milliseconds, staleTicks);
  }

 private:
  struct Event {
    uint64_t due;
    uint64_t order;
    std::function<void()> action;
  };
  // Earliest due time of anything pending, or UINT64_MAX.
  uint64_t NextDue() const;
  // Runs what is due now; false when nothing was.
  bool DispatchDue();

  uint64_t now_;
  uint64_t start_;
  static constexpr uint64_t kIdleStep = 1;
  platform::TimerSchedule timers_{[this] { return now_; }};
  std::vector<Event> events_;
};

}  // namespace sonavia::testing
