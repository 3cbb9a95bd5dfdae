#include "system/RealTimeEventLoop.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/BasicTimer.h"

namespace sonavia::system {

namespace {
int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

class RealTimeEventLoop::RealTimer : public platform::BasicTimer {
 public:
  explicit RealTimer(RealTimeEventLoop* loop) : loop_(loop) {
    seq = loop_->seq_++;
    loop_->timers_.push_back(this);
    Reschedule();
  }
  ~RealTimer() override {
    if (loop_ != nullptr) {
      auto& timers = loop_->timers_;
      timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    }
  }
  bool Due(uint64_t now) const { return loop_ != nullptr && Running() && due <= now; }
  void Fire() {
    due = loop_->NowMs() + Interval();
    RunHandler();
  }

  uint64_t due = 0;
  uint64_t seq = 0;
  RealTimeEventLoop* loop_;

 protected:
  void Reschedule() override {
    if (loop_ != nullptr) due = loop_->NowMs() + Interval();
  }
};

RealTimeEventLoop::RealTimeEventLoop() : originNs_(SteadyNs()) {}

RealTimeEventLoop::~RealTimeEventLoop() {
  for (auto* timer : timers_) timer->loop_ = nullptr;
}

uint64_t RealTimeEventLoop::NowMs() const {
  return static_cast<uint64_t>((SteadyNs() - originNs_) / 1000000);
}

uint32_t RealTimeEventLoop::TickCount() {
  return static_cast<uint32_t>(NowMs());
}

std::unique_ptr<platform::Timer> RealTimeEventLoop::CreateTimer() {
  return std::make_unique<RealTimer>(this);
}

void RealTimeEventLoop::ProcessMessages() {
  const uint64_t now = NowMs();
  std::vector<RealTimer*> due;
  for (auto* timer : timers_) {
    if (timer->Due(now)) due.push_back(timer);
  }
  if (due.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return;
  }
  std::sort(due.begin(), due.end(), [](const RealTimer* a, const RealTimer* b) {
    return a->due != b->due ? a->due < b->due : a->seq < b->seq;
  });
  for (auto* timer : due) {
    // A handler may have stopped, restarted or destroyed a later one.
    if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end()) continue;
    if (!timer->Due(NowMs())) continue;
    timer->Fire();
  }
}

void RealTimeEventLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) ProcessMessages();
}

}  // namespace sonavia::system
