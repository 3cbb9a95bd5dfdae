#include "shell/PageWatch.h"

#include <utility>

namespace sonavia::shell {

PageWatch::PageWatch(Actions actions, platform::EventLoop& loop)
    : actions_(std::move(actions)),
      loop_(loop),
      asking_(loop.CreateTimer()),
      ending_(loop.CreateTimer()) {
  asking_->SetInterval(kAskEvery);
  asking_->SetOnTimer([this] { Tick(); });
  ending_->SetEnabled(false);
  ending_->SetInterval(kLongestEnd);
  ending_->SetOnTimer([this] { RunWaiting(); });
}

void PageWatch::Tick() {
  if (pending_ == 0) {
    pending_ = ++questions_;
    askedAt_ = loop_.TickCount();
    actions_.ask(pending_);
    return;
  }
  if (hung_ || dialogs_ > 0 || static_cast<uint32_t>(loop_.TickCount() - askedAt_) < kUnanswered)
    return;
  hung_ = true;
  actions_.notResponding();
}

void PageWatch::Answered(uint64_t question) {
  // An answer to an older question, from a process since ended, is no news.
  if (question != pending_) return;
  pending_ = 0;
  hung_ = false;
}

void PageWatch::DialogOpen(bool open) {
  // Dialogs may be nested, each waiting in the one before.
  dialogs_ = open ? dialogs_ + 1 : (dialogs_ > 0 ? dialogs_ - 1 : 0);
  // The time the dialog waited for the user is not the page's.
  askedAt_ = loop_.TickCount();
}

void PageWatch::Run(std::function<void()> command) {
  // A page held in its own dialog (alerts in a loop, say) would not let the
  // command through either.
  if (!hung_ && dialogs_ == 0) {
    command();
    return;
  }
  const bool another = static_cast<bool>(waiting_);
  waiting_ = std::move(command);
  if (another) return;  // the process is being ended already: the last command goes
  if (!actions_.endProcess()) {
    RunWaiting();
    return;
  }
  ending_->SetEnabled(true);
}

bool PageWatch::ProcessEnded() {
  pending_ = 0;
  hung_ = false;
  if (!waiting_) return false;
  RunWaiting();
  return true;
}

void PageWatch::RunWaiting() {
  ending_->SetEnabled(false);
  hung_ = false;
  pending_ = 0;
  auto command = std::exchange(waiting_, nullptr);
  if (command) command();
}

}  // namespace sonavia::shell
