#include "shell/CompletionOrder.h"

namespace sonavia::shell {

void CompletionOrder::LoadStarted() {
  ++load_;
  abandoned_ = false;
  busy_ = true;
  framesInFlight_ = 0;
  topFinished_ = false;
  topWaiting_ = false;
}

void CompletionOrder::Abandon() {
  ++load_;
  busy_ = false;
  framesInFlight_ = 0;
  topWaiting_ = false;
  // What the engine still reports of it belongs to no load.
  abandoned_ = true;
}

void CompletionOrder::FrameLoaded() {
  if (!busy_ || topFinished_ || abandoned_) return;
  ++framesInFlight_;
  actions_.readDocument({load_, false});
}

void CompletionOrder::TopLoaded() {
  if (abandoned_) return;
  topFinished_ = true;
  // The frames' completions go first, whatever order the engine reports.
  if (framesInFlight_ > 0) {
    topWaiting_ = true;
    return;
  }
  ReadTop();
}

void CompletionOrder::ReadTop() {
  topWaiting_ = false;
  actions_.readDocument({load_, true});
}

void CompletionOrder::SnapshotRead(Snapshot snapshot) {
  if (!Current(snapshot)) return;
  if (snapshot.top) {
    Queue(true);
    return;
  }
  --framesInFlight_;
  const std::weak_ptr<bool> alive = alive_;
  Queue(false);
  if (alive.expired()) return;
  if (framesInFlight_ == 0 && topWaiting_) ReadTop();
}

void CompletionOrder::Queue(bool top) {
  queue_.push_back({load_, top});
  // A handler still running raises this one when it returns.
  if (raising_) return;
  raising_ = true;
  const std::weak_ptr<bool> alive = alive_;
  while (!alive.expired() && !queue_.empty()) {
    const Snapshot next = queue_.front();
    queue_.pop_front();
    if (!Current(next)) continue;  // a newer load began meanwhile
    if (next.top) busy_ = false;
    // A copy: the handler may destroy this object, and its actions with it.
    const auto complete = actions_.complete;
    complete(next.top);
  }
  if (!alive.expired()) raising_ = false;
}

}  // namespace sonavia::shell
