// The library's recording option: with UPCTV_RECORD_DIR naming a directory,
// each utterance's played samples go to NNNN.wav there and one line per
// utterance to utterances.tsv.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace upctv {

class Recording {
 public:
  // Whether the option is on.
  static bool Enabled();

  // Starts the recording of one utterance, or does nothing when the
  // option is off or the directory cannot be written. `language` is its
  // code ("99", "101") or the name of the language it is heard in ("en");
  // `text` is UTF-8, and is written so, with what is no character of it
  // and control characters made spaces.
  Recording(int sampleRate, int64_t startEpochMs, std::string_view language, int speaker, int rate,
            std::string_view text);
  ~Recording();
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  void AddSamples(const int16_t* samples, size_t count);
  // Closes the sound file and appends the utterance's line.
  void Finish(int64_t playedMs, bool stopped);

 private:
  std::string dir_;
  std::FILE* wav_ = nullptr;
  uint32_t samples_ = 0;
  int sampleRate_;
  int64_t startEpochMs_;
  std::string language_;
  int speaker_, rate_;
  std::string text_;
  bool finished_ = false;
};

}  // namespace upctv
