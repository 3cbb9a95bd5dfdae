#include "platform/UnitTools.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/EventLoop.h"
#include "platform/Utf8.h"

namespace sonavia::platform {

void WaitProcessingMessages(EventLoop& loop, uint32_t milliseconds) {
  if (milliseconds == 0) return;
  const uint32_t start = loop.TickCount();
  for (;;) {
    const auto elapsed = static_cast<uint32_t>(loop.TickCount() - start);
    if (elapsed >= milliseconds) return;
    // Asleep between messages, and never past the end of this wait.
    loop.WaitForMessages(milliseconds - elapsed);
  }
}

namespace {

// Single left-to-right pass; used where the rescanning rule would not end.
std::string ReplaceEachOnce(std::string_view text, std::string_view pattern,
                            std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  for (;;) {
    const size_t k = FindText(text, pattern, i);
    if (k == std::string_view::npos) break;
    out.append(text.substr(i, k - i));
    out.append(replacement);
    i = k + pattern.size();
  }
  out.append(text.substr(i));
  return out;
}

}  // namespace

size_t FindText(std::string_view text, std::string_view pattern, size_t from) {
  const size_t m = pattern.size();
  if (from > text.size()) return std::string_view::npos;
  if (m == 0) return from;
  // It looks for the pattern's first character that is not a blank, which
  // is far rarer in page text than the blanks some patterns start with.
  const size_t anchor = std::min(pattern.find_first_not_of(' '), m - 1);
  const char c = pattern[anchor];
  const char* const data = text.data();
  while (text.size() - from >= m) {
    const void* hit = std::memchr(data + from + anchor, c, text.size() - from - m + 1);
    if (hit == nullptr) return std::string_view::npos;
    const size_t start = static_cast<size_t>(static_cast<const char*>(hit) - data) - anchor;
    // Patterns are a few characters long: compared here, not by a call.
    size_t k = 0;
    while (k < m && data[start + k] == pattern[k]) ++k;
    if (k == m) return start;
    from = start + 1;
  }
  return std::string_view::npos;
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
  if (pattern.empty()) return std::string(text);
  if (replacement.find(pattern) != std::string_view::npos) {
    return ReplaceEachOnce(text, pattern, replacement);
  }
  // The current text is always `out` followed by text[i..]. `out` holds no
  // occurrence that starts before `checkFrom`, so after each replacement only
  // the few starts from there on need a look before searching the rest.
  const size_t m = pattern.size();
  constexpr size_t kNone = std::numeric_limits<size_t>::max();
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  size_t checkFrom = kNone;
  auto replaced_at = [&](size_t q) { checkFrom = q >= m - 1 ? q - (m - 1) : 0; };
  for (;;) {
    bool replaced = false;
    if (checkFrom != kNone) {
      for (size_t s = checkFrom; s < out.size(); ++s) {
        const size_t inOut = out.size() - s;
        if (inOut >= m) {
          if (out.compare(s, m, pattern) == 0) {
            out.replace(s, m, replacement);
            replaced_at(s);
            replaced = true;
            break;
          }
          continue;
        }
        if (out.compare(s, inOut, pattern.substr(0, inOut)) != 0) continue;
        const size_t need = m - inOut;
        if (text.size() - i < need || text.compare(i, need, pattern.substr(inOut)) != 0) continue;
        out.resize(s);
        i += need;
        out.append(replacement);
        replaced_at(s);
        replaced = true;
        break;
      }
    }
    if (replaced) continue;
    const size_t k = FindText(text, pattern, i);
    if (k == std::string_view::npos) break;
    out.append(text.substr(i, k - i));
    const size_t q = out.size();
    out.append(replacement);
    i = k + m;
    replaced_at(q);
  }
  out.append(text.substr(i));
  return out;
}

std::string Shortened(std::string_view text, size_t longest, std::string_view ellipsis) {
  const size_t kept = Utf8PrefixLength(text, longest);
  if (kept == text.size()) return std::string(text);
  std::string shown(text.substr(0, kept));
  shown += ellipsis;
  return shown;
}

int32_t ReadWholeNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  unsigned base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  // Accumulate in 64 bits and stop growing once past the 32-bit range, so
  // a long run of digits saturates instead of wrapping.
  constexpr int64_t kCap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      break;
    }
    value = value * base + digit;
    if (value > kCap) value = kCap;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

std::optional<WindowInfo> FindWindowByTitle(WindowList& windows, std::string_view titlePart,
                                            std::string_view classPart) {
  constexpr size_t kLongestRead = 254;
  if (titlePart.empty()) return std::nullopt;
  for (const WindowInfo& window : windows.TopLevelWindows()) {
    if (window.own) continue;
    const std::string_view title =
        std::string_view(window.title).substr(0, Utf8PrefixLength(window.title, kLongestRead));
    if (title.empty() || title.find(titlePart) == std::string_view::npos) continue;
    if (!classPart.empty()) {
      const std::string_view name =
          std::string_view(window.className)
              .substr(0, Utf8PrefixLength(window.className, kLongestRead));
      if (name.find(classPart) == std::string_view::npos) continue;
    }
    return window;
  }
  return std::nullopt;
}

std::optional<WindowInfo> FindWindow(WindowList& windows, std::string_view title) {
  for (const WindowInfo& window : windows.TopLevelWindows()) {
    if (window.title == title) return window;
  }
  return std::nullopt;
}

}  // namespace sonavia::platform
