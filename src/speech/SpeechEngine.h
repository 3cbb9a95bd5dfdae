// The binding to the speech library: loading it by name, its entry points,
// the two voices, the language and the rate. Every change of voice,
// language or rate frees the library and loads it afresh.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Controls.h"
#include "platform/LibraryLoader.h"
#include "reading/ReadingList.h"
#include "reading/SpeechPort.h"

namespace sonavia::speech {

inline constexpr int32_t DefaultRate = 140;
// The rates the library is given: 1 to 255.
inline constexpr int32_t kMaxRate = 255;
inline constexpr bool ValidRate(int32_t rate) {
  return rate >= 1 && rate <= kMaxRate;
}
inline constexpr const char* kSpeechLibraryName = "libupctv.so";
inline constexpr int32_t kCatalanCode = 99;
inline constexpr int32_t kCastilianCode = 101;

enum class Language { Catalan, Castilian };

// The language a voice is sent: a code the library takes and, for a page in
// another language, that language's name, which the library reads in the
// eSpeak NG voice of that language (in the code's language when it has none).
struct VoiceLanguage {
  int32_t code = kCatalanCode;
  std::string name;

  bool operator==(const VoiceLanguage&) const = default;
};

// How a page in `pageLanguage` (as its document or address names it; empty
// for none) is read: a Catalan or Castilian page in that language, any
// other by its name, with the speakers of the user's language; a page
// without a language, or with one that names none, in the user's language.
VoiceLanguage PageVoice(std::string_view pageLanguage, bool catalanActive);

struct EntryPoints {
  const char* (*upcTVAbout)() = nullptr;
  int32_t (*upcTVRead)(const char*) = nullptr;
  int32_t (*upcTVReadFile)(const char*) = nullptr;
  int32_t (*upcTVStop)() = nullptr;
  int32_t (*upcTVSetLanguage)(int32_t) = nullptr;
  int32_t (*upcTVSetSpeed)(int32_t) = nullptr;
  int32_t (*upcTVSetSpeaker)(int32_t) = nullptr;
  int32_t (*upcTVStatus)(int32_t) = nullptr;
  // Newer than the others, so a library may lack them.
  int32_t (*upcTVSound)() = nullptr;
  int32_t (*upcTVSetLanguageName)(const char*) = nullptr;
  int32_t (*upcTVSetMuted)(int32_t) = nullptr;
};

// Speaker numbers of the voice table.
int32_t SpeakerFor(bool catalan, bool textVoice);

class SpeechEngine : public reading::SpeechPort {
 public:
  // `speedField` is the window's speed edit; `startPageAddress` gives the
  // address that links resolve against until a page has loaded.
  SpeechEngine(platform::LibraryLoader& loader, reading::ReadingList& list,
               platform::Edit& speedField, std::function<std::string()> startPageAddress);
  SpeechEngine(const SpeechEngine&) = delete;
  SpeechEngine& operator=(const SpeechEngine&) = delete;

  platform::LibraryLoader::Handle LibraryHandle = nullptr;
  EntryPoints Entries;
  bool Speaking = false;
  int32_t AppliedRate = DefaultRate;
  bool TextVoiceActive = true;
  // The user's language, which the program's own words are spoken in.
  bool CatalanActive = true;

  // Each returns true when it failed.
  bool LoadSpeechEngine();
  bool ReloadSpeechEngine();
  void FreeSpeechEngine();

  // The voices in the user's language, for the program's own words.
  void UseTextVoice() override { UseVoice(UserVoice(), true); }
  void UseItemVoice() override { UseVoice(UserVoice(), false); }
  // The voices for the page's own text: in the page's language while it is
  // followed, in the user's otherwise.
  void UsePageVoice(bool textVoice) override;
  void SelectLanguage(Language language);
  void SelectCatalan() { SelectLanguage(Language::Catalan); }
  void SelectCastilian() { SelectLanguage(Language::Castilian); }
  void SetSpeechRate(int32_t rate);
  bool IsSpeaking() const { return Speaking; }
  void SpeakMessage(const std::string& text);

  bool Loaded() const { return LibraryHandle != nullptr; }
  // The program's own speech silenced ("Deixar parlar el lector de
  // pantalla"): the reading goes on at its pace, unheard, so that the
  // page's mark and the commands work as ever.
  void SetMuted(bool muted);
  bool Muted() const { return muted_; }

  // The language of the page being read, as its document or address names
  // it ("en-GB"); empty for none.
  void SetPageLanguage(std::string language) { pageLanguage_ = std::move(language); }
  const std::string& PageLanguage() const { return pageLanguage_; }
  // Whether a page is read in its own language ("Llengua de la pàgina").
  void SetFollowPageLanguage(bool follow) { followPageLanguage_ = follow; }
  bool FollowPageLanguage() const { return followPageLanguage_; }

  // What the reading core uses.
  bool SpeakingFlag() const override { return Speaking; }
  void SetSpeakingFlag(bool speaking) override { Speaking = speaking; }
  int32_t Status() override { return upcTVStatus(); }
  void Read(const std::string& text) override { upcTVRead(text); }
  void Stop() override { upcTVStop(); }
  // The library takes the speaker and the rate for the next text it is
  // given, so they are set for this text alone and put back at once: no
  // reload, which would cost more than a short text lasts.
  void ReadAside(const std::string& text, int32_t rate) override;

  // The entry points, harmless without a library or without the entry:
  // nothing is spoken and the status reads idle.
  void upcTVRead(const std::string& text);
  void upcTVStop();
  void upcTVSetLanguage(int32_t language);
  void upcTVSetSpeed(int32_t rate);
  void upcTVSetSpeaker(int32_t speaker);
  void upcTVSetLanguageName(const std::string& name);
  int32_t upcTVStatus();
  // Whether what is read can be heard: 1 yes, 0 no (the library keeps time
  // in silence), -1 not known yet. 1 without a library, or with one that
  // cannot tell: there is nothing to warn about.
  int32_t upcTVSound();

 private:
  void LookUpEntryPoints();
  int32_t SpeedFieldValue() const;
  void StopUnitForReload();
  VoiceLanguage UserVoice() const { return {CatalanActive ? kCatalanCode : kCastilianCode, {}}; }
  void SendVoice(const VoiceLanguage& language, bool textVoice);
  // A change of language or voice reloads the library; none does nothing.
  void UseVoice(const VoiceLanguage& language, bool textVoice);

  platform::LibraryLoader& loader_;
  reading::ReadingList& list_;
  platform::Edit& speedField_;
  std::function<std::string()> startPageAddress_;
  VoiceLanguage sent_;  // the language the library was last sent
  std::string pageLanguage_;
  bool followPageLanguage_ = true;
  bool muted_ = false;
};

}  // namespace sonavia::speech
