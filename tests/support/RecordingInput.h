// The input seam recorded: every key, click and pointer move as a line,
// with a pointer that stays where it was last put.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Input.h"

namespace sonavia::testing {

struct RecordingInput : platform::Input {
  std::vector<std::string> calls;
  platform::Point pointer{500, 400};
  // The client area's origin on the screen, and the browser area's top.
  platform::Point origin{100, 50};
  int browserTop = 95;

  void PressKey(int virtualKey) override {
    calls.push_back("PressKey(" + std::to_string(virtualKey) + ")");
  }
  void ClickPage(int x, int y) override {
    calls.push_back("ClickPage(" + std::to_string(x) + "," + std::to_string(y) + ")");
  }
  void ClickWindow(platform::Point p) override {
    calls.push_back("ClickWindow(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")");
  }
  int BrowserTop() override { return browserTop; }
  platform::Point ClientToScreen(platform::Point p) override {
    return {p.x + origin.x, p.y + origin.y};
  }
  platform::Point CursorPos() override { return pointer; }
  void SetCursorPos(platform::Point p) override {
    pointer = p;
    calls.push_back("SetCursorPos(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")");
    if (onMove) onMove();
  }
  // Told of every move, after it.
  std::function<void()> onMove;
};

}  // namespace sonavia::testing
