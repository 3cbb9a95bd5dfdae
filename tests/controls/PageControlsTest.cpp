// A page's controls worked through the window: Enter is the page's once the
// user has put the keyboard in a field or on a button, the controls the user
// reaches are announced and what is typed is said; a switch user reaches any
// of the page's elements through "Elements de la pàgina".
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "controls/PageElementsScan.h"
#include "controls/SwitchWindow.h"
#include "platform/Cp1252.h"
#include "support/TempDir.h"

namespace sonavia::controls {
namespace {

using reading::ControlKind;
using reading::PageControl;
using testing::Lines;
using testing::SwitchRig;
using Range = std::pair<int, int>;

const PageControl kSearch{ControlKind::TextField, "Cerca"};
const PageControl kSend{ControlKind::Button, "Envia"};

// What the window said since `from`, the page's units (in capitals) left out.
Lines Asides(SwitchRig& r, uint64_t from) {
  Lines said;
  for (const std::string& line : r.Said(from)) {
    const std::string text = line.substr(line.find(' ') + 1);
    if (text.find_first_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos &&
        text.find("Títol") == std::string::npos && text != "Inici")
      said.push_back(text);
  }
  return said;
}

TEST(PageEnter, IsTheProgramsOnALinkOrNoControlAndThePagesInTheUsersControl) {
  const char* const read = "file:///w/a.htm";  // the link being read: the first
  const struct {
    const char* what;
    std::function<void(SwitchRig&)> before;
    const char* followed;  // nullptr: left to the page
  } cases[] = {
      {"no control", [](SwitchRig&) {}, read},
      {"a link tabbed onto",
       [](SwitchRig& r) {
         r.browser.FocusControl(std::nullopt, true), r.browser.ShowStatus("file:///w/b.htm");
       },
       "file:///w/b.htm"},
      {"a field tabbed into", [](SwitchRig& r) { r.browser.FocusControl(kSearch, true); }, nullptr},
      {"a button tabbed onto", [](SwitchRig& r) { r.browser.FocusControl(kSend, true); }, nullptr},
      {"a field the page focused", [](SwitchRig& r) { r.browser.FocusControl(kSearch, false); },
       read},
      {"one the user then typed in",
       [](SwitchRig& r) { r.browser.FocusControl(kSearch, false), r.browser.Type("g"); }, nullptr},
      {"a field, then a link the page focused",
       [](SwitchRig& r) {
         r.browser.FocusControl(kSearch, true), r.browser.FocusControl(std::nullopt, false);
       },
       read},
      {"a field, the keyboard in the address box",
       [](SwitchRig& r) {
         r.browser.FocusControl(kSearch, true), r.main.PageHasKeyboard = [] { return false; };
       },
       read},
      {"a field of the page before",
       [](SwitchRig& r) {
         r.browser.FocusControl(kSearch, true);
         r.main.GoToAddress("file:///w/index.htm");
         r.loop.RunFor(4000);
       },
       read},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SwitchRig r;
    r.LoadPage();
    c.before(r);
    r.browser.calls.clear();
    EXPECT_EQ(r.main.ApplicationEvents1Message(0x0D), c.followed != nullptr);
    EXPECT_EQ(r.browser.calls.empty(), c.followed == nullptr);
    if (c.followed != nullptr) {
      EXPECT_TRUE(r.Navigated(c.followed));
    }
  }
}

TEST(PageFocusSpeech, TheUsersControlIsAnnouncedAndTypingIsSaidInTheItemVoice) {
  SwitchRig r;
  r.LoadPage();
  const uint64_t from = 9000;
  const std::function<void()> steps[] = {
      [&] {
        r.browser.FocusControl(PageControl{ControlKind::CheckBox, "Accepto", "", true}, true);
      },
      [&] { r.browser.FocusControl(kSearch, false); },  // the page's own: nothing said
      [&] { r.browser.FocusControl(kSearch, true); },
      [&] { r.browser.Type("g"); },
      [&] { r.main.mnuRepetirEscrit.Click(), r.browser.Type("a"); },
      [&] { r.main.mnuCastella.Click(), r.browser.FocusControl(kSend, true); },
  };
  for (size_t i = 0; i < std::size(steps); ++i) r.At(from + 2000 * i, steps[i]);
  r.RunTo(from + 2000 * std::size(steps));
  EXPECT_EQ(Asides(r, from), (Lines{"Casella de selecció, marcada, Accepto", "Camp de text, Cerca",
                                    "g", "Botón, Envia"}));
}

TEST(PageFocusSpeech, RepeatingWhatIsTypedAndReadingTheArticleAreKeptAsYesOrNo) {
  for (const std::string key : {"Repetir el que s'escriu", "Llegir l'article"}) {
    for (const auto& [stored, on] : {std::pair{"", true}, {"=no", false}, {"=NO", true}}) {
      SCOPED_TRACE(key + stored);
      testing::TempDir dir;
      const std::string path = dir.File("Quelva2001.ini");
      testing::WriteBytes(
          path, platform::Utf8ToCp1252("[Ombrix Sonavia]\n" + (*stored ? key + stored : "")));
      testing::SimulatedWindow window("/h");
      window.main.Settings.SetPath(path);
      shell::StartProgram(window.main, window.about, window.loop);
      const platform::MenuItem& item =
          key[0] == 'R' ? window.main.mnuRepetirEscrit : window.main.mnuLlegirArticle;
      EXPECT_EQ(item.Checked(), on);
      window.main.FormClose();
      const std::string written = platform::Utf8ToCp1252(key + (on ? "=sí\n" : "=no\n"));
      EXPECT_NE(testing::ReadBytes(path).find(written), std::string::npos);
    }
  }
}

TEST(ElementGroups, EightsInThePagesOrderAConsentDialogApartAndFirst) {
  using G = std::vector<std::pair<size_t, size_t>>;
  EXPECT_EQ(ElementGroups(0, 0), G{});
  EXPECT_EQ(ElementGroups(8, 0), (G{{0, 7}}));
  EXPECT_EQ(ElementGroups(9, 0), (G{{0, 7}, {8, 8}}));
  EXPECT_EQ(ElementGroups(20, 2), (G{{0, 1}, {2, 9}, {10, 17}, {18, 19}}));
  EXPECT_EQ(ElementGroups(3, 5), (G{{0, 2}}));
  EXPECT_EQ(ElementGroups(121, 0).size(), 16u);
}

// A page whose elements are `consent` buttons of a cookie banner, 18 links,
// a search field and its button, chosen on the toolbar with a long press and
// a press on the first place.
struct ElementsRig : SwitchRig {
  explicit ElementsRig(size_t consent = 0, bool elements = true) {
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = testing::kLinksPage;
    for (size_t i = 0; elements && i < consent + 18; ++i) {
      const std::string n = std::to_string(i + 1 - consent);
      page.elements.elements.push_back(i < consent
                                           ? PageControl{ControlKind::Button, i ? "No" : "Sí"}
                                           : PageControl{ControlKind::Link, "L" + n});
    }
    if (elements) page.elements.elements.insert(page.elements.elements.end(), {kSearch, kSend});
    page.elements.consent = consent;
    browser.AddPage("file:///w/index.htm", page);
    ScanOn(true);
    LoadPage();
    EXPECT_TRUE(RunUntil([&] { return Pointer() == 2; }));
    Press(1600);
    // The first place, where "Anterior" was.
    EXPECT_TRUE(RunUntil([&] { return Pointer() == 0 && main.Scan.InSecondCycle(); }));
    Press();
  }
};

TEST(PageElementsPlace, GroupsAreSaidByTheirEndsThenAChosenGroupsElementsOneByOne) {
  ElementsRig r;
  const uint64_t chosen = r.loop.Elapsed();
  EXPECT_EQ(r.browser.framed, (Range{0, 7}));
  for (Range group : {Range{8, 15}, Range{16, 19}}) {
    ASSERT_TRUE(r.RunUntil([&] { return r.browser.framed == group; }, 1600));
    EXPECT_EQ(r.main.Scan.FramedIndex(), kNoFrame) << "no button framed";
  }
  r.Press();
  for (int element : {17, 18, 19}) {
    ASSERT_TRUE(r.RunUntil([&] { return r.browser.framed == Range{element, element}; }, 1600));
  }
  EXPECT_EQ(Asides(r, chosen - 10), (Lines{"L1, L8", "L9, L16", "L17, Envia", "Link, L17",
                                           "Link, L18", "Camp de text, Cerca", "Botó, Envia"}));
  r.Press();
  EXPECT_EQ(r.browser.pressed, 19);
  EXPECT_EQ(r.browser.framed, (Range{-1, -1}));
  EXPECT_FALSE(r.main.TimerParo->Enabled()) << "no hold";
  EXPECT_TRUE(r.RunUntil([&] { return r.Pointer() == 4; }, 1600)) << "the scan goes on";
}

TEST(PageElementsPlace, AConsentDialogIsOfferedFirstAndAPassWithoutAChoiceGoesBack) {
  ElementsRig r(2);
  // A quiet reading: its waits would carry the clock past the times looked at.
  r.main.SpeechState.Set(false);
  const uint64_t chosen = r.loop.Elapsed();
  EXPECT_EQ(r.browser.framed, (Range{0, 1}));
  r.Press();
  r.RunTo(chosen + 1550);
  EXPECT_EQ(r.browser.framed, (Range{0, 0})) << "a full step for the first";
  r.RunTo(chosen + 3200);
  EXPECT_EQ(r.browser.framed, (Range{0, 1})) << "back to the groups, at the same";
  r.RunTo(chosen + 9200);
  EXPECT_FALSE(r.main.Elements.Active()) << "a pass over the groups goes back to the toolbar";
  EXPECT_EQ(r.browser.pressed, -1);
  EXPECT_EQ(r.Pointer(), 3) << "where the scan was when the press became long";
  EXPECT_NE(r.main.Scan.FramedIndex(), kNoFrame);
}

TEST(PageElementsPlace, ALongPressLeavesThemAndAPageWithoutAnySaysSo) {
  ElementsRig r;
  r.Press(1600);
  EXPECT_FALSE(r.main.Elements.Active());
  EXPECT_FALSE(r.main.Scan.InSecondCycle());
  ElementsRig bare(0, false);
  EXPECT_FALSE(bare.main.Elements.Active());
  EXPECT_EQ(Asides(bare, bare.loop.Elapsed() - 10), Lines{kNoPageElements});
}

}  // namespace
}  // namespace sonavia::controls

