// The event-loop seam: a millisecond tick count, "dispatch every pending
// message once", and timers with an interval and an enabled flag.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace sonavia::platform {

// A repeating timer owned by the one user-interface thread. Like a window-
// system timer it runs only while it is enabled, has a nonzero interval and
// has a handler; enabling it, or changing its interval while it runs, starts
// a fresh countdown. A tick is never queued twice: a timer whose handler is
// slow simply fires later.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetInterval(uint32_t milliseconds) = 0;
  virtual uint32_t Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetOnTimer(std::function<void()> handler) = 0;
};

class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Milliseconds since some start; wraps around like any 32-bit tick count.
  virtual uint32_t TickCount() = 0;
  // Dispatches every message that is pending now, each once, and returns.
  // Handlers may call it again (nested waits).
  virtual void ProcessMessages() = 0;
  // As ProcessMessages; but when nothing is pending, first sleeps until a
  // message comes or `longest` milliseconds have passed, whichever is
  // first. A handler it runs may wait in turn; it returns once that handler
  // has, even if `longest` ran out meanwhile. It may return early; callers
  // measure the time themselves.
  virtual void WaitForMessages(uint32_t longest) = 0;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

}  // namespace sonavia::platform
