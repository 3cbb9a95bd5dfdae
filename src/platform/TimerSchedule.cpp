#include "platform/TimerSchedule.h"

#include <algorithm>
#include <limits>

#include "platform/BasicTimer.h"

namespace sonavia::platform {

class TimerSchedule::ScheduledTimer : public BasicTimer {
 public:
  ScheduledTimer(TimerSchedule* schedule, uint64_t createdOrder, uint64_t timerId)
      : order(createdOrder), id(timerId), schedule_(schedule) {
    schedule_->timers_.push_back(this);
    Reschedule();
  }
  ~ScheduledTimer() override {
    if (schedule_ == nullptr) return;
    auto& timers = schedule_->timers_;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
  }
  // When the next tick is delivered; UINT64_MAX when none is coming.
  uint64_t Delivery() const {
    uint64_t next = stale_;
    if (Running()) next = std::min(next, due + schedule_->lateness_);
    return next;
  }
  bool DueAt(uint64_t now) const { return schedule_ != nullptr && Delivery() <= now; }
  void Fire() {
    const uint64_t now = schedule_->clock_();
    if (stale_ <= now) {
      // A tick queued before the timer changed: its handler runs all the same.
      stale_ = kNone;
      RunHandler();
      return;
    }
    due = now + Interval();
    RunHandler();
  }
  void Detach() { schedule_ = nullptr; }

  uint64_t due = 0;
  const uint64_t order;
  const uint64_t id;

 protected:
  void Reschedule() override {
    if (schedule_ == nullptr) return;
    const uint64_t now = schedule_->clock_();
    // A tick that fell due but waits for delivery stays queued.
    if (schedule_->staleTicks_ && schedule_->lateness_ > 0 && wasRunning_ && due <= now &&
        stale_ == kNone) {
      stale_ = due + schedule_->lateness_;
    }
    wasRunning_ = Running();
    due = now + Interval();
  }

 private:
  static constexpr uint64_t kNone = std::numeric_limits<uint64_t>::max();
  TimerSchedule* schedule_;
  uint64_t stale_ = kNone;
  bool wasRunning_ = false;
};

TimerSchedule::~TimerSchedule() {
  for (auto* timer : timers_) timer->Detach();
}

std::unique_ptr<Timer> TimerSchedule::CreateTimer() {
  return std::make_unique<ScheduledTimer>(this, NextOrder(), nextId_++);
}

uint64_t TimerSchedule::NextDue() const {
  uint64_t next = std::numeric_limits<uint64_t>::max();
  for (const auto* timer : timers_) {
    next = std::min(next, timer->Delivery());
  }
  return next;
}

std::vector<TimerSchedule::Entry> TimerSchedule::DueAt(uint64_t now) const {
  std::vector<Entry> due;
  for (const auto* timer : timers_) {
    if (timer->DueAt(now)) due.push_back({timer->Delivery(), timer->order, timer->id});
  }
  std::sort(due.begin(), due.end(), [](const Entry& a, const Entry& b) {
    return a.due != b.due ? a.due < b.due : a.order < b.order;
  });
  return due;
}

void TimerSchedule::FireIfDue(uint64_t id, uint64_t now) {
  const auto it = std::find_if(timers_.begin(), timers_.end(),
                               [id](const ScheduledTimer* t) { return t->id == id; });
  if (it != timers_.end() && (*it)->DueAt(now)) (*it)->Fire();
}

}  // namespace sonavia::platform
