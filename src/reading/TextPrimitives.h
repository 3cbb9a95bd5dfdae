// The string primitives the page rules are written in: 1-based positions,
// exact byte-for-byte search, and forgiving bounds.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace sonavia::reading {

// 1-based position of the first occurrence of `s` in `t` at or after
// position `from`; 0 when there is none.
inline long Pos(std::string_view s, std::string_view t, long from = 1) {
  if (from < 1) from = 1;
  if (static_cast<size_t>(from - 1) > t.size()) return 0;
  const size_t k = t.find(s, static_cast<size_t>(from - 1));
  return k == std::string_view::npos ? 0 : static_cast<long>(k) + 1;
}

// The part of `t` from position `i` with count `n`: a position below 1
// counts as 1, a count below 0 as 0, and the part stops at the end.
inline std::string CopyPart(std::string_view t, long i, long n) {
  if (i < 1) i = 1;
  if (n <= 0 || static_cast<size_t>(i) > t.size()) return {};
  return std::string(t.substr(static_cast<size_t>(i - 1), static_cast<size_t>(n)));
}

// Deletes `n` characters at position `i`; nothing happens when `i` is
// below 1 or beyond the end, or `n` is 0 or less.
inline void DeleteAt(std::string& t, long i, long n) {
  if (i < 1 || static_cast<size_t>(i) > t.size() || n <= 0) return;
  t.erase(static_cast<size_t>(i - 1), static_cast<size_t>(n));
}

// Inserts `u` before the character at `i` (at the end when `i` is beyond it).
inline void InsertAt(std::string_view u, std::string& t, long i) {
  if (i < 1) i = 1;
  const size_t at = std::min(static_cast<size_t>(i - 1), t.size());
  t.insert(at, u);
}

}  // namespace sonavia::reading
