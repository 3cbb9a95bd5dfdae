#include "support/ScriptedBrowser.h"

#include <gtest/gtest.h>

namespace sonavia::testing {
namespace {

TEST(ScriptedBrowser, RaisesThePageEventsInOrderAtTheirTimes) {
  SimulatedEventLoop loop;
  ScriptedBrowser browser(loop);
  browser.AddPage("file:///d/p.htm",
                  ScriptedPage{"T", "<body>x</body>", true, {"file:///d/a.htm"}, 2, 400, ""});
  std::vector<std::string> seen;
  browser.events.DocumentComplete = [&] { seen.push_back(browser.Busy() ? "busy" : "done"); };
  browser.Navigate("file:///d/p.htm");
  EXPECT_THROW(browser.Document(), shell::BrowserError);
  loop.RunFor(1000);
  EXPECT_EQ(browser.raised,
            (std::vector<std::string>{"0 DownloadBegin", "100 NavigateComplete2",
                                      "100 ProgressChange(50,100)", "200 DocumentComplete(frame)",
                                      "201 DocumentComplete(frame)", "400 ProgressChange(100,100)",
                                      "400 DownloadComplete", "400 StatusTextChange(Listo)",
                                      "400 DocumentComplete"}));
  EXPECT_EQ(seen, (std::vector<std::string>{"busy", "busy", "done"}));
  EXPECT_EQ(browser.Document().Title(), "T");
  EXPECT_EQ(browser.Document().Links_Item(0), "file:///d/a.htm");
  for (const int32_t beyond : {-1, 1}) {
    EXPECT_THROW(browser.Document().Links_Item(beyond), shell::BrowserError) << beyond;
  }
  EXPECT_EQ(browser.LocationName(), "p.htm");
  EXPECT_EQ(browser.LocationURL(), "file:///d/p.htm");
}

TEST(ScriptedBrowser, ANewNavigationCancelsTheOldOneAndFailuresThrow) {
  SimulatedEventLoop loop;
  ScriptedBrowser browser(loop);
  int completions = 0;
  browser.events.DocumentComplete = [&] { ++completions; };
  browser.Navigate("a");
  loop.RunFor(100);
  browser.Navigate("b");
  loop.RunFor(1000);
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(browser.LocationURL(), "b");
  browser.failCalls = true;
  EXPECT_THROW(browser.Navigate("c"), shell::BrowserError);
  EXPECT_THROW(browser.QueryStatusWB(shell::OLECMDID_PRINT), shell::BrowserError);
}

}  // namespace
}  // namespace sonavia::testing
