// libFuzzer target: the text preparation takes any bytes a page or a file
// holds and must give well-formed UTF-8 without a control character, keep
// well-formed text without controls as it is, and fold case once for all;
// a Windows-1252 file gives one character per byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "TextPrep.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "text preparation: %s\n", what);
  std::abort();
}

// Counts the characters of a text, or returns -1 when it is not well-formed
// UTF-8 (RFC 3629), or holds a control character and `controls` is false.
long CountCharacters(std::string_view utf8, bool controls = false) {
  long count = 0;
  for (size_t i = 0; i < utf8.size(); ++count) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
    const unsigned char lead = byte(i);
    size_t length = 1;
    uint32_t cp = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07;
    } else if (lead >= 0x80) {
      return -1;
    }
    if (i + length > utf8.size()) return -1;
    for (size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) return -1;
      cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    if (!controls && (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F))) return -1;
    i += length;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string clean = upctv::CleanUtf8(text);
  if (CountCharacters(clean) < 0) Fail("cleaning left a malformed byte or a control");
  if (clean.size() > text.size()) Fail("cleaning made the text longer");
  if (CountCharacters(text) >= 0 && clean != text) Fail("a clean text was changed");
  if (upctv::IsUtf8(text) != (CountCharacters(text, true) >= 0)) Fail("UTF-8 misjudged");
  const std::string folded = upctv::FoldCase(clean);
  if (CountCharacters(folded) != CountCharacters(clean)) Fail("folding changed the characters");
  if (upctv::FoldCase(folded) != folded) Fail("folding twice differs from once");
  if (upctv::PrepareForSpeech(text) != folded) Fail("not both in order");
  if (CountCharacters(upctv::Cp1252ToUtf8(text)) != static_cast<long>(size)) {
    Fail("a Windows-1252 text not one character per byte");
  }
  return 0;
}