namespace sonavia::controls {
namespace {

TEST(PageElementsPlace, AFieldPressedTakesTheScanningKeyboardAndFetSendsItsForm) {
  ElementsRig r;
  ASSERT_TRUE(r.RunUntil([&] { return r.browser.framed == Range{16, 19}; }, 4000));
  r.Press();
  ASSERT_TRUE(r.RunUntil([&] { return r.browser.framed == Range{18, 18}; }, 4000));
  r.Press();
  EXPECT_EQ(r.browser.pressed, 18);
  ASSERT_TRUE(r.main.Keyboard.Scanned()) << "the search field";
  const std::string before = r.main.cboAddress.Text();
  // Typed as the mouse would: "g", "a", then "Fet".
  auto key = [&](const std::string& shown) {
    const auto& rows = r.main.Keyboard.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
      for (size_t k = 0; k < rows[i].keys.size(); ++k) {
        if (rows[i].keys[k].shown == shown) return r.main.Keyboard.PressKey(i, k);
      }
    }
  };
  r.input.calls.clear();
  for (const char* k : {"g", "a", "Fet"}) key(k);
  EXPECT_EQ(r.browser.typed, (Lines{"18:g", "18:ga"}));
  EXPECT_EQ(r.main.cboAddress.Text(), before) << "the address box is left alone";
  EXPECT_EQ(r.input.calls, (Lines{"PressKey(13)"})) << "Enter in the field";
  EXPECT_FALSE(r.main.Keyboard.Open());
}

}  // namespace
}  // namespace sonavia::controls
