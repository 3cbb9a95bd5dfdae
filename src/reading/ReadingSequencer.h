// Walks the reading list and hands its units to the speech engine one at a
// time. The engine never calls back: a 100 ms poll learns that a text has
// ended and runs the next step, which pauses 500 ms between units. Every
// wait dispatches messages, so any command or event can run inside a step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "reading/PageConverter.h"
#include "reading/ReadingFollower.h"
#include "reading/ReadingList.h"
#include "reading/SpeechPort.h"

namespace sonavia::reading {

inline constexpr uint32_t kPollInterval = 100;
inline constexpr uint32_t kPauseBetweenUnits = 500;
inline constexpr uint32_t kWaitAfterInterrupting = 1000;

class ReadingSequencer : public ConversionLimitWarning {
 public:
  // `pollTimer` is the 100 ms status poll, which lives for the whole run;
  // `speechOn` says whether speech is on, as the speech button shows it;
  // `speedField` (EditVelocitat) is disabled while the engine speaks.
  ReadingSequencer(ReadingList& list, SpeechPort& speech, platform::EventLoop& loop,
                   platform::Timer& pollTimer, std::function<bool()> speechOn,
                   platform::Edit& speedField);
  ReadingSequencer(const ReadingSequencer&) = delete;
  ReadingSequencer& operator=(const ReadingSequencer&) = delete;

  // Returns busy; every caller ignores it.
  bool SpeakUnit(const std::string& text) override;
  void StopSpeaking();
  void TimerStatusUpcTVTimer();
  void SpeakNext();
  void StartReadingAt(int32_t firstUnit);
  void StepBackAndStop();
  bool ResolveCurrentLink();

  // Shows on the page the unit being read.
  ReadingFollower& Follower() { return follower_; }

  // The conversion's warning speaks in the item voice.
  void UseItemVoice() override { speech_.UseItemVoice(); }

 private:
  bool SpeechOn() const { return speechOn_(); }
  void SpeakNextStep();
  // The next unit or link with something to say; past the count for none.
  int32_t NextSpokenUnit();
  int32_t NextSpokenLink();

  ReadingList& list_;
  SpeechPort& speech_;
  platform::EventLoop& loop_;
  platform::Timer& poll_;
  std::function<bool()> speechOn_;
  platform::Edit& speedField_;
  ReadingFollower follower_{list_};
};

}  // namespace sonavia::reading
