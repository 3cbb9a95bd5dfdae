#include "support/SimulatedEventLoop.h"

#include <algorithm>
#include <limits>

#include "platform/BasicTimer.h"

namespace sonavia::testing {

class SimulatedEventLoop::SimTimer : public platform::BasicTimer {
 public:
  explicit SimTimer(SimulatedEventLoop* loop) : loop_(loop) {
    loop_->Register(this);
    Reschedule();
  }
  ~SimTimer() override {
    if (loop_ != nullptr) loop_->Unregister(this);
  }

  bool Due(uint64_t now) const { return loop_ != nullptr && Running() && due <= now; }
  void Fire() {
    // The next tick counts from this one; a handler that waits can be
    // ticked again from inside its own wait, as with a real timer.
    due = loop_->now_ + Interval();
    RunHandler();
  }

  uint64_t due = 0;
  uint64_t seq = 0;
  SimulatedEventLoop* loop_;

 protected:
  void Reschedule() override {
    if (loop_ != nullptr) due = loop_->now_ + Interval();
  }
};

SimulatedEventLoop::~SimulatedEventLoop() {
  for (auto* timer : timers_) timer->loop_ = nullptr;
}

std::unique_ptr<platform::Timer> SimulatedEventLoop::CreateTimer() {
  return std::make_unique<SimTimer>(this);
}

void SimulatedEventLoop::Register(SimTimer* timer) {
  timer->seq = seq_++;
  timers_.push_back(timer);
}

void SimulatedEventLoop::Unregister(SimTimer* timer) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

void SimulatedEventLoop::Post(uint32_t delay, std::function<void()> action) {
  events_.push_back(Event{now_ + delay, seq_++, std::move(action)});
}

uint64_t SimulatedEventLoop::NextDue() const {
  uint64_t next = std::numeric_limits<uint64_t>::max();
  for (const auto* timer : timers_) {
    if (timer->loop_ != nullptr && timer->Running()) next = std::min(next, timer->due);
  }
  for (const auto& event : events_) next = std::min(next, event.due);
  return next;
}

void SimulatedEventLoop::ProcessMessages() {
  // Take a snapshot of what is due now, ordered by due time then by age.
  struct Item {
    uint64_t due;
    uint64_t seq;
    SimTimer* timer;
  };
  std::vector<Item> due;
  for (auto* timer : timers_) {
    if (timer->Due(now_)) due.push_back({timer->due, timer->seq, timer});
  }
  for (const auto& event : events_) {
    if (event.due <= now_) due.push_back({event.due, event.seq, nullptr});
  }
  if (due.empty()) {
    const uint64_t next = NextDue();
    now_ = std::min<uint64_t>(now_ + idleStep_, std::max(next, now_));
    return;
  }
  std::sort(due.begin(), due.end(), [](const Item& a, const Item& b) {
    return a.due != b.due ? a.due < b.due : a.seq < b.seq;
  });
  for (const auto& item : due) {
    if (item.timer == nullptr) {
      // Events run once; a nested dispatch may already have run this one.
      auto it = std::find_if(events_.begin(), events_.end(),
                             [&](const Event& e) { return e.seq == item.seq; });
      if (it == events_.end()) continue;
      auto action = std::move(it->action);
      events_.erase(it);
      action();
      continue;
    }
    // The timer may have been disabled, restarted, destroyed or ticked by a
    // nested dispatch since the snapshot.
    if (std::find(timers_.begin(), timers_.end(), item.timer) == timers_.end()) continue;
    if (!item.timer->Due(now_)) continue;
    item.timer->Fire();
  }
}

void SimulatedEventLoop::RunFor(uint64_t duration) {
  const uint64_t end = now_ + duration;
  for (;;) {
    const uint64_t next = NextDue();
    if (next > end) break;
    now_ = std::max(now_, next);
    ProcessMessages();
  }
  now_ = std::max(now_, end);
}

bool SimulatedEventLoop::RunUntil(const std::function<bool()>& done, uint64_t limit) {
  const uint64_t end = now_ + limit;
  while (!done()) {
    const uint64_t next = NextDue();
    if (next > end) {
      now_ = std::max(now_, end);
      return done();
    }
    now_ = std::max(now_, next);
    ProcessMessages();
  }
  return true;
}

}  // namespace sonavia::testing
