// Switch scanning: the pointer walks the button toolbar, one button at a
// time, so that a single switch wired as the left mouse button can choose
// any of them. After a choice among the later buttons the pointer waits on
// the chosen one, so that it can be chosen again.
//
// Beyond the nine buttons, and only when asked: a second cycle over places
// for the menu commands a switch user needs (entered by a long press); with
// spoken scanning, a rest after two cycles without a press, and a wait on
// "Al link" while the reading speaks a link, so that one press follows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "platform/Input.h"
#include "reading/ReadingSequencer.h"

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
// The button that follows a link: where the scan waits while one is read.
inline constexpr int kFollowLinkIndex = 7;
// Spoken scanning rests after this many cycles without a press.
inline constexpr int kCyclesBeforeRest = 2;
// The next unit after a link's text starts this long before the scan leaves
// "Al link", so that the wait goes on from one link to the next.
inline constexpr uint32_t kLinkWaitOverlap = 200;
// No button is framed.
inline constexpr int kNoFrame = -1;

// What spoken scanning says besides the captions.
enum class ScanNews { Resting, SecondCycle };

class Scanning : public reading::LinkListener {
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
    platform::Edit& stepEdit;    // tenths of a second
    platform::Edit& pauseEdit;   // tenths of a second
    platform::MenuItem& spoken;  // checked and enabled: spoken scanning
  };
  struct Hooks {
    // Gives the page the keyboard focus back after an edit.
    std::function<void()> focusPage;
    // The framed button moved.
    std::function<void()> frameChanged;
    // With spoken scanning: the scan has come to the index-th button shown.
    std::function<void(int)> reached;
    std::function<void(ScanNews)> told;
    // Shows the second cycle's places after the buttons, or hides them;
    // returns how many show.
    std::function<int(bool)> showSecondCycle;
    // The page's elements, while they are offered in place of the buttons:
    // whether they are, a step among them, and leaving them (whether they
    // were offered).
    std::function<bool()> elementsActive{};
    std::function<void()> elementsStep{};
    std::function<bool()> elementsEnd{};
    // Whether something offered in place of the buttons puts the pointer
    // on what it offers itself (the scanning keyboard).
    std::function<bool()> pointerElsewhere{};
  };
  Scanning(Controls controls, Fields fields, platform::Input& input, Hooks hooks);
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

  // The index among the buttons shown of the one framed, or kNoFrame; in
  // the second cycle its places show in the nine buttons' stead.
  int FramedIndex() const { return framed_; }

  // Scanning is on, spoken scanning checked and available.
  bool Speaks() const;
  // Switches spoken scanning (its menu item's check mark); without it there
  // is no rest and no wait on the links.
  void ToggleSpoken();
  void SpokenChanged();
  // At rest the pointer stays and nothing is said until a press wakes it;
  // the next step goes to the first button.
  bool Resting() const { return resting_; }
  void Wake();

  // The second cycle: a long press enters it, or leaves it again. Its places
  // come one step after each other after the buttons; a pass without a
  // choice goes back where the scan was.
  bool InSecondCycle() const { return inSecondCycle_; }
  void ToggleSecondCycle();
  // A place of the second cycle chosen: back where the scan was, then the
  // command, which holds no pointer.
  void RunChosenPlace(const std::function<void()>& command);
  // The page's elements are offered from now: a full step for the first,
  // and no button framed while they are.
  void ElementsOffered();

  // The link the scan waits on for the switch, from 1, or 0.
  int32_t LinkOffered() const { return link_ != LinkWait::None ? offeredLink_ : 0; }
  // A press of the switch was taken: it counts against the rest, and with
  // the delay after a press the next step waits one step more.
  void Pressed();
  void SetDelayAfterPress(bool on) { delayAfterPress_ = on; }
  bool DelayAfterPress() const { return delayAfterPress_; }
  uint32_t StepInterval() const { return c_.step.Interval(); }
  // The step scanning takes when it is next switched on.
  uint32_t NextStepInterval() const { return ScanInterval(c_.stepEdit); }
  bool On() const { return c_.item.Checked(); }

  // The reading's links.
  void LinkStarted(int32_t link) override;
  void LinkEnded() override;
  uint32_t PauseAfterLink() override;

 private:
  enum class LinkWait { None, Reading, Ending };
  void CheckEdit(platform::Edit& edit, const char* fallback);
  void SetFrame(int index);
  // The pointer on the button at the scan's position, and the frame.
  void Place();
  // The scan's place among the buttons shown.
  int Shown() const;
  void Advance();
  void Reach();
  void Rest();
  void LeaveSecondCycle();
  void EndLinkWait();
  // Back from a link's wait or the second cycle: the scan where it was.
  void EndInterludes();
  bool ElementsActive() const { return hooks_.elementsActive && hooks_.elementsActive(); }

  Controls c_;
  Fields f_;
  platform::Input& input_;
  Hooks hooks_;
  int framed_ = kNoFrame;
  bool resting_ = false;
  int idleSteps_ = 0;
  bool skipNext_ = false;
  bool delayAfterPress_ = false;
  bool inSecondCycle_ = false;
  int secondCyclePlaces_ = 0;
  int positionBeforeSecondCycle_ = 0;
  bool noHold_ = false;
  LinkWait link_ = LinkWait::None;
  int32_t offeredLink_ = 0;
  int positionBeforeLink_ = 0;
};

}  // namespace sonavia::controls
