#include "TextPrep.h"

#include <espeak-ng/speak_lib.h>
#include <gtest/gtest.h>

#include <string>

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

TEST(TextPrep, FoldsEveryLetterOfTheSet) {
  EXPECT_EQ(upctv::FoldCase1252("GUIA D'INSTAL\xB7LACI\xF3"), "guia d'instal\xB7laci\xF3");
  EXPECT_EQ(upctv::FoldCase1252("\xC0\xC9\xD1\xD6\xDE\xD7\x8A\x8C\x8E\x9F"),
            "\xE0\xE9\xF1\xF6\xFE\xD7\x9A\x9C\x9E\xFF");
  EXPECT_EQ(upctv::FoldCase1252("123 .,;"), "123 .,;");
}

TEST(TextPrep, ConvertsTheWholeSet) {
  EXPECT_EQ(upctv::Cp1252ToUtf8("\x80 \x93q\x94 \xE9"), "€ “q” é");
  EXPECT_EQ(upctv::Cp1252ToUtf8("a\x81"
                                "b\tc"),
            "a b c");
}

TEST(TextPrep, FoldedWordsSoundLikeTheWords) {
  ASSERT_GT(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0), 0);
  ASSERT_EQ(espeak_SetVoiceByName("ca"), EE_OK);
  const std::string folded = Phonemes(upctv::PrepareForSpeech("M\xE9S"));
  EXPECT_EQ(folded, Phonemes("més"));
  EXPECT_NE(Phonemes(upctv::Cp1252ToUtf8("M\xE9S")), folded) << "unfolded, the word is spelt";
  espeak_Terminate();
}

}  // namespace
