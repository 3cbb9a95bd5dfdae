#include "speech/SpeechEngine.h"

#include <type_traits>

#include "platform/UnitTools.h"

namespace sonavia::speech {

int32_t SpeakerFor(bool catalan, bool textVoice) {
  if (catalan) return textVoice ? 0 : 2;
  return textVoice ? 1 : 0;
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

void SpeechEngine::SendVoice(bool catalan, bool textVoice) {
  upcTVSetLanguage(catalan ? kCatalanCode : kCastilianCode);
  upcTVSetSpeaker(SpeakerFor(catalan, textVoice));
}

void SpeechEngine::UseVoice(bool catalan, bool textVoice) {
  if (CatalanActive == catalan && TextVoiceActive == textVoice) return;
  StopUnitForReload();
  ReloadSpeechEngine();
  SendVoice(catalan, textVoice);
  CatalanActive = catalan;
  TextVoiceActive = textVoice;
}

void SpeechEngine::SetSpeechRate(int32_t rate) {
  StopUnitForReload();
  AppliedRate = rate;
  ReloadSpeechEngine();
  // A fresh library starts in its own language and speaker; without this a
  // Castilian reading would go on with Catalan pronunciation.
  if (Loaded()) SendVoice(CatalanActive, TextVoiceActive);
}

void SpeechEngine::SpeakMessage(const std::string& text) {
  const std::string spoken = text + " ";
  if (upcTVStatus() != 0) return;
  upcTVRead(spoken);
}

void SpeechEngine::ReadAside(const std::string& text, int32_t rate) {
  if (!Loaded()) return;
  upcTVSetSpeaker(SpeakerFor(CatalanActive, false));
  if (rate != AppliedRate) upcTVSetSpeed(rate);
  upcTVRead(text);
  if (rate != AppliedRate) upcTVSetSpeed(AppliedRate);
  upcTVSetSpeaker(SpeakerFor(CatalanActive, TextVoiceActive));
}

void SpeechEngine::upcTVRead(const std::string& text) {
  if (Entries.upcTVRead != nullptr) Entries.upcTVRead(text.c_str());
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

int32_t SpeechEngine::upcTVStatus() {
  return Entries.upcTVStatus != nullptr ? Entries.upcTVStatus(0) : 0;
}

int32_t SpeechEngine::upcTVSound() {
  return Entries.upcTVSound != nullptr ? Entries.upcTVSound() : 1;
}

}  // namespace sonavia::speech
