// The settings that survive from one run to the next: language, speech on
// or off, scanning on or off, reading rate, scanning step and pause, and
// whether the page shows what is being read. They are read and applied once
// at the end of the window's creation and written at its close, and also a
// moment after each change (SettingsAutosave), so that a run that never
// closes (a crash, a power cut) loses nothing older.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "controls/SpeechSwitch.h"
#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

inline constexpr const char* kSettingsFileName = "Quelva2001.ini";
inline constexpr const char* kSettingsSection = "Ombrix Sonavia";
inline constexpr const char* kLanguageKey = "Llengua";
inline constexpr const char* kSpeechKey = "Parlar";
inline constexpr const char* kScanningKey = "Escaneig";
inline constexpr const char* kRateKey = "Velocitat de lectura";
inline constexpr const char* kScanStepKey =
    "D\xE8"
    "cimes de segon que dura el pas d'escaneig";
inline constexpr const char* kScanPauseKey =
    "D\xE8"
    "cimes de segon que dura el paro de l'escaneig";
inline constexpr const char* kShowReadingKey = "Mostrar lectura";
inline constexpr const char* kPageLanguageKey = "Llengua de la p\xE0gina";

// The window's controls the settings read and set.
struct SettingsControls {
  platform::MenuItem& mnuCatala;
  SpeechSwitch& speech;
  platform::MenuItem& mnuEscaneig;
  platform::Edit& EditVelocitat;
  platform::Edit& TextDecimesScan;
  platform::Edit& TextTimerParo;
  platform::Timer& TimerEscaneig;
  platform::Timer& TimerParo;
};

class SettingsFile {
 public:
  // `selectCastilian` and `toggleScanning` are the window's own commands,
  // run as a user's choice would run them.
  SettingsFile(SettingsControls controls, speech::SpeechEngine& speech,
               std::function<void()> selectCastilian, std::function<void()> toggleScanning);

  // The file's full path; empty keeps no settings (the defaults apply and
  // nothing is written).
  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& Path() const { return path_; }

  // A check item kept as "sí" or "no" under `key`, read after the six
  // settings above, in the order added: `toggle` is the window's command
  // that switches it. Without the key the item keeps the state it has.
  void AddCheckItem(const char* key, platform::MenuItem& item, std::function<void()> toggle) {
    checkItems_.push_back({key, &item, std::move(toggle)});
  }
  // The seventh setting: whether the page shows what is being read.
  void SetShowReading(platform::MenuItem& item, std::function<void()> toggle) {
    AddCheckItem(kShowReadingKey, item, std::move(toggle));
  }

  // Applies the stored settings in the order that makes them agree: the
  // language first, since choosing it turns speech on, then speech.
  void ReadAndApply();
  // Writes every key; when the file cannot be written it is left as it was and
  // one line on standard error names it. Returns whether it was written.
  bool Write();
  // Writes only when a setting differs from what was last read or written
  // (or tried: a file that cannot be written is named once per change).
  void WriteIfChanged();

 private:
  SettingsControls c_;
  speech::SpeechEngine& speech_;
  std::function<void()> selectCastilian_;
  std::function<void()> toggleScanning_;
  struct CheckItem {
    const char* key;
    platform::MenuItem* item;
    std::function<void()> toggle;
  };
  std::vector<CheckItem> checkItems_;
  std::string path_;
  using Entries = std::vector<std::pair<const char*, std::string>>;
  // Every key with the value the window's controls give it now.
  Entries Current() const;
  Entries kept_;  // as last read, written or tried
};

}  // namespace sonavia::controls
