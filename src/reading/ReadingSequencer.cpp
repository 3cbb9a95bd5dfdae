#include "reading/ReadingSequencer.h"

#include <algorithm>
#include <utility>

#include "platform/UnitTools.h"
#include "reading/ReadingPlaces.h"
#include "reading/SpokenText.h"

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
  if (beforeUnit_) beforeUnit_();
  speech_.Read(text);
  speech_.SetSpeakingFlag(true);
  // Whatever aside there was has been said: the poll follows the unit now.
  asideSounding_ = false;
  resumeAfterAside_ = false;
  gaveWay_ = false;
  poll_.SetEnabled(true);
  return false;
}

void ReadingSequencer::StopSpeaking() {
  follower_.Stopped();
  speech_.SetSpeakingFlag(false);
  poll_.SetEnabled(false);
  speech_.Stop();
  speedField_.SetEnabled(true);
  // An aside being said is cut short with the rest, and nothing resumes.
  asideSounding_ = false;
  resumeAfterAside_ = false;
  gaveWay_ = false;
  EndLink();
}

void ReadingSequencer::SpeakAside(const std::string& text, int32_t rate) {
  if (speech_.SpeakingFlag()) {
    // The unit gives way as to a pause, and is read again from its start.
    StepBack();
    speech_.SetSpeakingFlag(false);
    speedField_.SetEnabled(true);
    EndLink();
    resumeAfterAside_ = true;
    gaveWay_ = true;
  }
  // The engine drops whatever it was saying for the new text.
  speech_.ReadAside(text + " ", rate);
  asideSounding_ = true;
  poll_.SetEnabled(true);
}

bool ReadingSequencer::WaitsForAside() {
  if (!asideSounding_) return false;
  if (speech_.Status() != 0) {
    resumeAfterAside_ = true;
    return true;
  }
  // Said already, and the poll has not yet seen it end: it need not.
  asideSounding_ = false;
  resumeAfterAside_ = false;
  gaveWay_ = false;
  poll_.SetEnabled(false);
  return false;
}

