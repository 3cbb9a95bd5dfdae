// How many dialogs a page may open: after three within ten seconds, the
// rest are answered at once without a window, so that a page that keeps
// opening them cannot hold a user who cannot see them. A new page counts
// afresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/EventLoop.h"

namespace sonavia::shell {

class PageDialogLimit {
 public:
  static constexpr uint32_t kWindowMs = 10000;
  static constexpr size_t kShownInWindow = 3;

  explicit PageDialogLimit(platform::EventLoop& loop) : loop_(loop) {}

  // A new page began loading.
  void NewPage() { shown_.clear(); }
  // Whether the page's dialog asked for now gets a window; one that does
  // counts towards the limit.
  bool MayShow();

 private:
  platform::EventLoop& loop_;
  std::vector<uint32_t> shown_;  // tick counts of the dialogs shown lately
};

}  // namespace sonavia::shell
