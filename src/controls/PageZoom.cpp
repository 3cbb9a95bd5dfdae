#include "controls/PageZoom.h"

#include <algorithm>
#include <array>

#include "platform/UnitTools.h"

namespace sonavia::controls {

namespace {

// The levels of the common browsers, so that a step feels as it does there.
constexpr std::array<int, 17> kLevels = {25,  33,  50,  67,  75,  80,  90,  100, 110,
                                         125, 150, 175, 200, 250, 300, 400, 500};

}  // namespace

std::string ZoomText(int percent) {
  return "Ampliació " + std::to_string(percent) + " %";
}

PageZoom::PageZoom(ZoomWindow window, reading::ReadingList& list,
                   reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech)
    : w_(std::move(window)), list_(list), sequencer_(sequencer), speech_(speech) {}

void PageZoom::ZoomIn() {
  const auto next = std::upper_bound(kLevels.begin(), kLevels.end(), percent_);
  Set(next == kLevels.end() ? kLevels.back() : *next);
}

void PageZoom::ZoomOut() {
  const auto next = std::lower_bound(kLevels.begin(), kLevels.end(), percent_);
  Set(next == kLevels.begin() ? kLevels.front() : *(next - 1));
}

void PageZoom::Reset() {
  Set(kNormalZoom);
}

void PageZoom::Restore(const std::string& stored) {
  const int32_t value = platform::ReadWholeNumber(stored);
  percent_ = ValidZoom(value) ? value : kNormalZoom;
  if (w_.apply) w_.apply(percent_);
}

void PageZoom::Set(int percent) {
  percent_ = percent;
  if (w_.apply) w_.apply(percent_);
  Announce(ZoomText(percent_));
}

void PageZoom::Announce(const std::string& text) {
  w_.status.SetText(text);
  if (!speech_.Loaded()) return;
  const bool reading = w_.speechOn && w_.speechOn();
  if (reading && (speech_.SpeakingFlag() || sequencer_.AsideSounding())) {
    // The unit is cut and read again after the level; a level said over
    // another's takes its place, and the unit is stepped back once only.
    sequencer_.SpeakAside(text, speech_.AppliedRate);
    return;
  }
  const bool between = reading && (list_.UnitCursor > 0 || list_.LinkCursor > 0);
  if (between) return;
  speech_.upcTVStop();
  speech_.UseItemVoice();
  speech_.SpeakMessage(text);
}

}  // namespace sonavia::controls
