// Whether the page still answers. The component asks the page something
// small every second; a page that leaves a question unanswered for
// kUnanswered ms, no dialog of its own waiting for the user meanwhile, has
// stopped answering (a script that never ends, dialogs in a loop), and is
// said to once. A command that leaves such a page, or one whose dialog is
// open (reload, back, forward, another address), goes to a fresh page
// process: the page's is ended first, and the command runs once it has
// gone, or after kLongestEnd ms whatever happened.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/EventLoop.h"

namespace sonavia::shell {

class PageWatch {
 public:
  static constexpr uint32_t kAskEvery = 1000;
  static constexpr uint32_t kUnanswered = 3000;
  static constexpr uint32_t kLongestEnd = 2000;

  struct Actions {
    // Ask the page; call Answered with `question` when it answers.
    std::function<void(uint64_t question)> ask;
    // The page has stopped answering.
    std::function<void()> notResponding;
    // End the page's process; false when there is none to end.
    std::function<bool()> endProcess;
  };

  PageWatch(Actions actions, platform::EventLoop& loop);
  PageWatch(const PageWatch&) = delete;
  PageWatch& operator=(const PageWatch&) = delete;

  void Answered(uint64_t question);
  // A page's dialog is open, or was closed: the page waits for the user.
  void DialogOpen(bool open);
  // Runs `command` now, or, when the page does not answer, once its
  // process has been ended.
  void Run(std::function<void()> command);
  // The page's process ended. True when it was ended here for a command,
  // which then runs: no crash to tell.
  bool ProcessEnded();
  bool Responding() const { return !hung_; }

 private:
  void Tick();
  void RunWaiting();

  Actions actions_;
  platform::EventLoop& loop_;
  std::unique_ptr<platform::Timer> asking_;
  std::unique_ptr<platform::Timer> ending_;
  uint64_t questions_ = 0;
  uint64_t pending_ = 0;  // the question not answered yet; 0 for none
  uint32_t askedAt_ = 0;
  int dialogs_ = 0;  // the page's dialogs waiting for the user
  bool hung_ = false;
  std::function<void()> waiting_;  // the command waiting for the process's end
};

}  // namespace sonavia::shell
