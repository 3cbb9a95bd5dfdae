#include "reading/ReadingSequencer.h"

#include "platform/UnitTools.h"

namespace sonavia::reading {

ReadingSequencer::ReadingSequencer(ReadingList& list, SpeechPort& speech, platform::EventLoop& loop,
                                   platform::Timer& pollTimer, std::function<bool()> speechOn,
                                   platform::Edit& speedField)
    : list_(list),
      speech_(speech),
      loop_(loop),
      poll_(pollTimer),
      speechOn_(std::move(speechOn)),
      speedField_(speedField) {
  poll_.SetEnabled(false);
  poll_.SetInterval(kPollInterval);
  poll_.SetOnTimer([this] { TimerStatusUpcTVTimer(); });
}

bool ReadingSequencer::SpeakUnit(const std::string& text) {
  if (speech_.SpeakingFlag()) {
    StopSpeaking();
    platform::WaitProcessingMessages(loop_, kWaitAfterInterrupting);
  }
  if (speech_.Status() != 0) return true;
  speech_.Read(text);
  speech_.SetSpeakingFlag(true);
  poll_.SetEnabled(true);
  return false;
}

void ReadingSequencer::StopSpeaking() {
  follower_.Stopped();
  speech_.SetSpeakingFlag(false);
  poll_.SetEnabled(false);
  speech_.Stop();
  speedField_.SetEnabled(true);
}

void ReadingSequencer::TimerStatusUpcTVTimer() {
  // A tick that arrives after the poll was switched off is stale.
  if (!poll_.Enabled()) return;
  if (speech_.Status() != 0) {
    speedField_.SetEnabled(false);
    return;
  }
  poll_.SetEnabled(false);
  speech_.SetSpeakingFlag(false);
  speedField_.SetEnabled(true);
  SpeakNext();
}

void ReadingSequencer::SpeakNext() {
  // Whatever fails inside a step ends it quietly; what it already changed
  // stays changed.
  try {
    SpeakNextStep();
  } catch (...) {
  }
}

void ReadingSequencer::SpeakNextStep() {
  if (list_.ReadingMode == ReadingMode::Page) {
    if (list_.UnitCursor >= list_.UnitCount) {
      StartReadingAt(0);
      return;
    }
    // "Títol" and the title follow each other; a pause precedes the rest.
    if (list_.UnitCursor > 1) platform::WaitProcessingMessages(loop_, kPauseBetweenUnits);
    // Read again after the wait: a command may have run in it.
    if (!SpeechOn()) return;
    list_.UnitCursor += 1;
    if (list_.Unit(list_.UnitCursor).Kind == UnitKind::Text) {
      speech_.UseTextVoice();
    } else {
      speech_.UseItemVoice();
    }
    if (!SpeakUnit(list_.Unit(list_.UnitCursor).Text + " ")) follower_.UnitSpoken(list_.UnitCursor);
    // The k-th "LINK" unit announces link k, whatever the unit's kind.
    if (list_.Unit(list_.UnitCursor).Text == kLinkWord) list_.LinkCursor += 1;
    return;
  }
  if (list_.LinkCursor >= list_.LinkCount) {
    StartReadingAt(0);
    return;
  }
  platform::WaitProcessingMessages(loop_, kPauseBetweenUnits);
  if (!SpeechOn()) return;
  list_.LinkCursor += 1;
  speech_.UseItemVoice();
  if (!SpeakUnit(list_.Link(list_.LinkCursor).Text + " ")) follower_.LinkSpoken(list_.LinkCursor);
}

void ReadingSequencer::StartReadingAt(int32_t firstUnit) {
  list_.UnitCursor = 0;
  list_.LinkCursor = 0;
  // The end of the list comes between units, with nothing to stop.
  follower_.Stopped();
  if (speech_.SpeakingFlag()) StopSpeaking();
  if (firstUnit <= 0) return;
  list_.UnitCursor = firstUnit - 1;
  list_.LinkCursor = 0;
  SpeakNext();
}

void ReadingSequencer::StepBackAndStop() {
  if (list_.ReadingMode == ReadingMode::Page) {
    if (list_.UnitCursor > 0) list_.UnitCursor -= 1;
  } else {
    if (list_.LinkCursor > 0) list_.LinkCursor -= 1;
  }
  StopSpeaking();
}

bool ReadingSequencer::ResolveCurrentLink() {
  if (speech_.SpeakingFlag()) StopSpeaking();
  if (list_.LinkCount == 0) return true;
  if (list_.LinkCursor == 0) list_.LinkCursor = 1;
  // Where a click on the link goes, as the page itself gives it: the
  // document's k-th link is the conversion's k-th. The link table's own
  // address is upper-cased, and case matters to most servers; an empty
  // address is one the page did not give, which nothing follows.
  list_.LinkTarget =
      list_.LinkCursor <= ResolvedLinkCapacity ? list_.ResolvedLink(list_.LinkCursor) : "";
  return true;
}

}  // namespace sonavia::reading
