// The words the scanning keyboard offers to finish the one being typed:
// the current page's words, the addresses and searches of the history and
// the favourites' names, the most used first.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sonavia::controls {

// Words offered at a time.
inline constexpr size_t kPredictedWords = 5;

// The words of `text`, lower case, in order: runs of letters (any letter
// beyond ASCII counts) of at least three characters.
std::vector<std::string> WordsOf(std::string_view text);
// The letters of `text` in lower case (ASCII and Latin-1's capitals).
std::string LowerCase(std::string_view text);

class WordPrediction {
 public:
  // Forgets the page's words and learns those of its text.
  void SetPage(const std::vector<std::string>& texts);
  // The user's own words (history, favourites): they come before the page's.
  void SetOwnWords(const std::vector<std::string>& texts);
  // At most `count` words that start with `prefix` (any case) and are
  // longer than it: the user's own first, then the page's, each the most
  // frequent first, then in alphabetical order.
  std::vector<std::string> Predict(std::string_view prefix, size_t count = kPredictedWords) const;

 private:
  std::map<std::string, int> page_;
  std::map<std::string, int> own_;
};

}  // namespace sonavia::controls
