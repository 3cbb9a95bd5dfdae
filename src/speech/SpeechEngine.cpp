#include "speech/SpeechEngine.h"

#include <algorithm>
#include <type_traits>

#include "platform/UnitTools.h"
#include "reading/SpokenText.h"

namespace sonavia::speech {

int32_t SpeakerFor(bool catalan, bool textVoice) {
  if (catalan) return textVoice ? 0 : 2;
  return textVoice ? 1 : 0;
}

namespace {

// The language name in small letters with "-" between its parts, or empty
// when it is none: two or three letters first, then letters, digits and
// "-", at most 35 characters; blanks around it do not count.
std::string NormalLanguageName(std::string_view name) {
  constexpr size_t kLongest = 35;
  const size_t first = name.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  name = name.substr(first, name.find_last_not_of(" \t\r\n") - first + 1);
  if (name.size() > kLongest) return {};
  std::string out;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '_') c = '-';
    const bool letter = c >= 'a' && c <= 'z';
    if (!letter && !(c >= '0' && c <= '9') && c != '-') return {};
    out.push_back(c);
  }
  const size_t primary = std::min(out.find('-'), out.size());
  for (size_t i = 0; i < primary; ++i) {
    if (out[i] < 'a' || out[i] > 'z') return {};
  }
  if (primary < 2 || primary > 3 || out.back() == '-') return {};
  return out;
}

}  // namespace

VoiceLanguage PageVoice(std::string_view pageLanguage, bool catalanActive) {
  const VoiceLanguage user{catalanActive ? kCatalanCode : kCastilianCode, {}};
  const std::string name = NormalLanguageName(pageLanguage);
  const std::string primary = name.substr(0, name.find('-'));
  if (primary == "ca" || primary == "cat") return {kCatalanCode, {}};
  if (primary == "es" || primary == "spa") return {kCastilianCode, {}};
  // Undetermined, no linguistic content, several, or none given.
  if (primary.empty() || primary == "und" || primary == "zxx" || primary == "mul" ||
      primary == "mis") {
    return user;
  }
  return {user.code, name};
}

SpeechEngine::SpeechEngine(platform::LibraryLoader& loader, reading::ReadingList& list,
                           platform::Edit& speedField,
                           std::function<std::string()> startPageAddress)
    : loader_(loader),
      list_(list),
      speedField_(speedField),
      startPageAddress_(std::move(startPageAddress)) {}

void SpeechEngine::LookUpEntryPoints() {
  auto find = [&](auto& entry, const char* name) {
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
        loader_.Symbol(LibraryHandle, name));
  };
  find(Entries.upcTVAbout, "upcTVAbout");
  find(Entries.upcTVRead, "upcTVRead");
  find(Entries.upcTVReadFile, "upcTVReadFile");
  find(Entries.upcTVStop, "upcTVStop");
  find(Entries.upcTVSetLanguage, "upcTVSetLanguage");
  find(Entries.upcTVSetSpeed, "upcTVSetSpeed");
  find(Entries.upcTVSetSpeaker, "upcTVSetSpeaker");
  find(Entries.upcTVStatus, "upcTVStatus");
  find(Entries.upcTVSound, "upcTVSound");
  find(Entries.upcTVSetLanguageName, "upcTVSetLanguageName");
  find(Entries.upcTVSetMuted, "upcTVSetMuted");
  // A library loaded afresh may be another: it hears the silence too.
  if (muted_ && Entries.upcTVSetMuted != nullptr) Entries.upcTVSetMuted(1);
}

void SpeechEngine::SetMuted(bool muted) {
  muted_ = muted;
  if (Entries.upcTVSetMuted != nullptr) Entries.upcTVSetMuted(muted ? 1 : 0);
}

bool SpeechEngine::LoadSpeechEngine() {
  LibraryHandle = loader_.Load(kSpeechLibraryName);
  const bool failed = LibraryHandle == nullptr;
  if (!failed) {
    LookUpEntryPoints();
    AppliedRate = DefaultRate;
    upcTVSetSpeed(AppliedRate);
  } else {
    Entries = EntryPoints{};
  }
  Speaking = false;
  TextVoiceActive = true;
  CatalanActive = true;
  sent_ = VoiceLanguage{};
  list_.PageTitle.clear();
  list_.WorkingText.clear();
  list_.MarkedText.clear();
  list_.SetReadingMode(reading::ReadingMode::Page);
  list_.PageAddress = startPageAddress_ ? startPageAddress_() : std::string();
  return failed;
}

int32_t SpeechEngine::SpeedFieldValue() const {
  return platform::ReadWholeNumber(speedField_.Text());
}

