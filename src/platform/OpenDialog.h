// The open-file dialog as a plain object: its title and filter, and a
// modal run that the view provides.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace sonavia::platform {

class OpenDialog {
 public:
  explicit OpenDialog(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }

  // UTF-8.
  std::string Title;
  // Pairs of a description and a pattern, all separated by "|":
  // "HTML (*.htm)|*.htm|Tots (*.*)|*.*".
  std::string Filter;

  // Shows the dialog and waits for the user: the chosen file's absolute
  // path, or nothing when the user cancels or no view is there.
  std::optional<std::string> Execute() {
    if (!OnExecute) return std::nullopt;
    return OnExecute(*this);
  }
  std::function<std::optional<std::string>(const OpenDialog&)> OnExecute;

 private:
  std::string name_;
};

}  // namespace sonavia::platform
