// The input seam: keys, clicks and pointer moves synthesized for the
// program's own window.
#pragma once

namespace sonavia::platform {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

class Input {
 public:
  virtual ~Input() = default;
  // A press and release of a virtual key (platform/VirtualKeys.h),
  // received by whatever has the keyboard focus.
  virtual void PressKey(int virtualKey) = 0;
  // Gives the page the keyboard focus as a left-button click at a point of
  // the browser area would; the page itself sees no click, which would pass
  // for the user's. The user's pointer does not move.
  virtual void ClickPage(int x, int y) = 0;
  // A left-button press and release at a point of the main window's client
  // area (below its menu bar), given to whatever control is there.
  virtual void ClickWindow(Point client) = 0;
  // The top of the browser area, in the main window's client coordinates.
  virtual int BrowserTop() = 0;
  // The main window's client point on the screen.
  virtual Point ClientToScreen(Point client) = 0;
  // The pointer's position on the screen, and moving it there.
  virtual Point CursorPos() = 0;
  virtual void SetCursorPos(Point screen) = 0;
};

}  // namespace sonavia::platform
