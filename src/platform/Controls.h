// The window's controls as plain objects: what the behaviour reads and
// writes, with a notification for the view that mirrors them. Texts are
// Windows-1252.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace sonavia::platform {

class Control {
 public:
  explicit Control(std::string name) : name_(std::move(name)) {}
  virtual ~Control() = default;
  const std::string& Name() const { return name_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { Set(enabled_, enabled); }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { Set(visible_, visible); }
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint) { Set(hint_, std::move(hint)); }

  // Called after any property changes; the view refreshes its widget.
  std::function<void()> OnStateChanged;

 protected:
  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    if (OnStateChanged) OnStateChanged();
  }

 private:
  std::string name_;
  bool enabled_ = true;
  bool visible_ = true;
  std::string hint_;
};

// A one-line edit field. Changing its text, by the user or by the program,
// runs its change handler, as an edit control does.
class Edit : public Control {
 public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  void SetText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    if (OnStateChanged) OnStateChanged();
    if (OnChange) OnChange();
  }
  std::function<void()> OnChange;

 private:
  std::string text_;
};

// A toolbar button or a menu item: a caption, a check mark, a click.
class Command : public Control {
 public:
  using Control::Control;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { Set(caption_, std::move(caption)); }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { Set(checked_, checked); }
  // Runs the click handler, as a user's click would; a disabled or hidden
  // command does nothing.
  void Click() {
    if (Enabled() && Visible() && OnClick) OnClick();
  }
  std::function<void()> OnClick;

 private:
  std::string caption_;
  bool checked_ = false;
};

using Button = Command;
using MenuItem = Command;

}  // namespace sonavia::platform
