// The scanning keyboard: its layout for each language, what its keys do to
// the text, the words it offers, and a switch typing a search with it under
// simulated time.
#include "controls/ScanKeyboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/SwitchWindow.h"
#include "controls/WordPrediction.h"
#include "shell/NavigationCommands.h"

namespace sonavia::controls {
namespace {

using testing::Lines;
using testing::SwitchRig;

// A row as its captions, joined by blanks.
std::string Captions(const KeyboardRow& row) {
  std::string out;
  for (const KeyboardKey& key : row.keys) out += (out.empty() ? "" : " ") + key.shown;
  return out;
}

TEST(KeyboardLayout, TheMostUsedLettersTakeTheFewestStepsThenWordsCommandsAccentsAndSigns) {
  struct Case {
    bool castilian;
    std::vector<std::string> words;
    Lines rows;
  } const cases[] = {
      {false,
       {},
       {"espai e s l c p f j w", "a i n u g q z", "r t d v h y", "o m b x k", "Esborrar Fet Tancar",
        "à è é í ï ò ó ú ü ç · '", ". / : - _ @ ? = & % 1 2 3 4 5 6 7 8 9 0"}},
      {true,
       {"barcelona", "barça"},
       {"espacio e o n c p y z w", "a s i t b q j", "r d u g h x", "l m v f k", "barcelona barça",
        "Esborrar Fet Tancar", "á é í ó ú ü ñ ¿ ¡", ". / : - _ @ ? = & % 1 2 3 4 5 6 7 8 9 0"}},
  };
  for (const Case& c : cases) {
    Lines rows;
    for (const KeyboardRow& row : KeyboardLayout(c.castilian, c.words))
      rows.push_back(Captions(row));
    EXPECT_EQ(rows, c.rows);
  }
  // Each row is said by its first keys, or by what it holds.
  const auto catalan = KeyboardLayout(false, {"gats"});
  EXPECT_EQ(catalan[0].spoken, "espai, e, s");
  EXPECT_EQ(catalan[4].spoken, "paraules, gats");
  EXPECT_EQ(catalan[6].keys[9].spoken, "ce trencada");
}

// A keyboard without a window: the text, and what the scan is on.
struct Typist {
  std::string done = "-", said;
  bool closed = false;
  WordPrediction words;
  ScanKeyboard keyboard{{[this](const std::string& text) { said = text; }, nullptr,
                         [this](const std::string& prefix) { return words.Predict(prefix); },
                         [] { return false; }, [this](const std::string& text) { done = text; },
                         [this] { closed = true; }}};
  // Presses the key captioned `shown` with the mouse.
  void Press(const std::string& shown) {
    const auto& rows = keyboard.Rows();
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t k = 0; k < rows[r].keys.size(); ++k) {
        if (rows[r].keys[k].shown == shown) return keyboard.PressKey(r, k);
      }
    }
    ADD_FAILURE() << "no key " << shown;
  }
};

