#include "controls/SpokenScanning.h"

#include <algorithm>

#include "platform/Utf8.h"

namespace sonavia::controls {

namespace {

// How long the speech library takes over a short text, measured: about
// (40000 + 9000 per letter) / rate milliseconds, the rate in words per
// minute. Below 80 it speaks at 80.
constexpr int64_t kFixedCost = 40000;
constexpr int64_t kCostPerLetter = 9000;
constexpr int32_t kSlowestSpoken = 80;
// A caption should end a little before the next step cuts it.
constexpr int64_t kShareOfStep = 90;  // percent

}  // namespace

int32_t CaptionRate(const std::string& text, uint32_t stepMs, int32_t rate) {
  const int64_t cost =
      kFixedCost + kCostPerLetter * static_cast<int64_t>(platform::Utf8Length(text));
  const int64_t room = int64_t{stepMs} * kShareOfStep / 100;
  if (room <= 0) return speech::kMaxRate;
  // The estimate at the reading's rate; faster only when it does not fit.
  if (cost <= room * std::max(rate, kSlowestSpoken)) return rate;
  const int64_t needed = (cost + room - 1) / room;
  return static_cast<int32_t>(std::min<int64_t>(needed, speech::kMaxRate));
}

std::string SpokenCaption(const std::string& caption) {
  std::string spoken = caption;
  std::replace(spoken.begin(), spoken.end(), '\n', ' ');
  return spoken;
}

SpokenScanning::SpokenScanning(const std::vector<platform::Button*>& buttons,
                               reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech,
                               const platform::Timer& step)
    : buttons_(buttons), sequencer_(sequencer), speech_(speech), step_(step) {}

void SpokenScanning::Reached(int index) {
  // Counted among the buttons shown, as the pointer finds them.
  int shown = 0;
  for (const platform::Button* button : buttons_) {
    if (!button->Visible()) continue;
    if (shown++ == index) {
      Say(SpokenCaption(button->Caption()));
      return;
    }
  }
}

void SpokenScanning::Told(ScanNews news) {
  Say(news == ScanNews::Resting ? kRestingNews : kSecondCycleNews);
}

void SpokenScanning::Say(const std::string& text) {
  if (!speech_.Loaded() || text.empty()) return;
  sequencer_.SpeakAside(text, CaptionRate(text, step_.Interval(), speech_.AppliedRate));
}

}  // namespace sonavia::controls
