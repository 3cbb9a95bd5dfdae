// Spoken scanning: the caption of each button said in the item voice as the
// scan reaches it, over the reading, which gives way and goes on after it.
// A caption that would outlast the step is said faster, for itself alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/Scanning.h"
#include "platform/Controls.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

inline constexpr const char* kRestingNews = "Escaneig en pausa";
inline constexpr const char* kSecondCycleNews = "Més ordres";

// The rate at which `text` is said within `stepMs`, given the reading's
// `rate`: that rate when it fits, faster when it does not, up to the
// library's fastest.
int32_t CaptionRate(const std::string& text, uint32_t stepMs, int32_t rate);
// A caption as it is said: its line breaks are blanks.
std::string SpokenCaption(const std::string& caption);

class SpokenScanning {
 public:
  // `buttons` is the toolbar's buttons, hidden ones included, left to right;
  // `step` the scan's step timer, whose interval is the time a caption has.
  SpokenScanning(const std::vector<platform::Button*>& buttons,
                 reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech,
                 const platform::Timer& step);

  // The scan has come to the index-th button shown.
  void Reached(int index);
  void Told(ScanNews news);

 private:
  void Say(const std::string& text);

  const std::vector<platform::Button*>& buttons_;
  reading::ReadingSequencer& sequencer_;
  speech::SpeechEngine& speech_;
  const platform::Timer& step_;
};

}  // namespace sonavia::controls
