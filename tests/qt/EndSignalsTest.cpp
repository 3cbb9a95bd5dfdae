// SIGTERM, SIGHUP and SIGINT ask for the window's close on the message loop, never
// inside the handler; once, however many come; and the signals' own
// actions are back when the program no longer listens.
#include "qt/EndSignals.h"

#include <gtest/gtest.h>

#include <csignal>

#include "QtWait.h"

namespace sonavia::qt {
namespace {

TEST(EndSignals, EachAsksForTheCloseOnceAndOnTheLoop) {
  for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(sig);
    int closes = 0;
    {
      EndSignals listening([&closes] { ++closes; });
      EXPECT_FALSE(listening.Received());
      std::raise(sig);
      EXPECT_EQ(closes, 0) << "not inside the handler";
      EXPECT_TRUE(testing::WaitFor([&] { return closes > 0; }, 5000));
      EXPECT_TRUE(listening.Received());
      std::raise(sig);  // a second one while the close goes on
      testing::Pump(200);
      EXPECT_EQ(closes, 1);
    }
    struct sigaction now {};
    sigaction(sig, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
  }
}

}  // namespace
}  // namespace sonavia::qt
