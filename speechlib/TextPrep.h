// Turns a Windows-1252 text as the reading core hands it over into the
// UTF-8 text eSpeak NG reads well.
#pragma once

#include <string>
#include <string_view>

namespace upctv {

// Lower-cases every letter of Windows-1252, accented ones included, so
// that a word the core upper-cased in ASCII only («MéS») is read as a word
// and not broken at the change of case.
std::string FoldCase1252(std::string_view text);

// Windows-1252 to UTF-8 through iconv; bytes the set leaves undefined, and
// control characters, become spaces.
std::string Cp1252ToUtf8(std::string_view text);

// Both, in that order.
inline std::string PrepareForSpeech(std::string_view text) {
  return Cp1252ToUtf8(FoldCase1252(text));
}

}  // namespace upctv
