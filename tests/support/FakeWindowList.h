// A list of fake top-level windows, topmost first; bringing one to the top
// is recorded.
#pragma once

#include <string>
#include <vector>

#include "platform/WindowList.h"

namespace sonavia::testing {

struct FakeWindowList : platform::WindowList {
  std::vector<platform::WindowInfo> windows;
  std::vector<std::string> raised;

  std::vector<platform::WindowInfo> TopLevelWindows() override { return windows; }
  void BringToTop(platform::WindowHandle window) override {
    raised.push_back(std::to_string(window));
  }
  void Close(platform::WindowHandle window) {
    std::erase_if(windows, [window](const auto& w) { return w.handle == window; });
  }
};

}  // namespace sonavia::testing
