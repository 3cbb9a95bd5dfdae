#include "TextPrep.h"
#include "VoiceChoice.h"

#include <espeak-ng/speak_lib.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Phonemes(const std::string& utf8) {
  const void* p = utf8.c_str();
  std::string out;
  while (p != nullptr) {
    const char* ph = espeak_TextToPhonemes(&p, espeakCHARS_UTF8, espeakPHONEMES_IPA);
    if (ph == nullptr) break;
    out += ph;
  }
  return out;
}

TEST(TextPrep, MalformedBytesAndControlCharactersBecomeSpaces) {
  struct Case {
    const char* given;
    const char* clean;
  } const cases[] = {
      {"Ζωή, мир, zażółć €", "Ζωή, мир, zażółć €"},  // every script kept
      {"a\tb\nc\x01\x7F", "a b c  "},
      {"next\xC2\x85line", "next line"},  // a control character of two bytes
      {"a\x80"
       "b",
       "a b"},                            // a stray continuation byte
      {"caf\xC3", "caf "},                // cut at the end
      {"\xE2\x82(", "  ("},               // cut in the middle: byte by byte
      {"\xC0\xAF\xE0\x80\xAF", "     "},  // overlong forms
      {"\xED\xA0\x80", "   "},            // a surrogate
      {"\xF4\x90\x80\x80\xFF", "     "},  // beyond U+10FFFF
      {"\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!"},
  };
  for (const auto& c : cases) EXPECT_EQ(upctv::CleanUtf8(c.given), c.clean) << c.given;
}

TEST(TextPrep, FoldsTheLettersOfEveryScript) {
  struct Case {
    const char* given;
    const char* folded;
  } const cases[] = {
      {"GUIA D'INSTAL·LACIó", "guia d'instal·lació"},
      {"MéS", "més"},
      {"ZAżÓŁĆ GĘŚLĄ", "zażółć gęślą"},
      {"ΑΒΓ ΖΩΉ", "αβγ ζωή"},
      {"МИР", "мир"},
      {"ÀÉÑÖÞ ŠŒŽŸ", "àéñöþ šœžÿ"},
      {"ǅ Ⱥ ẞ", "ǆ ⱥ ß"},  // a title case letter; a small form that is longer; one shorter
      {"123 .,;× €", "123 .,;× €"},
  };
  for (const auto& c : cases) EXPECT_EQ(upctv::FoldCase(c.given), c.folded) << c.given;
}

TEST(TextPrep, FilesInWindows1252AreConverted) {
  EXPECT_EQ(upctv::Cp1252ToUtf8("\x80 \x93q\x94 \xE9 \x8A\x9F"), "€ “q” é ŠŸ");
  EXPECT_EQ(upctv::Cp1252ToUtf8("a\x81"
                                "b\tc\x9D"),
            "a b c ");
  EXPECT_FALSE(upctv::IsUtf8("Fitxer en catal\xE0."));
  EXPECT_TRUE(upctv::IsUtf8("Fitxer en català."));
}

TEST(TextPrep, FoldedWordsSoundLikeTheWords) {
  ASSERT_GT(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0), 0);
  ASSERT_EQ(espeak_SetVoiceByName("ca"), EE_OK);
  const std::string folded = Phonemes(upctv::PrepareForSpeech("MéS"));
  EXPECT_EQ(folded, Phonemes("més"));
  EXPECT_NE(Phonemes("MéS"), folded) << "unfolded, the word is spelt";
  ASSERT_EQ(espeak_SetVoiceByName("pl"), EE_OK);
  EXPECT_EQ(Phonemes(upctv::PrepareForSpeech("ZAżÓŁć")), Phonemes("zażółć"));
  espeak_Terminate();
}

}  // namespace

namespace {

using upctv::ChooseVoice;
using upctv::NormalLanguageName;
using upctv::VoiceInfo;

TEST(VoiceChoice, LanguageNamesAsPagesWriteThem) {
  struct Case {
    const char* given;
    const char* normal;
  } const cases[] = {
      {"en", "en"},         {"EN-gb", "en-gb"},
      {"pt_BR", "pt-br"},   {"cmn-Latn-pinyin", "cmn-latn-pinyin"},
      {"x-klingon", ""},    {"e", ""},
      {"engl", ""},         {"en-", ""},
      {"en--us", ""},       {"en us", ""},
      {"en-abcdefghi", ""}, {"", ""},
      {"\xE9s", ""},        {"zh-Hant-TW", "zh-hant-tw"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalLanguageName(c.given), c.normal) << c.given;
}

TEST(VoiceChoice, TheVoiceThatSpeaksALanguageBest) {
  // Shaped as eSpeak NG lists its voices.
  const std::vector<VoiceInfo> voices = {
      {"gmw/en-029", {{10, "en"}, {5, "en-029"}}},
      {"gmw/en", {{2, "en-gb"}, {2, "en"}}},
      {"gmw/en-US", {{2, "en-us"}, {3, "en"}}},
      {"gmw/en-GB-scotland", {{5, "en-gb-scotland"}, {4, "en"}}},
      {"roa/pt", {{5, "pt"}, {5, "pt-pt"}}},
      {"roa/pt-BR", {{5, "pt-br"}, {6, "pt"}}},
      {"sit/cmn", {{5, "cmn"}, {5, "zh-cmn"}, {5, "zh"}}},
      {"roa/fr-BE", {{5, "fr-be"}, {8, "fr"}}},
      {"roa/fr", {{5, "fr-fr"}, {5, "fr"}}},
  };
  struct Case {
    const char* language;
    const char* voice;
  } const cases[] = {
      {"en", "gmw/en"},
      {"en-us", "gmw/en-US"},
      {"en-gb", "gmw/en"},
      {"en-au", "gmw/en"},
      {"en-gb-scotland-x-a", "gmw/en-GB-scotland"},
      {"pt", "roa/pt"},
      {"pt-br", "roa/pt-BR"},
      {"pt-ao", "roa/pt"},
      {"zh", "sit/cmn"},
      {"zh-hant-tw", "sit/cmn"},
      {"fr", "roa/fr"},
      {"fr-ca", "roa/fr"},
      {"fr-be", "roa/fr-BE"},
      {"de", ""},
      {"e", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseVoice(voices, c.language), c.voice) << c.language;
}

TEST(VoiceChoice, TheInstalledVoicesSpeakThePagesLanguages) {
  ASSERT_GT(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0), 0);
  const auto& voices = upctv::InstalledVoices();
  EXPECT_EQ(ChooseVoice(voices, "ca"), "roa/ca");
  EXPECT_EQ(ChooseVoice(voices, "es"), "roa/es");
  EXPECT_EQ(ChooseVoice(voices, "en"), "gmw/en");
  EXPECT_EQ(ChooseVoice(voices, "en-us"), "gmw/en-US");
  EXPECT_EQ(ChooseVoice(voices, "de-at"), "gmw/de");
  EXPECT_EQ(ChooseVoice(voices, "xx"), "");
  for (const VoiceInfo& voice : voices) EXPECT_NE(voice.identifier.rfind("mb/", 0), 0u);
  // Each is taken with a speaker's variant, as the library takes it.
  EXPECT_EQ(espeak_SetVoiceByName((ChooseVoice(voices, "en-us") + "+f4").c_str()), EE_OK);
  // Not terminated: a second start and end of eSpeak NG in one process can
  // hang in its end.
}

}  // namespace
