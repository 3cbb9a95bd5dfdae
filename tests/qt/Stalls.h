// How long the main thread went without running its timers, measured
// from the test's own event loop.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

namespace sonavia::qt::testing {

// The longest time the main thread went without running its timers.
class Stalls {
 public:
  Stalls() {
    clock_.start();
    tick_.setInterval(10);
    QObject::connect(&tick_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, clock_.elapsed() - last_);
      last_ = clock_.elapsed();
    });
    tick_.start();
  }
  qint64 Longest() const { return longest_; }

 private:
  QElapsedTimer clock_;
  QTimer tick_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

}  // namespace sonavia::qt::testing