TEST(ScanKeyboard, KeysTypeReplaceDeleteFinishWordsAndEnd) {
  struct Case {
    const char* start;
    Lines keys;
    const char* text;  // what it holds after them
    const char* done;  // what "Fet" gave, "-" for nothing
  } const cases[] = {
      {"http://abans.cat", {"g", "a"}, "ga", "-"},
      {"http://abans.cat", {"Esborrar"}, "", "-"},
      {"http://abans.cat", {"Esborrar", "a", "à", "Esborrar"}, "a", "-"},
      {"", {"b", "a", "barcelona", "Fet"}, "barcelona ", "barcelona"},
      {"", {"t", "espai", "b", "barcelona", "c"}, "t barcelona c", "-"},
      {"vell", {"Tancar"}, "vell", "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    Typist t;
    t.words.SetPage({"Visiteu Barcelona, la ciutat."});
    t.keyboard.Open(c.start, false);
    for (const std::string& key : c.keys) t.Press(key);
    EXPECT_EQ(t.keyboard.Text(), c.text);
    EXPECT_EQ(t.done, c.done);
    EXPECT_EQ(t.keyboard.Open(), c.keys.back() != "Fet" && c.keys.back() != "Tancar");
  }
}

TEST(ScanKeyboard, AKeyboardTypesInItsKeysToo) {
  Typist t;
  t.keyboard.Open("vell", false);
  t.keyboard.TypeText("à");
  t.keyboard.TypeText("b");
  t.keyboard.DeleteKey();
  t.keyboard.TypeText("ç");
  EXPECT_EQ(t.keyboard.Text(), "àç");
  t.keyboard.CloseKey();
  EXPECT_TRUE(t.closed);
  EXPECT_EQ(t.done, "-");
}

TEST(ScanKeyboard, ARowPassedOverGoesBackToTheRowsThereAndAKeyToTheFirstRow) {
  Typist t;
  t.keyboard.Open("", true);
  EXPECT_EQ(t.said, "espai, e, s") << "the first row offered at once";
  t.keyboard.Step();
  t.keyboard.Step();
  EXPECT_EQ(t.said, "r, t, d");
  t.keyboard.Press();
  EXPECT_EQ(t.said, "r");
  for (int i = 0; i < 6; ++i) t.keyboard.Step();  // past its six keys
  EXPECT_EQ(t.keyboard.ScanRow(), 2);
  EXPECT_EQ(t.keyboard.ScanKey(), -1);
  EXPECT_EQ(t.said, "r, t, d") << "the row again";
  t.keyboard.Press();
  t.keyboard.Step();
  t.keyboard.Press();
  EXPECT_EQ(t.keyboard.Text(), "t");
  EXPECT_EQ(t.keyboard.ScanRow(), 0);
  EXPECT_EQ(t.said, "espai, e, s");
}

TEST(WordPrediction, OwnWordsFirstThenThePagesMostUsedStartingWithWhatIsTyped) {
  WordPrediction p;
  p.SetPage({"El Temps a BARCELONA: temps de pluja. Tempesta, tempesta, tempesta!",
             "Àvia, l'àvia i la teva barca."});
  p.SetOwnWords({"https://www.tempsdoci.cat/?q=barca"});
  struct Case {
    const char* prefix;
    Lines words;
  } const cases[] = {
      {"tem", {"tempsdoci", "tempesta", "temps"}},
      {"BAR", {"barca", "barcelona"}},
      {"àv", {"àvia"}},
      {"barce", {"barcelona"}},
      {"temps", {"tempsdoci"}},
      {"x", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(p.Predict(c.prefix), c.words) << c.prefix;
  EXPECT_EQ(p.Predict("").size(), kPredictedWords);
  EXPECT_EQ(WordsOf("L'Àvia va\xff a Ñoño"), (Lines{"àvia", "ñoño"}));
}

TEST(AddressOrSearch, AnAddressGoesAsItIsAndAnythingElseIsSearched) {
  struct Case {
    const char* typed;
    std::string address;
  } const cases[] = {
      {"temps a barcelona", "https://duckduckgo.com/html/?q=temps+a+barcelona"},
      {"  www.xtec.cat ", "www.xtec.cat"},
      {"localhost:8080", "localhost:8080"},
      {"/home/u/pàgina.htm", "/home/u/pàgina.htm"},
      {"gats", "https://duckduckgo.com/html/?q=gats"},
      {"àvia & c++", "https://duckduckgo.com/html/?q=%C3%A0via+%26+c%2B%2B"},
      {"   ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(shell::AddressOrSearch(c.typed), c.address) << c.typed;
}

// A switch user types a search at a step of one second: a long press,
// "Escriure", a row and a key for each character, and "Fet".
TEST(ScanKeyboardWindow, ASwitchTypesASearchIntoTheAddressBoxAndOpensIt) {
  SwitchRig r;
  r.LoadPage();
  r.main.TextDecimesScan.SetText("10");
  r.ScanOn(true);
  r.RunTo(r.loop.Elapsed() + 2500);
  const uint64_t began = r.loop.Elapsed();
  int presses = 0;
  auto press = [&](uint32_t ms = 100) {
    r.Press(ms);
    ++presses;
  };
  press(1200);
  ASSERT_TRUE(r.RunUntil([&] {
    return r.main.Scan.InSecondCycle() &&
           r.ButtonAt(r.main.Scan.FramedIndex()) == &r.main.SwitchPlaces.SpeedButtonEscEscriure;
  }));
  press();
  ASSERT_TRUE(r.main.Keyboard.Scanned());
  EXPECT_EQ(r.main.cboAddress.Text(), "file:///w/index.htm");
  const std::string search = "temps a barcelona";
  Lines keys;
  for (const char c : search) keys.push_back(c == ' ' ? "espai" : std::string(1, c));
  keys.push_back("Fet");
  for (const std::string& key : keys) {
    SCOPED_TRACE(key);
    size_t row = 0, place = 0;
    const auto& rows = r.main.Keyboard.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
      for (size_t k = 0; k < rows[i].keys.size(); ++k) {
        if (rows[i].keys[k].shown == key) row = i, place = k;
      }
    }
    ASSERT_TRUE(r.RunUntil([&] { return r.main.Keyboard.ScanRow() == static_cast<int>(row); }));
    press();
    ASSERT_TRUE(r.RunUntil([&] { return r.main.Keyboard.ScanKey() == static_cast<int>(place); }));
    press();
    if (key != "Fet") {
      EXPECT_EQ(r.main.cboAddress.Text().back(), key == "espai" ? ' ' : key[0]);
    }
  }
  const uint64_t seconds = (r.loop.Elapsed() - began) / 1000;
  EXPECT_FALSE(r.main.Keyboard.Open());
  EXPECT_TRUE(r.Navigated("https://duckduckgo.com/html/?q=temps+a+barcelona"));
  EXPECT_EQ(presses, 38);
  EXPECT_LE(seconds, 60u);
  const Lines said = r.Said(began);
  auto heard = [&](const std::string& text) {
    for (const auto& line : said) {
      if (line.ends_with(" " + text)) return true;
    }
    return false;
  };
  for (const char* text : {"Escriure", "espai, e, s", "r, t, d", "t", "espai", "Fet"})
    EXPECT_TRUE(heard(text)) << text;
}

}  // namespace
}  // namespace sonavia::controls
