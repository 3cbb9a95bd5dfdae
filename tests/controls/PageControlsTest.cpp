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

const PageControl kSearch{ControlKind::TextField, "Cerca"};
const PageControl kSend{ControlKind::Button, "Envia"};

TEST(PageEnter, IsTheProgramsOnALinkOrNoControlAndThePagesInTheUsersControl) {
  struct Case {
    const char* what;
    std::function<void(SwitchRig&)> before;
    const char* followed;  // where Enter goes, or nullptr when it is left to the page
  } const cases[] = {
      {"no control", [](SwitchRig&) {}, "file:///w/a.htm"},
      {"a link tabbed onto",
       [](SwitchRig& r) {
         r.browser.FocusControl(std::nullopt, true);
         r.browser.ShowStatus("file:///w/b.htm");
       },
       "file:///w/b.htm"},
      {"a field tabbed into", [](SwitchRig& r) { r.browser.FocusControl(kSearch, true); }, nullptr},
      {"a button tabbed onto", [](SwitchRig& r) { r.browser.FocusControl(kSend, true); }, nullptr},
      {"a field the page focused", [](SwitchRig& r) { r.browser.FocusControl(kSearch, false); },
       "file:///w/a.htm"},
      {"a field the page focused and the user typed in",
       [](SwitchRig& r) {
         r.browser.FocusControl(kSearch, false);
         r.browser.Type("g");
       },
       nullptr},
      {"a field, then a link the page focused",
       [](SwitchRig& r) {
         r.browser.FocusControl(kSearch, true);
         r.browser.FocusControl(std::nullopt, false);
       },
       "file:///w/a.htm"},
      {"a field, with the keyboard in the address box",
       [](SwitchRig& r) {
         r.browser.FocusControl(kSearch, true);
         r.main.PageHasKeyboard = [] { return false; };
       },
       "file:///w/a.htm"},
      {"a field of the page before",
       [](SwitchRig& r) {
         r.browser.FocusControl(kSearch, true);
         r.main.GoToAddress("file:///w/index.htm");
         r.loop.RunFor(4000);
       },
       "file:///w/a.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SwitchRig r;
    r.LoadPage();
    c.before(r);
    r.browser.calls.clear();
    const bool taken = r.main.ApplicationEvents1Message(0x0D);
    EXPECT_EQ(taken, c.followed != nullptr);
    EXPECT_EQ(r.browser.calls.empty(), c.followed == nullptr);
    if (c.followed != nullptr) {
      EXPECT_TRUE(r.Navigated(c.followed));
    }
  }
}

TEST(PageFocusSpeech, TheUsersControlIsAnnouncedAndTypingIsSaidInTheItemVoice) {
  SwitchRig r;
  r.LoadPage();
  r.RunTo(9000);
  const uint64_t from = r.loop.Elapsed();
  r.browser.FocusControl(PageControl{ControlKind::CheckBox, "Accepto", "", true}, true);
  r.RunTo(from + 2000);
  r.browser.FocusControl(kSearch, false);  // the page's own: nothing said
  r.RunTo(from + 4000);
  r.browser.FocusControl(kSearch, true);
  r.RunTo(from + 6000);
  r.browser.Type("g");
  r.RunTo(from + 7000);
  r.main.mnuRepetirEscrit.Click();
  r.browser.Type("a");
  r.RunTo(from + 8000);
  r.main.mnuCastella.Click();
  r.browser.FocusControl(kSend, true);
  r.RunTo(from + 9000);
  Lines said;
  for (const std::string& line : r.Said(from)) {
    // The reading of the page goes on between them.
    if (line.find("PRIMER") == std::string::npos && line.find("SEGON") == std::string::npos &&
        line.find("TERCER") == std::string::npos && line.find("LINK") == std::string::npos &&
        line.find("TRES") == std::string::npos && line.find("Títol") == std::string::npos &&
        line.find("Inici") == std::string::npos && line.find("UN") == std::string::npos &&
        line.find("DOS") == std::string::npos && line.find("Ca") != 0)
      said.push_back(line.substr(line.find(' ') + 1));
  }
  EXPECT_EQ(said, (Lines{"Casella de selecció, marcada, Accepto", "Camp de text, Cerca", "g",
                         "Botón, Envia"}));
}

TEST(PageFocusSpeech, RepeatingWhatIsTypedIsKeptAsYesOrNo) {
  struct Case {
    const char* stored;
    bool on;
    const char* written;
  } const cases[] = {
      {"", true, "Repetir el que s'escriu=sí\n"},
      {"Repetir el que s'escriu=no\n", false, "Repetir el que s'escriu=no\n"},
      {"Repetir el que s'escriu=sí\n", true, "Repetir el que s'escriu=sí\n"},
      {"Repetir el que s'escriu=NO\n", true, "Repetir el que s'escriu=sí\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    testing::WriteBytes(path, "[Ombrix Sonavia]\n" + platform::Utf8ToCp1252(c.stored));
    testing::SimulatedWindow window("/h");
    window.main.Settings.SetPath(path);
    shell::StartProgram(window.main, window.about, window.loop);
    EXPECT_EQ(window.main.mnuRepetirEscrit.Checked(), c.on);
    window.main.FormClose();
    EXPECT_NE(testing::ReadBytes(path).find(platform::Utf8ToCp1252(c.written)), std::string::npos)
        << testing::ReadBytes(path);
  }
}

TEST(ElementGroups, EightsInThePagesOrderAConsentDialogApartAndFirst) {
  using G = std::vector<std::pair<size_t, size_t>>;
  EXPECT_EQ(ElementGroups(0, 0), G{});
  EXPECT_EQ(ElementGroups(1, 0), (G{{0, 0}}));
  EXPECT_EQ(ElementGroups(8, 0), (G{{0, 7}}));
  EXPECT_EQ(ElementGroups(9, 0), (G{{0, 7}, {8, 8}}));
  EXPECT_EQ(ElementGroups(20, 2), (G{{0, 1}, {2, 9}, {10, 17}, {18, 19}}));
  EXPECT_EQ(ElementGroups(3, 5), (G{{0, 2}}));
  EXPECT_EQ(ElementGroups(121, 0).size(), 16u);
}

// A page of 18 links, a search field and its button, as the page view lists
// them; `consent` of them are first, from a cookie banner.
shell::PageElements Elements(size_t consent) {
  shell::PageElements found;
  for (size_t i = 1; i <= consent; ++i)
    found.elements.push_back({ControlKind::Button, i == 1 ? "Accepta" : "Rebutja"});
  for (int i = 1; i <= 18; ++i) {
    std::string label = "L";
    label += std::to_string(i);
    found.elements.push_back({ControlKind::Link, label});
  }
  found.elements.push_back(kSearch);
  found.elements.push_back(kSend);
  found.consent = consent;
  return found;
}

struct ElementsRig : SwitchRig {
  explicit ElementsRig(size_t consent = 0) {
    ScanOn(true);
    RunTo(100);
    LoadPage();
    browser.AddPage("file:///w/index.htm", [&] {
      testing::ScriptedPage page;
      page.title = "Inici";
      page.body = testing::kLinksPage;
      page.elements = Elements(consent);
      return page;
    }());
    LoadPage();
  }
  // From the toolbar: a long press, then a press on the first place.
  void ChooseElementsPlace() {
    ASSERT_TRUE(RunUntil([&] { return Pointer() == 2; }));
    Press(1600);
    ASSERT_TRUE(RunUntil([&] { return Pointer() == 9; }));
    Press();
  }
};

TEST(PageElementsPlace, GroupsAreSaidByTheirEndsThenAChosenGroupsElementsOneByOne) {
  ElementsRig r;
  r.ChooseElementsPlace();
  const uint64_t chosen = r.loop.Elapsed();
  EXPECT_EQ(r.browser.framed, (std::pair<int, int>{0, 7}));
  EXPECT_EQ(r.main.Scan.FramedIndex(), kNoFrame) << "no button framed";
  using Range = std::pair<int, int>;
  ASSERT_TRUE(r.RunUntil([&] { return r.browser.framed == Range{8, 15}; }, 1600));
  EXPECT_EQ(r.main.Scan.FramedIndex(), kNoFrame) << "nor after a step";
  ASSERT_TRUE(r.RunUntil([&] { return r.browser.framed == Range{16, 19}; }, 1600));
  r.Press();  // the third group
  for (int element : {17, 18, 19}) {
    ASSERT_TRUE(r.RunUntil([&] { return r.browser.framed == Range{element, element}; }, 1600));
  }
  Lines said;
  for (const std::string& line : r.Said(chosen - 10)) {
    // The page's own units, read on between, are in capitals.
    const std::string text = line.substr(line.find(' ') + 1);
    if (text.find_first_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos &&
        text.find("Títol") == std::string::npos && text != "Inici")
      said.push_back(text);
  }
  EXPECT_EQ(said, (Lines{"L1, L8", "L9, L16", "L17, Envia", "Link, L17", "Link, L18",
                         "Camp de text, Cerca", "Botó, Envia"}));
  r.Press();
  EXPECT_EQ(r.browser.pressed, 19);
  EXPECT_EQ(r.browser.framed, (std::pair<int, int>{-1, -1}));
  EXPECT_FALSE(r.main.Elements.Active());
  EXPECT_FALSE(r.main.TimerParo->Enabled()) << "no hold";
  EXPECT_TRUE(r.RunUntil([&] { return r.Pointer() == 4; }, 1600)) << "the scan goes on";
}

TEST(PageElementsPlace, AConsentDialogIsOfferedFirstAndAPassWithoutAChoiceGoesBack) {
  ElementsRig r(2);
  // A quiet reading: its waits would carry the clock past the times looked at.
  r.main.SpeechState.Set(false);
  r.main.Sequencer.StartReadingAt(0);
  r.ChooseElementsPlace();
  const uint64_t chosen = r.loop.Elapsed();
  EXPECT_EQ(r.browser.framed, (std::pair<int, int>{0, 1}));
  r.Press();
  EXPECT_EQ(r.browser.framed, (std::pair<int, int>{0, 0}));
  r.RunTo(chosen + 1500 + 50);
  EXPECT_EQ(r.browser.framed, (std::pair<int, int>{0, 0})) << "a full step for the first";
  r.RunTo(chosen + 1500 * 2 + 200);
  EXPECT_EQ(r.browser.framed, (std::pair<int, int>{0, 1})) << "back to the groups, at the same";
  EXPECT_TRUE(r.main.Elements.Active());
  r.RunTo(chosen + 1500 * 6 + 200);
  EXPECT_FALSE(r.main.Elements.Active()) << "a pass over the groups goes back to the toolbar";
  EXPECT_EQ(r.browser.pressed, -1);
  EXPECT_EQ(r.Pointer(), 3) << "where the scan was when the press became long";
  EXPECT_NE(r.main.Scan.FramedIndex(), kNoFrame);
}

TEST(PageElementsPlace, ALongPressLeavesThemAndAPageWithoutAnySaysSo) {
  ElementsRig r;
  r.ChooseElementsPlace();
  ASSERT_TRUE(r.main.Elements.Active());
  r.Press(1600);
  EXPECT_FALSE(r.main.Elements.Active());
  EXPECT_FALSE(r.main.Scan.InSecondCycle());
  SwitchRig bare;
  bare.ScanOn(true);
  bare.LoadPage();
  ASSERT_TRUE(bare.RunUntil([&] { return bare.Pointer() == 2; }));
  bare.Press(1600);
  ASSERT_TRUE(bare.RunUntil([&] { return bare.Pointer() == 9; }));
  const uint64_t at = bare.loop.Elapsed();
  bare.Press();
  bare.RunTo(at + 1000);
  EXPECT_FALSE(bare.main.Elements.Active());
  const Lines said = bare.Said(at);
  EXPECT_NE(std::find(said.begin(), said.end(), std::to_string(at + 100) + " " + kNoPageElements),
            said.end());
}

}  // namespace
}  // namespace sonavia::controls
