// "Més ràpid" and "Més lent": the reading's rate a step up or down, said at
// the new rate. While a unit is spoken the rate edit refuses a change, so
// the new rate waits for the next unit and applies from there.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Controls.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

inline constexpr int32_t kRateStep = 10;
inline constexpr const char* kFasterWords = "Més ràpid";
inline constexpr const char* kSlowerWords = "Més lent";

class RateSteps {
 public:
  // `rateEdit` is EditVelocitat, whose change applies a rate; `speechOn`
  // whether the reading is on, so that the words can be said.
  RateSteps(platform::Edit& rateEdit, reading::ReadingSequencer& sequencer,
            speech::SpeechEngine& speech, std::function<bool()> speechOn);

  void Faster() { Change(kRateStep, kFasterWords); }
  void Slower() { Change(-kRateStep, kSlowerWords); }
  // Before a unit is spoken: a rate waiting applies.
  void BeforeUnit();
  // The rate the next unit will have.
  int32_t Rate() const;

 private:
  void Change(int32_t by, const char* words);
  void Apply(int32_t rate);

  platform::Edit& rateEdit_;
  reading::ReadingSequencer& sequencer_;
  speech::SpeechEngine& speech_;
  std::function<bool()> speechOn_;
  std::optional<int32_t> waiting_;
};

}  // namespace sonavia::controls
