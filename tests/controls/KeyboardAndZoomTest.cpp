// The window worked from the keyboard: every menu's access keys are
// distinct whatever state the items are in, the page zooms in steps that
// are shown, said and kept, and moving the keyboard between the window's
// own controls does not hand it to the page.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "shell/FormPrincipal.h"
#include "support/SimulatedWindow.h"
#include "support/TempDir.h"

namespace sonavia::controls {
namespace {

using Lines = std::vector<std::string>;

class KeyboardTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  KeyboardTest() : SimulatedWindow("/w") {}

  void Start(bool speech = true) {
    library.available = speech;
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body =
        "<body><p>Primera frase llarga del text. Segona frase del text. "
        "Tercera frase del text.</p></body>";
    browser.AddPage("file:///w/index.htm", page);
    main.TimerControlSituacio->SetEnabled(false);
    shell::StartProgram(main, about, loop);
    loop.RunFor(300 + 2500 + 50);
    library.ClearLog();
  }
  Lines Reads() const {
    Lines reads;
    for (const auto& call : library.calls) {
      if (call.rfind("Read(", 0) == 0) reads.push_back(call.substr(5, call.size() - 6));
    }
    return reads;
  }
};

// The letter after "&", in small letters; none for a caption without one.
char AccessKey(const std::string& caption) {
  const auto at = caption.find('&');
  if (at == std::string::npos || at + 1 >= caption.size()) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[at + 1])));
}

TEST_F(KeyboardTest, EachMenusAccessKeysAreDistinctInEveryStateOfItsItems) {
  Start();
  struct State {
    const char* name;
    void (shell::TFormPrincipal::*command)();
  } const states[] = {
      {"as it starts", nullptr},
      {"speech off", &shell::TFormPrincipal::mnuParlarClick},
      {"links read", &shell::TFormPrincipal::mnuCanviLlegirLinksLecturesClick},
      {"in Castilian", &shell::TFormPrincipal::mnuCastellaClick},
      {"speech off again", &shell::TFormPrincipal::mnuParlarClick},
  };
  std::map<char, std::string> bar;
  for (const auto& menu : main.Menus()) {
    const char key = AccessKey(menu.title->Caption());
    EXPECT_NE(key, 0) << menu.title->Caption();
    EXPECT_TRUE(bar.emplace(key, menu.title->Caption()).second)
        << menu.title->Caption() << " and " << bar[key];
  }
  for (const State& state : states) {
    SCOPED_TRACE(state.name);
    if (state.command != nullptr) (main.*state.command)();
    for (const auto& menu : main.Menus()) {
      std::map<char, std::string> seen;
      for (const platform::MenuItem* item : menu.items) {
        if (item->Caption() == "-" || !item->Visible()) continue;
        const char key = AccessKey(item->Caption());
        ASSERT_NE(key, 0) << item->Caption();
        EXPECT_TRUE(seen.emplace(key, item->Caption()).second)
            << "\"" << item->Caption() << "\" and \"" << seen[key] << "\" share " << key;
      }
    }
  }
  EXPECT_EQ(main.mnuSortir.Caption(), "Sor&tir");
  EXPECT_EQ(main.mnuCanviLlegirLinksLectures.Caption(), "Llegir &pàgina");
}

TEST_F(KeyboardTest, ZoomStepsThroughTheUsualLevelsAndShowsEachOne) {
  Start();
  struct Step {
    platform::MenuItem* item;
    int percent;
    const char* shortcut;
  } const steps[] = {
      {&main.mnuAmpliar, 110, "Ctrl++"},    {&main.mnuAmpliar, 125, "Ctrl++"},
      {&main.mnuReduir, 110, "Ctrl+-"},     {&main.mnuMidaNormal, 100, "Ctrl+0"},
      {&main.mnuReduir, 90, "Ctrl+-"},      {&main.mnuReduir, 80, "Ctrl+-"},
      {&main.mnuMidaNormal, 100, "Ctrl+0"},
  };
  for (const Step& step : steps) {
    step.item->Click();
    EXPECT_EQ(step.item->Shortcut(), step.shortcut);
    EXPECT_EQ(main.Zoom.Percent(), step.percent);
    EXPECT_EQ(browser.zoom, step.percent);
    EXPECT_EQ(main.StatusBar1.Text(), "Ampliació " + std::to_string(step.percent) + " %");
  }
  // Every level up from the smallest and back down; the ends hold.
  for (int i = 0; i < 30; ++i) main.mnuReduir.Click();
  EXPECT_EQ(browser.zoom, 25);
  const std::vector<int> levels = {25,  33,  50,  67,  75,  80,  90,  100, 110,
                                   125, 150, 175, 200, 250, 300, 400, 500, 500};
  std::vector<int> up, down;
  for (size_t i = 1; i < levels.size(); ++i) {
    main.mnuAmpliar.Click();
    up.push_back(browser.zoom);
  }
  for (size_t i = 1; i < levels.size(); ++i) {
    main.mnuReduir.Click();
    down.insert(down.begin(), browser.zoom);
  }
  EXPECT_EQ(up, std::vector<int>(levels.begin() + 1, levels.end()));
  EXPECT_EQ(down, std::vector<int>({25, 25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200,
                                    250, 300, 400}));
}

