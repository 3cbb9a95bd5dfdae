#include "controls/ScanKeyboard.h"

namespace sonavia::controls {

namespace {

// The letters from the most used to the least, in running text.
constexpr const char* kCatalanOrder = "easirlntocudmpgvbfqhxjzykw";
constexpr const char* kCastilianOrder = "eaosrnidlctumpbgvyqhfzjxkw";
// The letters take this many rows.
constexpr size_t kLetterRows = 4;

struct Named {
  const char* text;
  const char* catalan;
  const char* castilian;
};

// The accented letters each language writes, and the marks of its writing.
constexpr Named kCatalanAccents[] = {
    {"à", "a oberta", ""},     {"è", "e oberta", ""},      {"é", "e tancada", ""},
    {"í", "i accentuada", ""}, {"ï", "i amb dièresi", ""}, {"ò", "o oberta", ""},
    {"ó", "o tancada", ""},    {"ú", "u accentuada", ""},  {"ü", "u amb dièresi", ""},
    {"ç", "ce trencada", ""},  {"·", "punt volat", ""},    {"'", "apòstrof", ""},
};
constexpr Named kCastilianAccents[] = {
    {"á", "", "a con tilde"}, {"é", "", "e con tilde"},         {"í", "", "i con tilde"},
    {"ó", "", "o con tilde"}, {"ú", "", "u con tilde"},         {"ü", "", "u con diéresis"},
    {"ñ", "", "eñe"},         {"¿", "", "abrir interrogación"}, {"¡", "", "abrir exclamación"},
};
// What an address needs, the most used first, then the digits.
constexpr Named kSigns[] = {
    {".", "punt", "punto"},
    {"/", "barra", "barra"},
    {":", "dos punts", "dos puntos"},
    {"-", "guió", "guion"},
    {"_", "guió baix", "guion bajo"},
    {"@", "arrova", "arroba"},
    {"?", "interrogant", "interrogación"},
    {"=", "igual", "igual"},
    {"&", "i comercial", "et"},
    {"%", "per cent", "por ciento"},
    {"1", "1", "1"},
    {"2", "2", "2"},
    {"3", "3", "3"},
    {"4", "4", "4"},
    {"5", "5", "5"},
    {"6", "6", "6"},
    {"7", "7", "7"},
    {"8", "8", "8"},
    {"9", "9", "9"},
    {"0", "0", "0"},
};

KeyboardKey Character(const std::string& text, const std::string& spoken) {
  return {text, spoken, text, KeyKind::Character};
}

// A row said by its first keys.
std::string FirstKeys(const std::vector<KeyboardKey>& keys) {
  std::string said;
  for (size_t i = 0; i < keys.size() && i < 3; ++i) said += (i > 0 ? ", " : "") + keys[i].spoken;
  return said;
}

}  // namespace

std::vector<KeyboardRow> KeyboardLayout(bool castilian, const std::vector<std::string>& words) {
  // The blank and the letters fill the rows along the diagonals: a key in
  // row r (from 0) and place k takes r + k steps to reach, so the most used
  // go where r + k is smallest.
  std::vector<KeyboardKey> symbols = {
      {castilian ? "espacio" : "espai", castilian ? "espacio" : "espai", " ", KeyKind::Character}};
  for (const char* c = castilian ? kCastilianOrder : kCatalanOrder; *c != '\0'; ++c)
    symbols.push_back(Character(std::string(1, *c), std::string(1, *c)));
  std::vector<KeyboardRow> rows(kLetterRows);
  size_t next = 0;
  for (size_t diagonal = 0; next < symbols.size(); ++diagonal) {
    // Row r's next key is at place diagonal - r: the rows fill in step.
    for (size_t r = 0; r < kLetterRows && r <= diagonal && next < symbols.size(); ++r)
      rows[r].keys.push_back(symbols[next++]);
  }
  for (KeyboardRow& row : rows) row.spoken = FirstKeys(row.keys);

  if (!words.empty()) {
    KeyboardRow offered{castilian ? "palabras, " : "paraules, ", {}};
    for (const std::string& word : words) offered.keys.push_back({word, word, word, KeyKind::Word});
    offered.spoken += words.front();
    rows.push_back(std::move(offered));
  }
  rows.push_back({"Esborrar, Fet, Tancar",
                  {{"Esborrar", castilian ? "borrar" : "esborrar", "", KeyKind::Delete},
                   {kDoneKey, kDoneKey, "", KeyKind::Done},
                   {kCloseKey, kCloseKey, "", KeyKind::Close}}});
  KeyboardRow accents{castilian ? "acentos" : "accents", {}};
  if (castilian) {
    for (const Named& a : kCastilianAccents) accents.keys.push_back(Character(a.text, a.castilian));
  } else {
    for (const Named& a : kCatalanAccents) accents.keys.push_back(Character(a.text, a.catalan));
  }
  rows.push_back(std::move(accents));
  KeyboardRow signs{castilian ? "números y signos" : "números i signes", {}};
  for (const Named& s : kSigns)
    signs.keys.push_back(Character(s.text, castilian ? s.castilian : s.catalan));
  rows.push_back(std::move(signs));
  return rows;
}

void ScanKeyboard::Open(std::string text, bool scanning) {
  text_ = std::move(text);
  replacing_ = !text_.empty();
  open_ = true;
  scanned_ = scanning;
  inRow_ = false;
  row_ = 0;
  key_ = 0;
  Rebuild();
  Offer();
}

bool ScanKeyboard::Close() {
  if (!open_) return false;
  open_ = false;
  scanned_ = false;
  inRow_ = false;
  if (h_.changed) h_.changed();
  return true;
}

std::string ScanKeyboard::Partial() const {
  if (replacing_) return {};
  const size_t blank = text_.find_last_of(' ');
  return blank == std::string::npos ? text_ : text_.substr(blank + 1);
}

void ScanKeyboard::Rebuild() {
  const std::string partial = Partial();
  std::vector<std::string> words;
  if (h_.predict) words = h_.predict(partial);
  rows_ = KeyboardLayout(h_.castilian && h_.castilian(), words);
}

void ScanKeyboard::Offer() {
  if (h_.changed) h_.changed();
  if (!scanned_ || !h_.say || rows_.empty()) return;
  const KeyboardRow& row = rows_[row_];
  h_.say(inRow_ ? row.keys[key_].spoken : row.spoken);
}

void ScanKeyboard::Step() {
  if (!Scanned() || rows_.empty()) return;
  if (inRow_) {
    if (++key_ >= rows_[row_].keys.size()) {
      // Missed: back to the rows, on the same one.
      inRow_ = false;
      key_ = 0;
    }
  } else {
    row_ = (row_ + 1) % rows_.size();
  }
  Offer();
}

void ScanKeyboard::Press() {
  if (!Scanned() || rows_.empty()) return;
  if (!inRow_) {
    inRow_ = true;
    key_ = 0;
    Offer();
    return;
  }
  const KeyboardKey key = rows_[row_].keys[key_];
  // The next character starts again from the first row.
  inRow_ = false;
  row_ = 0;
  key_ = 0;
  Type(key);
}

void ScanKeyboard::PressKey(size_t row, size_t key) {
  if (!open_ || row >= rows_.size() || key >= rows_[row].keys.size()) return;
  const KeyboardKey chosen = rows_[row].keys[key];
  if (scanned_) {
    inRow_ = false;
    row_ = 0;
    key_ = 0;
  }
  Type(chosen);
}

void ScanKeyboard::TypeText(const std::string& text) {
  if (open_ && !text.empty()) Type({text, text, text, KeyKind::Character});
}

void ScanKeyboard::DeleteKey() {
  if (open_) Type({"", "", "", KeyKind::Delete});
}

void ScanKeyboard::CloseKey() {
  if (open_) Type({"", "", "", KeyKind::Close});
}

void ScanKeyboard::Type(const KeyboardKey& key) {
  switch (key.kind) {
    case KeyKind::Done: {
      std::string text = text_;
      // A word offered leaves a blank after it that the text does not need.
      while (!text.empty() && text.back() == ' ') text.pop_back();
      Close();
      if (h_.done) h_.done(text);
      return;
    }
    case KeyKind::Close:
      Close();
      if (h_.closed) h_.closed();
      return;
    case KeyKind::Delete:
      if (replacing_) {
        text_.clear();
      } else if (!text_.empty()) {
        // The last character, whole.
        size_t at = text_.size() - 1;
        while (at > 0 && (static_cast<unsigned char>(text_[at]) & 0xC0) == 0x80) --at;
        text_.erase(at);
      }
      break;
    case KeyKind::Word: {
      if (replacing_) text_.clear();
      const std::string partial = Partial();
      text_.erase(text_.size() - partial.size());
      text_ += key.text + " ";
      break;
    }
    case KeyKind::Character:
      if (replacing_) text_.clear();
      text_ += key.text;
      break;
  }
  replacing_ = false;
  Rebuild();
  Offer();
}

}  // namespace sonavia::controls
