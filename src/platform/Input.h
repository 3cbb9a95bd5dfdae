// The input seam: keys and clicks synthesized for the program's own window.
#pragma once

namespace sonavia::platform {

class Input {
 public:
  virtual ~Input() = default;
  // A press and release of a Windows virtual key (Page Up 0x21, Page Down
  // 0x22, Tab 0x09, F6 0x75, Escape 0x1B, Return 0x0D), received by
  // whatever has the keyboard focus.
  virtual void PressKey(int virtualKey) = 0;
  // A left-button press and release at a point of the browser area, which
  // gives the page the keyboard focus. The user's pointer does not move.
  virtual void ClickPage(int x, int y) = 0;
};

}  // namespace sonavia::platform
