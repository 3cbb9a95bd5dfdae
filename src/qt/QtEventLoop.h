// The event-loop seam on Qt's own loop: QElapsedTimer for the tick count,
// QTimer for the timers, processEvents for "dispatch what is pending" and,
// woken by a single-shot timer, for "sleep until a message or a deadline".
#pragma once

#include <QElapsedTimer>

#include "platform/EventLoop.h"

namespace sonavia::qt {

class QtEventLoop : public platform::EventLoop {
 public:
  QtEventLoop() { clock_.start(); }
  uint32_t TickCount() override { return static_cast<uint32_t>(clock_.elapsed()); }
  void ProcessMessages() override;
  void WaitForMessages(uint32_t longest) override;
  std::unique_ptr<platform::Timer> CreateTimer() override;

 private:
  QElapsedTimer clock_;
};

}  // namespace sonavia::qt
