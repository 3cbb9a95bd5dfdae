#include "controls/WordPrediction.h"

#include <algorithm>

#include "platform/Utf8.h"

namespace sonavia::controls {

namespace {

// A hostile page cannot make the list grow without bound.
constexpr size_t kMaxWords = 20000;
constexpr size_t kShortestWord = 3;
constexpr size_t kLongestWord = 40;

bool IsLetter(char32_t c) {
  if (c == platform::kMalformed) return false;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  // Latin-1's letters and everything beyond (apart from its signs).
  return c >= 0xC0 && c != 0xD7 && c != 0xF7 && c != 0x2019;
}

char32_t Lower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  return c;
}

void Learn(std::map<std::string, int>& words, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    for (std::string& word : WordsOf(text)) {
      auto it = words.find(word);
      if (it != words.end()) {
        ++it->second;
      } else if (words.size() < kMaxWords) {
        words.emplace(std::move(word), 1);
      }
    }
  }
}

}  // namespace

std::string LowerCase(std::string_view text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    const platform::Utf8Character c = platform::DecodeUtf8(text, at);
    if (c.code == platform::kMalformed) {
      out += text[at];
    } else {
      platform::AppendUtf8(out, Lower(c.code));
    }
    at += c.length;
  }
  return out;
}

std::vector<std::string> WordsOf(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  size_t letters = 0;
  auto end = [&] {
    if (letters >= kShortestWord && letters <= kLongestWord) words.push_back(word);
    word.clear();
    letters = 0;
  };
  for (size_t at = 0; at < text.size();) {
    const platform::Utf8Character c = platform::DecodeUtf8(text, at);
    if (IsLetter(c.code)) {
      platform::AppendUtf8(word, Lower(c.code));
      ++letters;
    } else {
      end();
    }
    at += c.length;
  }
  end();
  return words;
}

void WordPrediction::SetPage(const std::vector<std::string>& texts) {
  page_.clear();
  Learn(page_, texts);
}

void WordPrediction::SetOwnWords(const std::vector<std::string>& texts) {
  own_.clear();
  Learn(own_, texts);
}

std::vector<std::string> WordPrediction::Predict(std::string_view prefix, size_t count) const {
  const std::string start = LowerCase(prefix);
  std::vector<std::string> chosen;
  for (const auto* words : {&own_, &page_}) {
    std::vector<std::pair<int, const std::string*>> found;
    for (auto it = words->lower_bound(start); it != words->end(); ++it) {
      if (it->first.compare(0, start.size(), start) != 0) break;
      if (it->first.size() > start.size()) found.emplace_back(it->second, &it->first);
    }
    // The most used first; the map's order (alphabetical) among equals.
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [uses, word] : found) {
      if (chosen.size() >= count) return chosen;
      if (std::find(chosen.begin(), chosen.end(), *word) == chosen.end()) chosen.push_back(*word);
    }
  }
  return chosen;
}

}  // namespace sonavia::controls
