// Timers kept by a loop that dispatches them itself: when each is due, and
// which of them are due now. The loops that own one differ only in their
// clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/EventLoop.h"

namespace sonavia::platform {

class TimerSchedule {
 public:
  // `clock` gives the loop's time in milliseconds.
  explicit TimerSchedule(std::function<uint64_t()> clock) : clock_(std::move(clock)) {}
  ~TimerSchedule();
  TimerSchedule(const TimerSchedule&) = delete;
  TimerSchedule& operator=(const TimerSchedule&) = delete;

  std::unique_ptr<Timer> CreateTimer();

  // Earliest due time of a running timer; UINT64_MAX when none runs.
  uint64_t NextDue() const;

  struct Entry {
    uint64_t due;
    uint64_t order;  // from NextOrder: ties go to the older
    uint64_t id;
  };
  // The running timers due at `now`, by due time, then by age.
  std::vector<Entry> DueAt(uint64_t now) const;
  // Ticks a timer from DueAt unless, since then, it was destroyed, stopped,
  // restarted or ticked by a nested dispatch. Its next tick counts from
  // now, so a handler that waits can be ticked again from inside its wait.
  void FireIfDue(uint64_t id, uint64_t now);

  // A place in the order of creation, shared with the owner's other messages.
  uint64_t NextOrder() { return order_++; }

  // Ticks delivered `milliseconds` after they fall due, as a busy thread
  // delivers them. With `staleTicks`, a tick that fell due before its timer
  // was stopped or changed is still delivered, once, as a message already
  // queued would be.
  void SetLateness(uint32_t milliseconds, bool staleTicks) {
    lateness_ = milliseconds;
    staleTicks_ = staleTicks;
  }

 private:
  class ScheduledTimer;
  std::function<uint64_t()> clock_;
  std::vector<ScheduledTimer*> timers_;
  uint64_t order_ = 0;
  uint64_t nextId_ = 0;
  uint64_t lateness_ = 0;
  bool staleTicks_ = false;
};

}  // namespace sonavia::platform
