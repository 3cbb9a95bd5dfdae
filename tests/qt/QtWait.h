#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace sonavia::testing {

// Runs the real event loop until `done()` holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

inline void Pump(int ms) {
  WaitFor([] { return false; }, ms);
}

}  // namespace sonavia::testing
