#include "qt/EndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace sonavia::qt {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
volatile sig_atomic_t gWriteEnd = -1;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up: nothing is lost.
  if (gWriteEnd >= 0) {
    const ssize_t written = write(gWriteEnd, &byte, 1);
    (void)written;
  }
  errno = saved;
}

}  // namespace

EndSignals::EndSignals(std::function<void()> close, QObject* parent)
    : QObject(parent), close_(std::move(close)) {
  if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  gWriteEnd = pipe_[1];
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int s : kSignals) sigaction(s, &action, nullptr);
}

EndSignals::~EndSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int s : kSignals) sigaction(s, &action, nullptr);
  gWriteEnd = -1;
  for (const int fd : pipe_) {
    if (fd >= 0) close(fd);
  }
}

void EndSignals::Drain() {
  char bytes[64];
  while (read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  // A second signal while the close goes on is the same close.
  if (received_) return;
  received_ = true;
  if (close_) close_();
}

}  // namespace sonavia::qt
