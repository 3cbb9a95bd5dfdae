// Helpers shared by every part of the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WindowList.h"

namespace sonavia::platform {

class EventLoop;

// Keeps dispatching messages until `milliseconds` have passed on the loop's
// tick count, asleep while none is pending. Elapsed time is an unsigned
// difference, so a wrap of the counter neither ends nor lengthens the wait.
// 0 returns at once.
void WaitProcessingMessages(EventLoop& loop, uint32_t milliseconds);

// The first occurrence of `pattern` in `text` at or after `from`, or npos;
// as std::string_view::find, tuned for the short patterns of page rules in
// long page text.
size_t FindText(std::string_view text, std::string_view pattern, size_t from = 0);

// While `pattern` occurs in `text`, replaces its first occurrence with
// `replacement`, searching again from the start each time, so an occurrence
// that a replacement creates by joining text is replaced too. Runs in linear
// time. An empty pattern changes nothing. A replacement that holds the
// pattern would never end under that rule; each occurrence of the original
// text is then replaced once instead.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);

// `text` as the window shows it: at most `longest` characters, and when it
// is longer its first `longest` followed by `ellipsis`. A person reads no
// more at a glance, and the window's text layout of a text of megabytes
// would hold the program for seconds.
std::string Shortened(std::string_view text, size_t longest, std::string_view ellipsis = "…");

// Reads a whole number the way every edit and setting is read: leading
// blanks skipped, an optional sign, decimal digits ("$" or "0x" introduces
// hexadecimal ones), stopping at the first other character. A text that does
// not start with a number gives 0. Values beyond 32 bits saturate.
int32_t ReadWholeNumber(std::string_view text);

// The first top-level window, topmost first, whose title (its first 254
// characters) is not empty and contains `titlePart`, and whose class name
// contains `classPart` when that is not empty. An empty title part finds
// nothing. Case-sensitive.
std::optional<WindowInfo> FindWindowByTitle(WindowList& windows, std::string_view titlePart,
                                            std::string_view classPart);

// The top-level window whose whole title is `title`, of any class.
std::optional<WindowInfo> FindWindow(WindowList& windows, std::string_view title);

}  // namespace sonavia::platform
