// The scanning keyboard: a keyboard in the program's window that a single
// switch types with, by rows and then keys. The letters are laid out by how
// often Catalan or Castilian uses them, the most used nearest the first row
// and the first key, so that the scan reaches them soonest; then the words
// offered to finish the one being typed, the commands ("Esborrar", "Fet",
// "Tancar"), the accented letters and a row of digits and the signs an
// address needs. With spoken scanning each row and key is said as the scan
// reaches it. The mouse and the keyboard can press its keys too.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace sonavia::controls {

inline constexpr const char* kDoneKey = "Fet";
inline constexpr const char* kCloseKey = "Tancar";

enum class KeyKind { Character, Delete, Word, Done, Close };

struct KeyboardKey {
  std::string shown;   // its caption
  std::string spoken;  // what spoken scanning says
  std::string text;    // what it types
  KeyKind kind = KeyKind::Character;
};

struct KeyboardRow {
  std::string spoken;
  std::vector<KeyboardKey> keys;
};

// The rows of the keyboard in the order the scan visits them, the words
// offered (when there are any) in their own row after the letters.
std::vector<KeyboardRow> KeyboardLayout(bool castilian, const std::vector<std::string>& words);

class ScanKeyboard {
 public:
  struct Hooks {
    // Says a row or a key, in the item voice, within the step.
    std::function<void(const std::string&)> say;
    // The text changed, or what the scan is on.
    std::function<void()> changed;
    // The words that finish the word being typed.
    std::function<std::vector<std::string>(const std::string&)> predict;
    std::function<bool()> castilian;
    // "Fet": the text is done; "Tancar": the keyboard closed without it.
    std::function<void(const std::string&)> done;
    std::function<void()> closed;
  };
  explicit ScanKeyboard(Hooks hooks) : h_(std::move(hooks)) {}

  // Shows the keyboard over `text`, all of it selected: the first key
  // typed replaces it. `scanning`: the first row is offered at once.
  void Open(std::string text, bool scanning);
  bool Open() const { return open_; }
  // Whether the scan walks it (it is open and offered to the switch).
  bool Scanned() const { return open_ && scanned_; }
  // Closes it without a word; returns whether it was open.
  bool Close();

  // A step of the scan: the next row, or the next key of the row chosen; a
  // pass over a row's keys without a choice goes back to the rows, there.
  void Step();
  // The switch: a row chosen, or the key the scan is on pressed.
  void Press();
  // A key pressed directly, with the mouse or the keyboard.
  void PressKey(size_t row, size_t key);
  // Characters typed on a keyboard while the keys have it, and its
  // Backspace and Escape ("Esborrar", "Tancar").
  void TypeText(const std::string& text);
  void DeleteKey();
  void CloseKey();

  const std::vector<KeyboardRow>& Rows() const { return rows_; }
  const std::string& Text() const { return text_; }
  // The text is still the one given at the start, all selected.
  bool Replacing() const { return replacing_; }
  // The row the scan is on, and its key while a row is chosen (else -1).
  int ScanRow() const { return scanned_ ? static_cast<int>(row_) : -1; }
  int ScanKey() const { return scanned_ && inRow_ ? static_cast<int>(key_) : -1; }

 private:
  void Type(const KeyboardKey& key);
  void Rebuild();
  void Offer();
  // The word being typed: the text after its last blank.
  std::string Partial() const;

  Hooks h_;
  bool open_ = false;
  bool scanned_ = false;
  bool inRow_ = false;
  size_t row_ = 0;
  size_t key_ = 0;
  std::vector<KeyboardRow> rows_;
  std::string text_;
  bool replacing_ = false;
};

}  // namespace sonavia::controls
