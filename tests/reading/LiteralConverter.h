// The page rules read literally: every search starts again at the beginning
// of the whole text after each change, and segmentation deletes the front
// of the text. Quadratic, and therefore only the oracle for the real passes.
// Like them it cuts a link's address at reading::kMaxAddressLength.
#pragma once

#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "reading/PageConverter.h"
#include "reading/ReadingList.h"

namespace sonavia::literal {

std::string ReplaceAll(std::string text, const std::string& pattern,
                       const std::string& replacement);
std::string ReplaceEntities(std::string text);
std::string MarkImages(std::string text);
std::string MarkLinks(std::string text);
std::string MarkSentences(std::string text);
std::string CleanUpText(std::string text);

// Records the warning calls so two conversions can be compared.
struct WarningLog : reading::ConversionLimitWarning {
  std::vector<std::string> calls;
  void UseItemVoice() override { calls.push_back("UseItemVoice"); }
  bool SpeakUnit(const std::string& text) override {
    calls.push_back("SpeakUnit:" + text);
    return false;
  }
};

// The literal rules work on Windows-1252 text and the real passes on the
// same text in UTF-8: what the oracle said, in UTF-8, to compare.
inline std::vector<std::string> InUtf8(std::vector<std::string> texts) {
  for (std::string& text : texts) text = platform::Cp1252ToUtf8(text);
  return texts;
}

// ConvertPage as written, with the decisions the real one makes on the
// points the rules leave open.
void ConvertPage(reading::ReadingList& list, const std::string& html,
                 reading::ConversionLimitWarning* warning);

}  // namespace sonavia::literal
