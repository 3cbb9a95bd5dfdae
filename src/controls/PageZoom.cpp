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

PageZoom::PageZoom(ZoomWindow window, reading::ReadingList& /*list*/,
                   reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech)
    : w_(std::move(window)), sequencer_(sequencer), speech_(speech) {}

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
  // Over a unit being read, which is cut and read again after the level; in
  // the reading's pause the next unit waits for it; alone when nothing is
  // read. A level said over another's takes its place.
  sequencer_.SpeakAside(text, speech_.AppliedRate);
}

}  // namespace sonavia::controls
