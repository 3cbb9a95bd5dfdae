#include "support/SimulatedEventLoop.h"

#include <algorithm>

namespace sonavia::testing {

void SimulatedEventLoop::Post(uint32_t delay, std::function<void()> action) {
  events_.push_back(Event{now_ + delay, timers_.NextOrder(), std::move(action)});
}

uint64_t SimulatedEventLoop::NextDue() const {
  uint64_t next = timers_.NextDue();
  for (const auto& event : events_) next = std::min(next, event.due);
  return next;
}

void SimulatedEventLoop::ProcessMessages() {
  if (!DispatchDue()) now_ = std::min<uint64_t>(now_ + kIdleStep, std::max(NextDue(), now_));
}

void SimulatedEventLoop::WaitForMessages(uint32_t longest) {
  if (DispatchDue()) return;
  const uint64_t end = now_ + longest;
  const uint64_t next = NextDue();
  now_ = std::min(next, end);
  if (next < end) DispatchDue();
}

bool SimulatedEventLoop::DispatchDue() {
  // A snapshot of what is due now, ordered by due time then by age.
  struct Item {
    uint64_t due;
    uint64_t order;
    bool timer;
    uint64_t id;
  };
  std::vector<Item> due;
  for (const auto& entry : timers_.DueAt(now_))
    due.push_back({entry.due, entry.order, true, entry.id});
  for (const auto& event : events_) {
    if (event.due <= now_) due.push_back({event.due, event.order, false, event.order});
  }
  if (due.empty()) return false;
  std::sort(due.begin(), due.end(), [](const Item& a, const Item& b) {
    return a.due != b.due ? a.due < b.due : a.order < b.order;
  });
  for (const auto& item : due) {
    if (item.timer) {
      timers_.FireIfDue(item.id, now_);
      continue;
    }
    // Events run once; a nested dispatch may already have run this one.
    auto it = std::find_if(events_.begin(), events_.end(),
                           [&](const Event& e) { return e.order == item.id; });
    if (it == events_.end()) continue;
    auto action = std::move(it->action);
    events_.erase(it);
    action();
  }
  return true;
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

}  // namespace sonavia::testing
