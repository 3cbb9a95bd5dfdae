// What the reading core needs of the speech engine binding.
#pragma once

#include <cstdint>
#include <string>

namespace sonavia::reading {

class SpeechPort {
 public:
  virtual ~SpeechPort() = default;
  // The flag that says a reading unit is being spoken.
  virtual bool SpeakingFlag() const = 0;
  virtual void SetSpeakingFlag(bool speaking) = 0;
  // The two voices in the user's language: the program's own words.
  virtual void UseTextVoice() = 0;
  virtual void UseItemVoice() = 0;
  // The voice for the page's own text, which may be in the page's language.
  virtual void UsePageVoice(bool textVoice) = 0;
  // The library's own entry points.
  virtual int32_t Status() = 0;
  virtual void Read(const std::string& text) = 0;
  virtual void Stop() = 0;
  // Speaks `text` in the item voice at `rate` without changing the voice or
  // the rate that the reading uses.
  virtual void ReadAside(const std::string& text, int32_t rate) = 0;
};

}  // namespace sonavia::reading
