// Turns the HTML of a loaded page into the reading list: a fixed chain of
// textual passes that reduce the page to marked plain text, then a
// segmentation into spoken units. Each pass gives exactly the result of its
// rescan-from-the-start rule, in time linear in the text.
#pragma once

#include <string>
#include <string_view>

#include "reading/ReadingList.h"

namespace sonavia::reading {

// What the conversion does when a page is too long to read whole.
class ConversionLimitWarning {
 public:
  virtual ~ConversionLimitWarning() = default;
  virtual void UseItemVoice() = 0;
  virtual bool SpeakUnit(const std::string& text) = 0;
};

inline constexpr std::string_view kTooLongWarning = "Document massa llarg, no el podré llegir tot";
inline constexpr std::string_view kTitleWord = "Títol";
inline constexpr std::string_view kImageWord = "Imatge ";
inline constexpr std::string_view kLinkWord = "LINK";
// A link's address is cut at this many characters when its mark is made: the
// longest address the browsers of the time would still navigate to. Without
// it, anchors left open before one long quoted value would each copy that
// value, and the text would grow with the square of the page.
inline constexpr size_t kMaxAddressLength = 2083;

// The passes, in the order ConvertPage runs them.
std::string ReplaceEntities(std::string_view text);
void UpperCaseAscii(std::string& text);
std::string MarkImages(std::string text);  // removes comments first
std::string MarkLinks(std::string_view text);
std::string MarkSentences(std::string text);
// Begins with RemoveLineBreaks. `catalanRules`: the text is Catalan or
// Castilian, where a lone "I" is the word "HI" in the old spelling; in any
// other language it stays as written.
std::string CleanUpText(std::string text, bool catalanRules = true);
// Fills units and links from `marked`, continuing after the title units.
// Returns true when it stopped at the length limit.
bool Segment(ReadingList& list, std::string_view marked, std::string* leftover = nullptr);

class PageConverter {
 public:
  // `warning` may be null: the warning is then not spoken.
  PageConverter(ReadingList& list, ConversionLimitWarning* warning)
      : list_(list), warning_(warning) {}

  void SetWarning(ConversionLimitWarning* warning) { warning_ = warning; }
  // Whether the next pages are Catalan or Castilian text (or name no
  // language); see CleanUpText.
  void SetCatalanRules(bool catalanRules) { catalanRules_ = catalanRules; }

  // Rebuilds the whole list except the mode, title, addresses, link target
  // and resolved links. The title must be stored first.
  void ConvertPage(const std::string& html);

  // Whether the last conversion stopped at the length limit.
  bool ReachedLimit() const { return reachedLimit_; }

 private:
  ReadingList& list_;
  ConversionLimitWarning* warning_;
  bool reachedLimit_ = false;
  bool catalanRules_ = true;
};

}  // namespace sonavia::reading
