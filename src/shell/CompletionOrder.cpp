#include "shell/CompletionOrder.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace sonavia::shell {

CompletionOrder::CompletionOrder(Actions actions, platform::EventLoop& loop)
    : actions_(std::move(actions)), loop_(loop), settle_(loop.CreateTimer()) {
  settle_->SetEnabled(false);
  settle_->SetOnTimer([this] { CheckSettled(); });
}

void CompletionOrder::LoadStarted() {
  settle_->SetEnabled(false);
  started_ = false;
  parsed_ = false;
  changed_ = false;
  ++load_;
  abandoned_ = false;
  busy_ = true;
  framesInFlight_ = 0;
  topFinished_ = false;
  topWaiting_ = false;
}

bool CompletionOrder::TopStarted() {
  if (started_) return false;
  started_ = true;
  return true;
}

void CompletionOrder::Abandon() {
  settle_->SetEnabled(false);
  ++load_;
  busy_ = false;
  framesInFlight_ = 0;
  topWaiting_ = false;
  // What the engine still reports of it belongs to no load.
  abandoned_ = true;
}

void CompletionOrder::FrameLoaded() {
  if (!busy_ || !started_ || topFinished_ || abandoned_) return;
  ++framesInFlight_;
  actions_.readDocument({load_, false});
}

void CompletionOrder::TopLoaded() {
  // Taken as loaded already once its text settled.
  if (abandoned_ || topFinished_ || !busy_) return;
  topFinished_ = true;
  settle_->SetEnabled(false);
  // The frames' completions go first, whatever order the engine reports.
  if (framesInFlight_ > 0) {
    topWaiting_ = true;
    return;
  }
  ReadTop();
}

void CompletionOrder::TopParsed() {
  if (!busy_ || !started_ || topFinished_ || abandoned_ || parsed_) return;
  parsed_ = true;
  parsedAt_ = loop_.TickCount();
  CheckSettled();
}

void CompletionOrder::TopChanged() {
  if (!busy_ || !started_ || topFinished_ || abandoned_) return;
  changed_ = true;
  changedAt_ = loop_.TickCount();
  CheckSettled();
}

void CompletionOrder::CheckSettled() {
  settle_->SetEnabled(false);
  if (!busy_ || topFinished_ || abandoned_ || (!parsed_ && !changed_)) return;
  const uint32_t now = loop_.TickCount();
  // Unsigned differences: a wrap of the tick count changes nothing.
  uint32_t quiet = changed_ ? static_cast<uint32_t>(now - changedAt_) : UINT32_MAX;
  uint32_t wait = 0;
  if (parsed_) {
    const uint32_t sinceParsed = now - parsedAt_;
    // The parse's end is a change of its own.
    quiet = std::min(quiet, sinceParsed);
    const uint32_t untilQuiet = quiet >= kParsedQuiet ? 0 : kParsedQuiet - quiet;
    const uint32_t untilLongest = sinceParsed >= kParsedLongest ? 0 : kParsedLongest - sinceParsed;
    wait = std::min(untilQuiet, untilLongest);
  } else {
    wait = quiet >= kUnparsedQuiet ? 0 : kUnparsedQuiet - quiet;
  }
  if (wait == 0) {
    TopLoaded();
    return;
  }
  settle_->SetInterval(wait);
  settle_->SetEnabled(true);
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
