#include "controls/SettingsFile.h"

#include <cstdio>
#include <optional>

#include "controls/ProfileFile.h"
#include "controls/Scanning.h"
#include "controls/SwitchPresses.h"
#include "platform/Cp1252.h"
#include "platform/UnitTools.h"

namespace sonavia::controls {

namespace {

// What a missing file, section or key reads as, and the buffer a value is
// read into.
constexpr const char* kAbsent = "NO";
constexpr std::size_t kValueSize = 50;

constexpr const char* kCatalan = "Català";
constexpr const char* kCastilian = "Castellà";
constexpr const char* kYes = "sí";
constexpr const char* kNo = "no";

// The file is Windows-1252, the program's texts UTF-8; a file saved in
// UTF-8 by hand is read, and written, in UTF-8, so that nothing of it is
// lost or taken for another value.
std::string InFile(const ProfileFile& file, const std::string& text) {
  return file.InUtf8() ? text : platform::Utf8ToCp1252(text);
}
std::string ReadValue(const ProfileFile& file, const std::string& key) {
  const std::string value = file.Read(kSettingsSection, InFile(file, key), kAbsent, kValueSize);
  return file.InUtf8() ? value : platform::Cp1252ToUtf8(value);
}
bool HasKey(const ProfileFile& file, const std::string& key) {
  return file.Has(kSettingsSection, InFile(file, key));
}

// A scan time in tenths of a second: taken as written when valid, the
// fallback otherwise; its timer follows the edit.
void ApplyScanTime(const std::string& stored, const char* fallback, platform::Edit& edit,
                   platform::Timer& timer) {
  edit.SetText(ValidScanTenths(stored) ? stored : fallback);
  timer.SetInterval(ScanInterval(edit));
}

}  // namespace

SettingsFile::SettingsFile(SettingsControls controls, speech::SpeechEngine& speech,
                           std::function<void()> selectCastilian,
                           std::function<void()> toggleScanning)
    : c_(controls),
      speech_(speech),
      selectCastilian_(std::move(selectCastilian)),
      toggleScanning_(std::move(toggleScanning)) {}

void SettingsFile::ReadAndApply() {
  const ProfileFile file = path_.empty() ? ProfileFile() : ProfileFile::Load(path_);
  auto read = [&](const char* key) { return ReadValue(file, key); };

  // Without the speech library both language items stay disabled, so the
  // stored language waits for a run that has it.
  if (read(kLanguageKey) == kCastilian && speech_.Loaded() && selectCastilian_) selectCastilian_();

  if (read(kSpeechKey) == kNo) c_.speech.Set(false);

  if (read(kScanningKey) == kYes && toggleScanning_) toggleScanning_();

  // The same range as the rate edit's, so that a rate the user chose comes
  // back at the next start.
  const std::string rate = read(kRateKey);
  const int32_t value = platform::ReadWholeNumber(rate);
  if (speech::ValidRate(value)) {
    c_.EditVelocitat.SetText(rate);
    if (speech_.Loaded()) speech_.upcTVSetSpeed(value);
  }

  ApplyScanTime(read(kScanStepKey), kScanStepFallback, c_.TextDecimesScan, c_.TimerEscaneig);
  ApplyScanTime(read(kScanPauseKey), kScanPauseFallback, c_.TextTimerParo, c_.TimerParo);

  // An older file without the key keeps the mark on.
  if (showReading_ != nullptr && read(kShowReadingKey) == kNo && showReading_->Checked() &&
      toggleShowReading_) {
    toggleShowReading_();
  }

  if (switch_) {
    if (read(kSpokenScanningKey) == kYes && !switch_->spoken.Checked()) switch_->toggleSpoken();
    const int32_t ignore = platform::ReadWholeNumber(read(kIgnorePressKey));
    switch_->setIgnoreTenths(ValidIgnoreTenths(ignore) ? ignore : 0);
    switch_->setDelayAfterPress(read(kDelayAfterPressKey) == kYes);
    if (switch_->setLongPressOpens) switch_->setLongPressOpens(read(kLongPressKey) == kYes);
  }
  // Any other value, a missing key included, shows pages at their size.
  if (zoom_ != nullptr) zoom_->Restore(read(kZoomKey));
  // Without the key, a page is read in its own language.
  if (pageLanguage_ != nullptr && read(kPageLanguageKey) == kNo && pageLanguage_->Checked() &&
      togglePageLanguage_) {
    togglePageLanguage_();
  }
  // Without the key, typing is heard.
  if (echoTyping_ != nullptr && read(kEchoTypingKey) == kNo && echoTyping_->Checked() &&
      toggleEchoTyping_) {
    toggleEchoTyping_();
  }
  // Without the keys, the program speaks, and has offered nothing.
  if (letScreenReader_ != nullptr) {
    if (read(kLetScreenReaderKey) == kYes && !letScreenReader_->Checked() &&
        toggleLetScreenReader_) {
      toggleLetScreenReader_();
    }
    *screenReaderOffered_ = read(kScreenReaderOfferedKey) == kYes;
  }
  // Without the key, a page's article is read first.
  if (readArticle_ != nullptr && read(kReadArticleKey) == kNo && readArticle_->Checked() &&
      toggleReadArticle_) {
    toggleReadArticle_();
  }
  kept_ = Current();
  seen_ = Stored(file);
}

std::vector<std::optional<std::string>> SettingsFile::Stored(const ProfileFile& file) const {
  std::vector<std::optional<std::string>> stored;
  for (const auto& [key, value] : Current()) {
    if (HasKey(file, key)) {
      stored.emplace_back(ReadValue(file, key));
    } else {
      stored.emplace_back(std::nullopt);
    }
  }
  return stored;
}

SettingsFile::Entries SettingsFile::Current() const {
  Entries entries = {
      {kLanguageKey, c_.mnuCatala.Checked() ? kCatalan : kCastilian},
      {kSpeechKey, c_.speech.Checked() ? kYes : kNo},
      {kScanningKey, c_.mnuEscaneig.Checked() ? kYes : kNo},
      // The edits as they stand: a value out of range is corrected when read.
      {kRateKey, c_.EditVelocitat.Text()},
      {kScanStepKey, c_.TextDecimesScan.Text()},
      {kScanPauseKey, c_.TextTimerParo.Text()},
  };
  if (showReading_ != nullptr) {
    entries.emplace_back(kShowReadingKey, showReading_->Checked() ? kYes : kNo);
  }
  if (switch_) {
    entries.emplace_back(kSpokenScanningKey, switch_->spoken.Checked() ? kYes : kNo);
    entries.emplace_back(kIgnorePressKey, std::to_string(switch_->ignoreTenths()));
    entries.emplace_back(kDelayAfterPressKey, switch_->delayAfterPress() ? kYes : kNo);
  }
  if (zoom_ != nullptr) entries.emplace_back(kZoomKey, std::to_string(zoom_->Percent()));
  if (pageLanguage_ != nullptr) {
    entries.emplace_back(kPageLanguageKey, pageLanguage_->Checked() ? kYes : kNo);
  }
  if (echoTyping_ != nullptr) {
    entries.emplace_back(kEchoTypingKey, echoTyping_->Checked() ? kYes : kNo);
  }
  if (letScreenReader_ != nullptr) {
    entries.emplace_back(kLetScreenReaderKey, letScreenReader_->Checked() ? kYes : kNo);
    entries.emplace_back(kScreenReaderOfferedKey, *screenReaderOffered_ ? kYes : kNo);
  }
  if (switch_ && switch_->longPressOpens) {
    entries.emplace_back(kLongPressKey, switch_->longPressOpens() ? kYes : kNo);
  }
  if (readArticle_ != nullptr) {
    entries.emplace_back(kReadArticleKey, readArticle_->Checked() ? kYes : kNo);
  }
  return entries;
}

void SettingsFile::WriteIfChanged() {
  if (!path_.empty() && Current() != kept_) Write();
}

bool SettingsFile::Write() {
  if (path_.empty()) return false;
  // Read again now: another run of the program may have written the file
  // since, and what it wrote stays. A key is written when this run changed
  // it since it read or wrote it, when the file lacks it, and when the file
  // still holds what this run found there but this run holds another value
  // (one it read as the default, "No" for "no", say).
  ProfileFile file = ProfileFile::Load(path_);
  const auto onDisk = Stored(file);
  const Entries now = Current();
  bool ours = false;
  for (std::size_t i = 0; i < now.size(); ++i) {
    const auto& [key, value] = now[i];
    const bool changed = i >= kept_.size() || kept_[i].second != value;
    const bool untouched = i < seen_.size() && onDisk[i] == seen_[i];
    if (!changed && onDisk[i] && !(untouched && *onDisk[i] != value)) continue;
    file.Write(kSettingsSection, InFile(file, key), InFile(file, value));
    if (i < seen_.size()) seen_[i] = value;
    ours = true;
  }
  kept_ = now;
  if (!ours) return true;  // nothing of this run's to write: the file stays as it is
  std::string error;
  if (file.Save(path_, error)) return true;
  std::fprintf(stderr, "sonavia: the settings could not be written to %s: %s\n", path_.c_str(),
               error.c_str());
  return false;
}

}  // namespace sonavia::controls