bool SpeechEngine::ReloadSpeechEngine() {
  if (!Loaded()) return true;
  Entries = EntryPoints{};
  loader_.Free(LibraryHandle);
  LibraryHandle = loader_.Load(kSpeechLibraryName);
  if (!Loaded()) return true;
  LookUpEntryPoints();
  const int32_t value = SpeedFieldValue();
  if (!ValidRate(value)) {
    // Runs the field's change handling, which may reload once more.
    speedField_.SetText(std::to_string(DefaultRate));
    upcTVSetSpeed(DefaultRate);
  } else {
    upcTVSetSpeed(value);
  }
  AppliedRate = SpeedFieldValue();
  return false;
}

void SpeechEngine::FreeSpeechEngine() {
  if (!Loaded()) return;
  Entries = EntryPoints{};
  loader_.Free(LibraryHandle);
  LibraryHandle = nullptr;
}

void SpeechEngine::StopUnitForReload() {
  // A unit being spoken is stopped before the library goes; a message is
  // not, since messages do not set the flag.
  if (Speaking) {
    upcTVStop();
    Speaking = false;
  }
}

void SpeechEngine::SendVoice(const VoiceLanguage& language, bool textVoice) {
  upcTVSetLanguage(language.code);
  upcTVSetSpeaker(SpeakerFor(language.code == kCatalanCode, textVoice));
  if (!language.name.empty()) upcTVSetLanguageName(language.name);
}

void SpeechEngine::UseVoice(const VoiceLanguage& language, bool textVoice) {
  if (sent_ == language && TextVoiceActive == textVoice) return;
  StopUnitForReload();
  ReloadSpeechEngine();
  SendVoice(language, textVoice);
  sent_ = language;
  TextVoiceActive = textVoice;
}

void SpeechEngine::UsePageVoice(bool textVoice) {
  UseVoice(followPageLanguage_ ? PageVoice(pageLanguage_, CatalanActive) : UserVoice(), textVoice);
}

void SpeechEngine::SelectLanguage(Language language) {
  const bool catalan = language == Language::Catalan;
  if (CatalanActive == catalan) return;
  CatalanActive = catalan;
  UseVoice(UserVoice(), TextVoiceActive);
}

void SpeechEngine::SetSpeechRate(int32_t rate) {
  StopUnitForReload();
  AppliedRate = rate;
  ReloadSpeechEngine();
  // A fresh library starts in its own language and speaker; without this a
  // Castilian reading would go on with Catalan pronunciation.
  if (Loaded()) SendVoice(sent_, TextVoiceActive);
}

void SpeechEngine::SpeakMessage(const std::string& text) {
  const std::string spoken = text + " ";
  if (upcTVStatus() != 0) return;
  upcTVRead(spoken);
}

void SpeechEngine::ReadAside(const std::string& text, int32_t rate) {
  if (!Loaded()) return;
  // The program's own words, in the user's item voice whatever the page's;
  // the reading then goes on in the voice it had.
  SendVoice(UserVoice(), false);
  if (rate != AppliedRate) upcTVSetSpeed(rate);
  upcTVRead(text);
  if (rate != AppliedRate) upcTVSetSpeed(AppliedRate);
  SendVoice(sent_, TextVoiceActive);
}

void SpeechEngine::upcTVRead(const std::string& text) {
  // No entity name and no conversion mark is ever heard.
  if (Entries.upcTVRead != nullptr) Entries.upcTVRead(reading::SpokenText(text).c_str());
}

void SpeechEngine::upcTVStop() {
  if (Entries.upcTVStop != nullptr) Entries.upcTVStop();
}

void SpeechEngine::upcTVSetLanguage(int32_t language) {
  if (Entries.upcTVSetLanguage != nullptr) Entries.upcTVSetLanguage(language);
}

void SpeechEngine::upcTVSetSpeed(int32_t rate) {
  if (Entries.upcTVSetSpeed != nullptr) Entries.upcTVSetSpeed(rate);
}

void SpeechEngine::upcTVSetSpeaker(int32_t speaker) {
  if (Entries.upcTVSetSpeaker != nullptr) Entries.upcTVSetSpeaker(speaker);
}

void SpeechEngine::upcTVSetLanguageName(const std::string& name) {
  if (Entries.upcTVSetLanguageName != nullptr) Entries.upcTVSetLanguageName(name.c_str());
}

int32_t SpeechEngine::upcTVStatus() {
  return Entries.upcTVStatus != nullptr ? Entries.upcTVStatus(0) : 0;
}

int32_t SpeechEngine::upcTVSound() {
  return Entries.upcTVSound != nullptr ? Entries.upcTVSound() : 1;
}

}  // namespace sonavia::speech
