// A page's control (a field, a button, a check box, a list) as the program
// names it: its kind and state in the user's words, its label and value in
// the page's, as a screen reader says them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reading/ReadingList.h"

namespace sonavia::reading {

enum class ControlKind {
  Link,
  Button,
  TextField,
  Password,
  TextArea,
  CheckBox,
  Radio,
  List,
  Summary
};

struct PageControl {
  ControlKind kind = ControlKind::Button;
  // What names it: its label, its own text, aria-label, placeholder or title.
  std::string label{};
  // A field's text, a list's chosen option.
  std::string value{};
  bool checked = false;   // a check box or an option button
  bool required = false;  // a field the form will not send empty
  bool expanded = false;  // a summary whose details show

  bool operator==(const PageControl&) const = default;
};

// The kind a page script names ("button", "text", "password", "textarea",
// "checkbox", "radio", "list", "summary", "link"); nothing for any other.
std::optional<ControlKind> ControlKindNamed(std::string_view name);

// The program's words: kind and state, in Catalan or Castilian.
std::string ControlWords(const PageControl& control, bool castilian);
// The page's words: label and value (never a password's).
std::string ControlPageWords(const PageControl& control);
// Both, as said when the keyboard lands on the control or the scan reaches it.
std::string ControlAnnouncement(const PageControl& control, bool castilian);

// The page view writes each control outside a link as an image whose source
// is this mark and the control's number from 1; the page's own text can
// never hold an opening bracket, which it writes as a character reference.
inline constexpr std::string_view kControlMark = "(C)";

// Turns each control's image pair of units into the control's two units,
// its words (the program's own) and its page words. Returns the units of the
// words, one for each control placed (0 for a control the list lacks).
std::vector<int32_t> PlaceControls(ReadingList& list, const std::vector<PageControl>& controls,
                                   bool castilian);
// Says the placed controls' words in the other language.
void RenameControls(ReadingList& list, const std::vector<int32_t>& units,
                    const std::vector<PageControl>& controls, bool castilian);

}  // namespace sonavia::reading
