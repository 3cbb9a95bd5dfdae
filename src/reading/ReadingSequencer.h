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

// Whoever waits on the links as they are read: the switch scanning, which
// then offers the link being read to the switch.
class LinkListener {
 public:
  virtual ~LinkListener() = default;
  // Link `link` (from 1) has begun: its "LINK" in the page walk, its text in
  // the links walk.
  virtual void LinkStarted(int32_t link) = 0;
  // Its text has been spoken, or the reading left it before.
  virtual void LinkEnded() = 0;
  // How long the reading pauses after a link's text before the next unit;
  // kPauseBetweenUnits or more.
  virtual uint32_t PauseAfterLink() = 0;
};

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
  // A new page's reading begins: a step still waiting out its pause gives
  // way to it, rather than read on into the new page over its first words.
  void NewReading() { ++readings_; }
  // Jumps to `unit`: it is read at once, without the pause between units,
  // and the reading goes on from there; with speech off, it is where the
  // reading resumes.
  void ReadFrom(int32_t unit);
  // Stops a unit being spoken and leaves in LinkTarget the address of the
  // link being read, or of the first when none has been read yet. Returns
  // true.
  bool ResolveCurrentLink();

  // Says a short text now, in the item voice at `rate`, over the reading: a
  // unit being spoken gives way and is read again from its start once the
  // text has been said, as after a pause and resume; a unit that falls due
  // meanwhile waits for it. The next aside cuts this one short.
  void SpeakAside(const std::string& text, int32_t rate);
  // Whether an aside is still being said.
  bool AsideSounding() const { return asideSounding_; }

  void SetLinkListener(LinkListener* listener) { linkListener_ = listener; }
  // Runs before each unit is handed to speech, nothing being spoken: a rate
  // chosen while the last one was spoken applies from this one.
  void SetBeforeUnit(std::function<void()> beforeUnit) { beforeUnit_ = std::move(beforeUnit); }

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
  // The active cursor back by one, the link count with it when the unit
  // left was a link's "LINK", so that reading it again counts it once.
  void StepBack();
  // A unit has been handed to speech: the link it begins or ends.
  enum class LinkPhase { None, Announced, Text };
  void BeginLink(LinkPhase phase);
  void EndLink();
  // The pause before the next unit, longer after a link's text when the
  // listener wants it so.
  uint32_t PauseBefore(bool afterLink);
  // Whether an aside is still being said, so that the next unit waits for it.
  bool WaitsForAside();
  // Whether another reading took over while a step paused.
  bool TakenOver(uint64_t reading) const;

  ReadingList& list_;
  SpeechPort& speech_;
  platform::EventLoop& loop_;
  platform::Timer& poll_;
  std::function<bool()> speechOn_;
  platform::Edit& speedField_;
  ReadingFollower follower_{list_};
  LinkListener* linkListener_ = nullptr;
  LinkPhase linkPhase_ = LinkPhase::None;
  bool afterLink_ = false;         // the last unit spoken was a link's text
  bool asideSounding_ = false;     // an aside is being said
  bool resumeAfterAside_ = false;  // the reading goes on when it has been said
  bool gaveWay_ = false;           // the cursor already stands before the unit given up
  uint64_t readings_ = 0;          // counts the new pages' readings begun
  std::function<void()> beforeUnit_;
  bool jumped_ = false;  // the next unit is a jump's, read without a pause
  uint64_t jumps_ = 0;   // counts jumps, so that a step paused over one gives up
};

}  // namespace sonavia::reading
