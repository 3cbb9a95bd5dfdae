#include "TextPrep.h"

#include <iconv.h>

#include <cerrno>

namespace upctv {

std::string FoldCase1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
      ch = static_cast<char>(c + 0x20);
    } else if (c == 0x8A || c == 0x8C || c == 0x8E) {  // Š Œ Ž
      ch = static_cast<char>(c + 0x10);
    } else if (c == 0x9F) {  // Ÿ
      ch = static_cast<char>(0xFF);
    }
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string clean(text);
  for (char& ch : clean) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) {
      ch = ' ';
    }
  }
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(clean.size() * 3 + 4, '\0');
  char* in = clean.data();
  size_t inLeft = clean.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      if (errno == EILSEQ || errno == EINVAL) {
        // Cannot happen after the cleaning above; skip the byte to be safe.
        ++in;
        --inLeft;
        continue;
      }
      break;
    }
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace upctv