TEST_F(KeyboardTest, TheLevelIsSaidOverTheReadingWhichThenRepeatsTheCutUnit) {
  Start();
  ASSERT_TRUE(RunUntilReading("SEGONA"));
  library.ClearLog();
  main.mnuAmpliar.Click();
  // A second press while the first level is said: the unit is cut once.
  loop.RunFor(50);
  main.mnuAmpliar.Click();
  loop.RunFor(4000);
  // In the voice of the program's own words; the cut unit again, whole.
  EXPECT_EQ(library.voices,
            (Lines{"99/2 Ampliació 110 % ", "99/2 Ampliació 125 % ", "99/0 SEGONA FRASE DEL TEXT ",
                   "99/0 TERCERA FRASE DEL TEXT.  "}));
}

TEST_F(KeyboardTest, BetweenTwoUnitsTheLevelIsSaidAndTheNextUnitFollowsIt) {
  Start();
  ASSERT_TRUE(RunUntilReading("PRIMERA"));
  library.ClearLog();
  // The key comes in the reading's pause after the unit, which the first
  // poll after its end begins.
  const uint64_t ends = 10 * std::string("PRIMERA FRASE LLARGA DEL TEXT ").size();
  bool inThePause = false;
  loop.Post(static_cast<uint32_t>(ends + 300), [&] {
    inThePause = !main.Speech.Speaking && list->UnitCursor > 0;
    main.mnuReduir.Click();
  });
  loop.RunFor(4000);
  ASSERT_TRUE(inThePause);
  EXPECT_EQ(main.StatusBar1.Text(), "Ampliació 90 %");
  ASSERT_GE(library.voices.size(), 2u);
  EXPECT_EQ(library.voices[0], "99/2 Ampliació 90 % ");
  EXPECT_EQ(library.voices[1].substr(0, 11), "99/0 SEGONA");
}

TEST_F(KeyboardTest, TheLevelIsSaidAloneWhenNothingIsReadAndNeverWithoutALibrary) {
  struct Case {
    const char* name;
    bool library;
    bool speechOff;
    Lines said;
  } const cases[] = {
      {"speech paused", true, true, {"99/2 Ampliació 110 % "}},
      {"the reading over", true, false, {"99/2 Ampliació 110 % "}},
      {"no speech library", false, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimulatedWindow w("/w");
    w.library.available = c.library;
    testing::ScriptedPage page;
    page.title = "Curta";
    page.body = "<body><p>Una.</p></body>";
    w.browser.AddPage("file:///w/index.htm", page);
    w.main.TimerControlSituacio->SetEnabled(false);
    shell::StartProgram(w.main, w.about, w.loop);
    w.loop.RunFor(20000);  // loaded and read to its end
    if (c.speechOff) w.main.mnuParlarClick();
    w.library.ClearLog();
    w.main.mnuAmpliar.Click();
    w.loop.RunFor(3000);
    EXPECT_EQ(w.library.voices, c.said);
    EXPECT_EQ(w.main.StatusBar1.Text(), "Ampliació 110 %");
    EXPECT_EQ(w.browser.zoom, 110);
  }
}

TEST(PageZoomSettings, TheLevelIsKeptUnderItsOwnKeyAndAWrongOneGivesTheNormalSize) {
  struct Case {
    const char* stored;  // nullptr: no key
    int applied;
  } const cases[] = {
      {"150", 150}, {"25", 25}, {"500", 500}, {"24", 100},    {"501", 100},
      {"abc", 100}, {"", 100},  {" 75", 75},  {nullptr, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored != nullptr ? c.stored : "(none)");
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    std::string file = "[Ombrix Sonavia]\n";
    if (c.stored != nullptr) file += std::string("Ampliació de la pàgina=") + c.stored + "\n";
    testing::WriteBytes(path, platform::Utf8ToCp1252(file));
    testing::SimulatedWindow w("/w");
    w.main.Settings.SetPath(path);
    w.main.TimerControlSituacio->SetEnabled(false);
    shell::StartProgram(w.main, w.about, w.loop);
    EXPECT_EQ(w.main.Zoom.Percent(), c.applied);
    EXPECT_EQ(w.browser.zoom, c.applied);
    w.main.mnuAmpliar.Click();
    w.main.FormClose();
    const std::string written = testing::ReadBytes(path);
    EXPECT_NE(written.find(platform::Utf8ToCp1252("Ampliació de la pàgina=") +
                           std::to_string(w.main.Zoom.Percent()) + "\n"),
              std::string::npos)
        << written;
  }
}

TEST_F(KeyboardTest, LeavingAScanEditForAnotherControlChecksItButLeavesThePageAlone) {
  Start();
  struct Case {
    bool moving;
    Lines clicks;
  } const cases[] = {{true, {}}, {false, {"ClickPage(1,1)"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moving ? "moving between controls" : "left for the page");
    input.calls.clear();
    main.TextDecimesScan.SetText("0");
    main.SetKeyboardMoving(c.moving);
    main.TextDecimesScan.OnExit();
    main.SetKeyboardMoving(false);
    EXPECT_EQ(main.TextDecimesScan.Text(), "15") << "checked either way";
    EXPECT_EQ(input.calls, c.clicks);
  }
}

}  // namespace
}  // namespace sonavia::controls
