// SIGTERM, SIGHUP and SIGINT (a logout, a `kill`, the terminal closed,
// Ctrl+C in it) end the program as a close of its window does: speech stopped, settings written.
// The handler itself only writes a byte to a pipe, the one thing it may
// safely do; the message loop reads it and asks for the close.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace sonavia::qt {

class EndSignals : public QObject {
 public:
  // `close` runs once, on the loop, at the first of the signals.
  explicit EndSignals(std::function<void()> close, QObject* parent = nullptr);
  ~EndSignals() override;  // the signals' default actions come back
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  // Whether a signal has asked for the close.
  bool Received() const { return received_; }

 private:
  void Drain();

  std::function<void()> close_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  bool received_ = false;
};

}  // namespace sonavia::qt
