// Switch scanning: the pointer walks the button toolbar, one button at a
// time, so that a single switch wired as the left mouse button can choose
// any of them. After a choice among the later buttons the pointer waits on
// the chosen one, so that it can be chosen again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "platform/Input.h"

namespace sonavia::controls {

// The step and the pause are whole tenths of a second from 1 to 100; any
// other text in their edits becomes these, at the start, when an edit is
// left, and when the settings are read.
inline constexpr const char* kScanStepFallback = "15";
inline constexpr const char* kScanPauseFallback = "30";
bool ValidScanTenths(const std::string& text);
// An edit's tenths of a second as a timer interval in milliseconds. An
// unchecked value is used as it stands; a negative one never ticks, like 0.
uint32_t ScanInterval(const platform::Edit& edit);
// Buttons up to this index (history, stop, reload) never hold the pointer.
inline constexpr int kLastIndexWithoutHold = 3;
// No button is framed.
inline constexpr int kNoFrame = -1;

class Scanning {
 public:
  // The window's scan fields, which the settings and the window's creation
  // also write.
  struct Fields {
    int& position;
    int& first;
    int& last;
    int& pitch;
  };
  struct Controls {
    platform::MenuItem& item;  // its check mark: scanning on or off
    platform::Timer& step;
    platform::Timer& pause;
    platform::Edit& stepEdit;   // tenths of a second
    platform::Edit& pauseEdit;  // tenths of a second
  };
  // `focusPage` gives the page the keyboard focus back after an edit;
  // `frameChanged` tells the view that the framed button moved.
  Scanning(Controls controls, Fields fields, platform::Input& input,
           std::function<void()> focusPage, std::function<void()> frameChanged);
  Scanning(const Scanning&) = delete;
  Scanning& operator=(const Scanning&) = delete;

  // Switches scanning on or off, taking the step from its edit as it
  // stands. A running hold is left to end by itself.
  void Toggle();
  // Moves the pointer to the next button; during a hold it only puts it
  // back on the held one.
  void Step();
  // A choice while the pointer is on a later button: the pointer waits
  // there for the pause.
  void Hold();
  void EndHold();
  // An edit left: out-of-range values become the fallback.
  void CheckStepEdit();
  void CheckPauseEdit();

  // The toolbar index of the button shown framed, or kNoFrame.
  int FramedIndex() const { return framed_; }

 private:
  void CheckEdit(platform::Edit& edit, const char* fallback);
  void SetFrame(int index);

  Controls c_;
  Fields f_;
  platform::Input& input_;
  std::function<void()> focusPage_;
  std::function<void()> frameChanged_;
  int framed_ = kNoFrame;
};

}  // namespace sonavia::controls
