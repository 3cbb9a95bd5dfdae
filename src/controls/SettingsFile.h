// The settings that survive from one run to the next: language, speech on
// or off, scanning on or off, reading rate, scanning step and pause,
// whether the page shows what is being read, and the page's zoom. They are
// read and applied once at the end of the window's creation and written at
// its close, and also a moment after each change (SettingsAutosave), so that a run that never
// closes (a crash, a power cut) loses nothing older.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controls/PageZoom.h"
#include "controls/SpeechSwitch.h"
#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

class ProfileFile;

inline constexpr const char* kSettingsFileName = "Quelva2001.ini";
inline constexpr const char* kSettingsSection = "Ombrix Sonavia";
// A save's temporary file untouched this long is a killed save's leftover.
inline constexpr long kLeftoverQuietSeconds = 5;
inline constexpr const char* kLanguageKey = "Llengua";
inline constexpr const char* kSpeechKey = "Parlar";
inline constexpr const char* kScanningKey = "Escaneig";
inline constexpr const char* kRateKey = "Velocitat de lectura";
inline constexpr const char* kScanStepKey =
    "Dè"
    "cimes de segon que dura el pas d'escaneig";
inline constexpr const char* kScanPauseKey =
    "Dè"
    "cimes de segon que dura el paro de l'escaneig";
inline constexpr const char* kShowReadingKey = "Mostrar lectura";
inline constexpr const char* kSpokenScanningKey = "Escaneig parlat";
inline constexpr const char* kIgnorePressKey =
    "Dè"
    "cimes de segon que s'ignora el polsador";
inline constexpr const char* kDelayAfterPressKey = "Un pas més després de prémer";
inline constexpr const char* kZoomKey =
    "Ampliació"
    " de la pàgina";
inline constexpr const char* kPageLanguageKey = "Llengua de la pàgina";
inline constexpr const char* kEchoTypingKey = "Repetir el que s'escriu";
inline constexpr const char* kLetScreenReaderKey = "Deixar parlar el lector de pantalla";
inline constexpr const char* kScreenReaderOfferedKey = "Lector de pantalla ofert";
inline constexpr const char* kLongPressKey = "Prémer llarg obre el segon cicle";
inline constexpr const char* kReadArticleKey = "Llegir l'article";

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

  // The seventh setting, read after the six others: `item` is the checked
  // menu item, and `toggle` the window's command that switches it.
  void SetShowReading(platform::MenuItem& item, std::function<void()> toggle) {
    showReading_ = &item;
    toggleShowReading_ = std::move(toggle);
  }

  // The switch's settings, read after the others: spoken scanning (`spoken`
  // is its checked item, `toggleSpoken` the window's command that switches
  // it), the time a press is ignored after another, in tenths of a second,
  // and the extra step after a press.
  struct SwitchSettings {
    platform::MenuItem& spoken;
    std::function<void()> toggleSpoken;
    std::function<int()> ignoreTenths;
    std::function<void(int)> setIgnoreTenths;
    std::function<bool()> delayAfterPress;
    std::function<void(bool)> setDelayAfterPress;
    // Whether a long press opens the second cycle ("no" at first: every
    // press a click, as a user who never asked for more expects).
    std::function<bool()> longPressOpens{};
    std::function<void(bool)> setLongPressOpens{};
  };
  void SetSwitchSettings(SwitchSettings settings) { switch_.emplace(std::move(settings)); }
  // The page's zoom, in percent.
  void SetZoom(PageZoom& zoom) { zoom_ = &zoom; }
  // Whether a page is read in its own language, read last: `item` is the
  // checked menu item, and `toggle` the window's command that switches it.
  void SetPageLanguage(platform::MenuItem& item, std::function<void()> toggle) {
    pageLanguage_ = &item;
    togglePageLanguage_ = std::move(toggle);
  }
  // Whether what is typed in a page's field is said, in the same way.
  void SetEchoTyping(platform::MenuItem& item, std::function<void()> toggle) {
    echoTyping_ = &item;
    toggleEchoTyping_ = std::move(toggle);
  }

  // Whether the program leaves the speaking to a screen reader (`item`,
  // switched by `toggle`), and whether that was offered to the user
  // (`offered`), read last.
  void SetScreenReader(platform::MenuItem& item, std::function<void()> toggle, bool& offered) {
    letScreenReader_ = &item;
    toggleLetScreenReader_ = std::move(toggle);
    screenReaderOffered_ = &offered;
  }
  // Whether a page's article is read first, in the same way.
  void SetReadArticle(platform::MenuItem& item, std::function<void()> toggle) {
    readArticle_ = &item;
    toggleReadArticle_ = std::move(toggle);
  }

  // Applies the stored settings in the order that makes them agree: the
  // language first, since choosing it turns speech on, then speech.
  void ReadAndApply();
  // Writes the keys whose values this run changed since it read them (or
  // last wrote them), any key the file lacks, and a value this run read
  // otherwise than it stands (corrected), over what the file holds now:
  // what another run wrote meanwhile is kept. When the file cannot be
  // written it is left as it was and one line on standard error names it.
  // Returns whether the file holds this run's settings.
  bool Write();
  // Writes only when a setting differs from what was last read or written
  // (or tried: a file that cannot be written is named once per change).
  void WriteIfChanged();

 private:
  SettingsControls c_;
  speech::SpeechEngine& speech_;
  std::function<void()> selectCastilian_;
  std::function<void()> toggleScanning_;
  platform::MenuItem* showReading_ = nullptr;
  std::function<void()> toggleShowReading_;
  std::optional<SwitchSettings> switch_;
  PageZoom* zoom_ = nullptr;
  platform::MenuItem* pageLanguage_ = nullptr;
  std::function<void()> togglePageLanguage_;
  platform::MenuItem* echoTyping_ = nullptr;
  std::function<void()> toggleEchoTyping_;
  platform::MenuItem* letScreenReader_ = nullptr;
  std::function<void()> toggleLetScreenReader_;
  bool* screenReaderOffered_ = nullptr;
  platform::MenuItem* readArticle_ = nullptr;
  std::function<void()> toggleReadArticle_;
  std::string path_;
  using Entries = std::vector<std::pair<const char*, std::string>>;
  // Every key with the value the window's controls give it now.
  Entries Current() const;
  Entries kept_;  // as last read, written or tried
  // Each key's value in `file`, as the reading takes it; none when absent.
  std::vector<std::optional<std::string>> Stored(const ProfileFile& file) const;
  // What the file held of each key when this run last read or wrote it.
  std::vector<std::optional<std::string>> seen_;
};

}  // namespace sonavia::controls
