// The real event loop's waits: asleep until a message or the end, woken by
// what comes, and nested as the program nests them.
#include "qt/QtEventLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "platform/UnitTools.h"

namespace sonavia::qt {
namespace {

using platform::WaitProcessingMessages;

// The calling thread's context switches so far: each is a wake-up.
long ThreadSwitches() {
  std::ifstream status("/proc/thread-self/status");
  long total = 0;
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
        line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
      total += std::stol(line.substr(line.find(':') + 1));
  }
  return total;
}

TEST(QtEventLoop, AWaitRunsTimersAndSleepsBetweenThem) {
  QtEventLoop loop;
  int ticks = 0;
  auto timer = loop.CreateTimer();
  timer->SetInterval(100);
  timer->SetOnTimer([&] { ++ticks; });
  QElapsedTimer clock;
  clock.start();
  const long before = ThreadSwitches();
  WaitProcessingMessages(loop, 500);
  const qint64 took = clock.elapsed();
  const long wakeUps = ThreadSwitches() - before;
  EXPECT_GE(took, 500);
  EXPECT_LT(took, 1000);
  EXPECT_GE(ticks, 3);
  // Asleep, it wakes for each tick and the end; a wait that spun would
  // wake some 500 times.
  EXPECT_LT(wakeUps, 60);
}

TEST(QtEventLoop, AMessageFromAnotherThreadWakesAWait) {
  QtEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  qint64 posted = -1;
  qint64 handled = -1;
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    posted = clock.elapsed();
    QMetaObject::invokeMethod(
        qApp, [&] { handled = clock.elapsed(); }, Qt::QueuedConnection);
  });
  WaitProcessingMessages(loop, 600);
  poster.join();
  ASSERT_GE(handled, 0) << "the message ran inside the wait";
  EXPECT_LT(handled - posted, 250) << "not left until the wait's end";
  EXPECT_GE(clock.elapsed(), 600);
}

// The outer wait's end passes while an inner one runs; the outer one ends
// as soon as the inner one returns, and not before.
TEST(QtEventLoop, AnOuterWaitEndsAsSoonAsTheInnerOneReturns) {
  QtEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  qint64 innerEnded = -1;
  QTimer::singleShot(50, qApp, [&] {
    WaitProcessingMessages(loop, 400);
    innerEnded = clock.elapsed();
  });
  WaitProcessingMessages(loop, 200);
  const qint64 outerEnded = clock.elapsed();
  ASSERT_GE(innerEnded, 450);
  EXPECT_GE(outerEnded, innerEnded);
  EXPECT_LT(outerEnded - innerEnded, 150);
}

}  // namespace
}  // namespace sonavia::qt
