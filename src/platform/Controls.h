// The window's controls as plain objects: what the behaviour reads and
// writes, with a notification for the view that mirrors them. Texts are
// UTF-8.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

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

  // Runs the click handler, as a user's click would; a disabled or hidden
  // control does nothing.
  void Click() {
    if (enabled_ && visible_ && OnClick) OnClick();
  }
  std::function<void()> OnClick;

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
  // The field gains or loses the keyboard focus.
  std::function<void()> OnEnter;
  std::function<void()> OnExit;

 private:
  std::string text_;
};

// A toolbar button or a menu item: a caption, a check mark, a shortcut.
class Command : public Control {
 public:
  using Control::Control;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { Set(caption_, std::move(caption)); }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { Set(checked_, checked); }
  // As written in a menu: "F7", "Ctrl+F9", "-"; empty for none.
  const std::string& Shortcut() const { return shortcut_; }
  void SetShortcut(std::string shortcut) { Set(shortcut_, std::move(shortcut)); }

 private:
  std::string caption_;
  bool checked_ = false;
  std::string shortcut_;
};

using Button = Command;
using MenuItem = Command;

// A text shown to the user: a label, a status bar field, a picture's hint.
class Label : public Control {
 public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  void SetText(std::string text) { Set(text_, std::move(text)); }

 private:
  std::string text_;
};

// An editable combo box: an edit with a list of earlier entries.
class ComboBox : public Edit {
 public:
  using Edit::Edit;
  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(std::string item) {
    items_.push_back(std::move(item));
    if (OnStateChanged) OnStateChanged();
  }
  // A key pressed in the box, as a Windows virtual-key code.
  std::function<void(int virtualKey)> OnKeyDown;

 private:
  std::vector<std::string> items_;
};

}  // namespace sonavia::platform
