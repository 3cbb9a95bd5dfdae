#include "platform/TimerSchedule.h"

#include <algorithm>
#include <limits>

#include "platform/BasicTimer.h"

namespace sonavia::platform {

class TimerSchedule::ScheduledTimer : public BasicTimer {
 public:
  ScheduledTimer(TimerSchedule* schedule, uint64_t order, uint64_t id)
      : order(order), id(id), schedule_(schedule) {
    schedule_->timers_.push_back(this);
    Reschedule();
  }
  ~ScheduledTimer() override {
    if (schedule_ == nullptr) return;
    auto& timers = schedule_->timers_;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
  }
  bool DueAt(uint64_t now) const { return schedule_ != nullptr && Running() && due <= now; }
  void Fire() {
    due = schedule_->clock_() + Interval();
    RunHandler();
  }
  void Detach() { schedule_ = nullptr; }

  uint64_t due = 0;
  const uint64_t order;
  const uint64_t id;

 protected:
  void Reschedule() override {
    if (schedule_ != nullptr) due = schedule_->clock_() + Interval();
  }

 private:
  TimerSchedule* schedule_;
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
    if (timer->Running()) next = std::min(next, timer->due);
  }
  return next;
}

std::vector<TimerSchedule::Entry> TimerSchedule::DueAt(uint64_t now) const {
  std::vector<Entry> due;
  for (const auto* timer : timers_) {
    if (timer->DueAt(now)) due.push_back({timer->due, timer->order, timer->id});
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