void ReadingSequencer::TimerStatusUpcTVTimer() {
  // A tick that arrives after the poll was switched off is stale.
  if (!poll_.Enabled()) return;
  if (speech_.Status() != 0) {
    // A short answer said aside leaves the rate to the user.
    if (!asideSounding_) speedField_.SetEnabled(false);
    return;
  }
  poll_.SetEnabled(false);
  speech_.SetSpeakingFlag(false);
  speedField_.SetEnabled(true);
  if (asideSounding_) {
    asideSounding_ = false;
    if (!resumeAfterAside_) return;
    resumeAfterAside_ = false;
    gaveWay_ = false;
  } else if (linkPhase_ == LinkPhase::Text) {
    EndLink();
    afterLink_ = true;
  }
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

namespace {

// The words the program itself puts into a page's list, which are spoken in
// the user's language whatever the page's: "Títol", and the announcements
// of images and links, and a control's kind and state.
bool ProgramsOwnWords(int32_t index, const ReadingUnit& unit) {
  if (index == 1) return unit.Text == kTitleWord;
  if (unit.Own) return true;
  return unit.Kind == UnitKind::Item && (unit.Text == kLinkWord || unit.Text == kImageWord);
}

}  // namespace

int32_t ReadingSequencer::NextSpokenUnit() {
  int32_t next = list_.UnitCursor + 1;
  while (next <= list_.UnitCount && !Speakable(list_.Unit(next).Text)) ++next;
  return next;
}

int32_t ReadingSequencer::NextSpokenLink() {
  int32_t next = list_.LinkCursor + 1;
  while (next <= list_.LinkCount && !Speakable(list_.Link(next).Text)) ++next;
  return next;
}

uint32_t ReadingSequencer::PauseBefore(bool afterLink) {
  if (!afterLink || linkListener_ == nullptr) return kPauseBetweenUnits;
  return std::max(kPauseBetweenUnits, linkListener_->PauseAfterLink());
}

void ReadingSequencer::SpeakNextStep() {
  const bool afterLink = std::exchange(afterLink_, false);
  if (list_.ReadingMode == ReadingMode::Page) {
    // Units with nothing to say are passed over, pause and all.
    if (NextSpokenUnit() > list_.UnitCount) {
      StartReadingAt(0);
      return;
    }
    // "Títol" and the title follow each other; a pause precedes the rest,
    // but a jump's unit.
    const uint64_t reading = readings_;
    if (NextSpokenUnit() > 2 && !std::exchange(jumped_, false)) {
      const uint64_t jumps = jumps_;
      platform::WaitProcessingMessages(loop_, PauseBefore(afterLink));
      // A jump during the pause has read on from its own place.
      if (jumps != jumps_) return;
    }
    // Read again after the wait: a command may have run in it.
    if (TakenOver(reading) || !SpeechOn() || WaitsForAside()) return;
    const int32_t next = NextSpokenUnit();
    if (next > list_.UnitCount) {
      StartReadingAt(0);
      return;
    }
    list_.UnitCursor = next;
    const ReadingUnit& unit = list_.Unit(next);
    const bool textVoice = unit.Kind == UnitKind::Text;
    if (!ProgramsOwnWords(next, unit)) {
      speech_.UsePageVoice(textVoice);
    } else if (textVoice) {
      speech_.UseTextVoice();
    } else {
      speech_.UseItemVoice();
    }
    const bool spoken = !SpeakUnit(list_.Unit(next).Text + " ");
    if (spoken) follower_.UnitSpoken(next);
    // The k-th "LINK" unit announces link k, whatever the unit's kind.
    const bool announcesLink = list_.Unit(next).Text == kLinkWord;
    if (announcesLink) list_.LinkCursor += 1;
    if (!spoken) return;
    if (announcesLink) {
      BeginLink(LinkPhase::Announced);
    } else if (linkPhase_ == LinkPhase::Announced) {
      linkPhase_ = LinkPhase::Text;
    }
    return;
  }
  if (list_.LinkCursor >= list_.LinkCount) {
    StartReadingAt(0);
    return;
  }
  const uint64_t reading = readings_;
  platform::WaitProcessingMessages(loop_, PauseBefore(afterLink));
  if (TakenOver(reading) || !SpeechOn() || WaitsForAside()) return;
  const int32_t next = NextSpokenLink();
  if (next > list_.LinkCount) {
    StartReadingAt(0);
    return;
  }
  list_.LinkCursor = next;
  speech_.UsePageVoice(false);
  if (!SpeakUnit(list_.Link(next).Text + " ")) {
    follower_.LinkSpoken(next);
    BeginLink(LinkPhase::Text);
  }
}

void ReadingSequencer::BeginLink(LinkPhase phase) {
  EndLink();
  linkPhase_ = phase;
  if (linkListener_ != nullptr) linkListener_->LinkStarted(list_.LinkCursor);
}

void ReadingSequencer::EndLink() {
  if (linkPhase_ == LinkPhase::None) return;
  linkPhase_ = LinkPhase::None;
  if (linkListener_ != nullptr) linkListener_->LinkEnded();
}

bool ReadingSequencer::TakenOver(uint64_t reading) const {
  // A new page's reading has begun meanwhile (its "Títol", or the warning
  // of a page too long, is being said): what this step paused for is gone,
  // and cutting in would cut what the new page says first.
  return reading != readings_;
}

void ReadingSequencer::StartReadingAt(int32_t firstUnit) {
  if (firstUnit > 0) NewReading();
  list_.UnitCursor = 0;
  list_.LinkCursor = 0;
  // The end of the list comes between units, with nothing to stop.
  follower_.Stopped();
  resumeAfterAside_ = false;
  gaveWay_ = false;
  afterLink_ = false;
  EndLink();
  if (speech_.SpeakingFlag()) StopSpeaking();
  if (firstUnit <= 0) return;
  list_.UnitCursor = firstUnit - 1;
  list_.LinkCursor = 0;
  SpeakNext();
}

void ReadingSequencer::ReadFrom(int32_t unit) {
  if (unit <= 0 || unit > list_.UnitCount) return;
  StartReadingAt(0);
  ++jumps_;
  list_.UnitCursor = unit - 1;
  list_.LinkCursor = LinksBefore(list_, unit);
  if (!SpeechOn()) return;
  jumped_ = true;
  SpeakNext();
  jumped_ = false;
}

void ReadingSequencer::StepBack() {
  if (list_.ReadingMode == ReadingMode::Page) {
    if (list_.UnitCursor <= 0) return;
    // "LINK" read again counts its link again.
    if (list_.Unit(list_.UnitCursor).Text == kLinkWord && list_.LinkCursor > 0) {
      list_.LinkCursor -= 1;
    }
    list_.UnitCursor -= 1;
  } else if (list_.LinkCursor > 0) {
    list_.LinkCursor -= 1;
  }
}

void ReadingSequencer::StepBackAndStop() {
  // A unit that gave way to an aside has its cursor stepped back already.
  if (!gaveWay_) StepBack();
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
