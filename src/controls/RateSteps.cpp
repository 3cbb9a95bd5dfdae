#include "controls/RateSteps.h"

#include <algorithm>

#include "platform/UnitTools.h"

namespace sonavia::controls {

RateSteps::RateSteps(platform::Edit& rateEdit, reading::ReadingSequencer& sequencer,
                     speech::SpeechEngine& speech, std::function<bool()> speechOn)
    : rateEdit_(rateEdit), sequencer_(sequencer), speech_(speech), speechOn_(std::move(speechOn)) {}

int32_t RateSteps::Rate() const {
  if (waiting_) return *waiting_;
  // The edit's rate, which the next reload of the library applies.
  const int32_t shown = platform::ReadWholeNumber(rateEdit_.Text());
  return speech::ValidRate(shown) ? shown : speech_.AppliedRate;
}

void RateSteps::Change(int32_t by, const char* words) {
  const int32_t rate = std::clamp(Rate() + by, int32_t{1}, speech::kMaxRate);
  if (speech_.Speaking) {
    // The unit being spoken gives way to the words and is read again after
    // them: that is the next unit, at the new rate.
    waiting_ = rate;
  } else {
    Apply(rate);
  }
  if (speech_.Loaded() && speechOn_ && speechOn_()) sequencer_.SpeakAside(words, rate);
}

void RateSteps::BeforeUnit() {
  if (!waiting_) return;
  const int32_t rate = *waiting_;
  waiting_.reset();
  Apply(rate);
}

void RateSteps::Apply(int32_t rate) {
  waiting_.reset();
  // The edit's own rule applies the rate, as typing it there would.
  rateEdit_.SetText(std::to_string(rate));
}

}  // namespace sonavia::controls
