// What a page asks of the user's machine and the windows it opens, as the
// user hears them. Every request for the location, notifications, the
// camera, the microphone or the screen has been refused already (nobody
// can answer it for our users); the user hears once for each page what it
// asked, briefly, without the reading being held. A window the page opens
// (a file chooser, a colour or a date picker, a list) takes the keyboard,
// so it is said each time it opens, with the key that closes it.
// Requests that come together are said together: each notice would cut
// the one before it.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "platform/EventLoop.h"
#include "shell/BrowserComponent.h"

namespace sonavia::shell {

// How long requests are gathered before they are said.
inline constexpr uint32_t kPageRequestsGathered = 300;

std::string RefusalText(PageAsk ask);
std::string PageWindowText(PageWindowKind kind);

class PageRequests {
 public:
  // `notice` says a text over the reading and shows it in the status bar.
  PageRequests(platform::EventLoop& loop, std::function<void(const std::string&)> notice);

  // A new page began loading: its requests are told afresh.
  void NewPage();
  // The page asked for `ask` and was refused.
  void Refused(PageAsk ask);
  // The page opened a window of `kind`.
  void WindowOpened(PageWindowKind kind);
  // The window is closing: nothing more is said.
  void Close();

 private:
  void Add(const std::string& text);
  void Tell();

  std::function<void(const std::string&)> notice_;
  std::unique_ptr<platform::Timer> timer_;
  std::set<PageAsk> told_;  // this page's
  std::string pending_;
  bool closed_ = false;
};

}  // namespace sonavia::shell
