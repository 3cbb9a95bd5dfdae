// The window-list seam: the program's top-level windows, topmost first, and
// bringing one to the top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonavia::platform {

using WindowHandle = uint64_t;

struct WindowInfo {
  WindowHandle handle = 0;
  std::string title;      // UTF-8
  std::string className;  // the toolkit's class name of the window
  // A message window's own text and the key that answers it without
  // changing anything (Return to accept, Escape to cancel); 0 when none.
  std::string text;
  int answerKey = 0;
  // The program's own window (the main window, the about box), whose caption
  // may hold a page's title: never one of the windows the watchdog closes.
  bool own = false;
};

class WindowList {
 public:
  virtual ~WindowList() = default;
  // Visible top-level windows, topmost first.
  virtual std::vector<WindowInfo> TopLevelWindows() = 0;
  // Raises and activates the window, so that keys pressed next reach it.
  virtual void BringToTop(WindowHandle window) = 0;
};

}  // namespace sonavia::platform
