// The navigation commands on the simulated platform: the scripted browser
// records the component's calls, the recorder the pointer and the clicks.
#include "shell/NavigationCommands.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/FormPrincipal.h"
#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"
#include "support/SimulatedWindow.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

class NavigationTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  NavigationTest() : SimulatedWindow("/w") {}

  void SetUp() override {
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = "<body><p>Una frase prou llarga. Una altra frase. I una tercera.</p></body>";
    browser.AddPage("file:///w/index.htm", page);
    main.FormCreate();
    about.FormCreate();
    main.TimerControlSituacio->SetEnabled(false);
  }

  // The start page loaded and its reading under way.
  void StartReading() {
    main.OpenStartPage();
    loop.RunFor(300 + 2500 + 50);
    ASSERT_TRUE(library.Speaking());
    browser.calls.clear();
    input.calls.clear();
  }

  int Reads() const {
    int reads = 0;
    for (const auto& call : library.calls) reads += call.rfind("Read(", 0) == 0 ? 1 : 0;
    return reads;
  }
};

TEST_F(NavigationTest, OpenStopsTheReadingBeforeItsDialogWhateverTheUserChooses) {
  for (const bool choose : {false, true}) {
    SCOPED_TRACE(choose ? "chosen" : "cancelled");
    StartReading();
    const Lines itemsBefore = main.cboAddress.Items();
    struct {
      bool speaking = true;
      int32_t unitCursor = -1, linkCursor = -1;
      std::string title, filter;
    } seen;
    main.OpenFileDialog.OnExecute = [&](const platform::OpenDialog& dialog) {
      seen = {library.Speaking(), list->UnitCursor, list->LinkCursor, dialog.Title, dialog.Filter};
      loop.RunFor(3000);  // the user takes a while; messages are dispatched
      return choose ? std::optional<std::string>("/w/dos #1.htm") : std::nullopt;
    };
    const int readsBefore = Reads();
    main.MenuObrir.Click();
    EXPECT_FALSE(seen.speaking);
    EXPECT_EQ(seen.unitCursor, 0);
    EXPECT_EQ(seen.linkCursor, 0);
    EXPECT_EQ(seen.title, "Obrir - \"Ombrix Sonavia\"");
    EXPECT_EQ(seen.filter,
              "fitxers html (*.htm, *.html)|*.htm;*.html|Tot tipus de fitxers (*.*)|*.*");
    EXPECT_EQ(Reads(), readsBefore) << "nothing read while the dialog is open";
    if (choose) {
      EXPECT_EQ(browser.calls, Lines{"Navigate(file:///w/dos %231.htm)"});
      EXPECT_EQ(main.cboAddress.Text(), "file:///w/dos %231.htm");
      EXPECT_EQ(main.cboAddress.Items().back(), "file:///w/dos %231.htm");
    } else {
      EXPECT_TRUE(browser.calls.empty());
      EXPECT_EQ(main.cboAddress.Text(), "file:///w/index.htm");
      EXPECT_EQ(main.cboAddress.Items(), itemsBefore);
      loop.RunFor(10000);
      EXPECT_EQ(Reads(), readsBefore) << "the reading stays stopped";
      EXPECT_EQ(list->UnitCursor, 0);
    }
  }
}

TEST_F(NavigationTest, ADropOpensItsFirstFileOnlyAndEveryOpenStandsInTheList) {
  const std::string longPath = "/w/" + std::string(300, 'x') + ".htm";
  main.FormDropFiles({"/w/u.htm", "/w/dos.htm", "/w/tres.htm"});
  main.FormDropFiles({});
  main.FormDropFiles({longPath});
  main.FormDropFiles({"/w/a #1/100%?.htm"});
  main.OpenFileDialog.OnExecute = [](const platform::OpenDialog&) {
    return std::optional<std::string>("/w/u.htm");
  };
  main.MenuObrir.Click();
  EXPECT_EQ(browser.calls,
            (Lines{"Navigate(file:///w/u.htm)", "Navigate(file://" + longPath + ")",
                   "Navigate(file:///w/a %231/100%25%3F.htm)", "Navigate(file:///w/u.htm)"}));
  EXPECT_EQ(main.cboAddress.Items(), (Lines{"file:///w/u.htm", "file://" + longPath,
                                            "file:///w/a %231/100%25%3F.htm", "file:///w/u.htm"}));
  EXPECT_EQ(main.cboAddress.Text(), "file:///w/u.htm");

  browser.failCalls = true;  // errors of the navigation go unreported
  main.FormDropFiles({"/w/quatre.htm"});
  main.MenuObrir.Click();
  main.ImageQuelva2000.Click();
}

TEST_F(NavigationTest, ADropLeavesTheReadingToTheDownloadThatFollows) {
  StartReading();
  main.FormDropFiles({"/w/u.htm"});
  EXPECT_TRUE(library.Speaking());
  loop.RunFor(0);
  EXPECT_FALSE(library.Speaking()) << "the download's start stops it";
}

TEST_F(NavigationTest, EachCommandMakesItsOneCallFromMenuAndButtonAndSwallowsErrors) {
  struct Case {
    platform::Command* control;
    Lines calls;
  } const cases[] = {
      {&main.mnuEndarrera, {"GoBack"}},           {&main.mnuEndavant, {"GoForward"}},
      {&main.MenuPararlaCarrega, {"Stop"}},       {&main.SpeedButtonPararCarrega, {"Stop"}},
      {&main.menuRecarregar, {"Refresh"}},        {&main.SpeedButtonRecarregar, {"Refresh"}},
      {&main.MenuImprimir, {"QueryStatusWB(6)"}},
  };
  for (const bool failing : {false, true}) {
    browser.failCalls = failing;
    for (const auto& c : cases) {
      browser.calls.clear();
      EXPECT_NO_THROW(c.control->Click()) << c.control->Name();
      EXPECT_EQ(browser.calls, c.calls) << c.control->Name() << (failing ? " failing" : "");
    }
  }
}

TEST_F(NavigationTest, PrintAndSaveRunOnlyWhenTheComponentReportsThemEnabled) {
  // Without a document the component reports printing disabled; saving a
  // copy it never reports enabled.
  main.MenuImprimirClick();
  main.MenuDesarcomClick();
  EXPECT_EQ(browser.calls, (Lines{"QueryStatusWB(6)", "QueryStatusWB(5)"}));
  main.OpenStartPage();
  loop.RunFor(400);
  browser.calls.clear();
  main.MenuImprimir.Click();
  main.MenuDesarcomClick();
  EXPECT_EQ(browser.calls, (Lines{"QueryStatusWB(6)", "ExecWB(6,1)", "QueryStatusWB(5)"}));
  EXPECT_FALSE(main.MenuDesarcom.Visible());
  EXPECT_FALSE(main.MenuDesarcom.Enabled());
}

TEST_F(NavigationTest, TheAddressBoxNavigatesToItsTextAsItStands) {
  main.GoToAddress("file:///w/index.htm");
  browser.calls.clear();
  const Lines items = main.cboAddress.Items();
  main.cboAddress.SetText(" www.xtec.cat");
  main.cboAddressKeyDown('A');
  main.cboAddressKeyDown(0x1B);
  EXPECT_TRUE(browser.calls.empty()) << "other keys are the box's";
  main.cboAddress.OnKeyDown(0x0D);
  EXPECT_EQ(browser.calls, Lines{"Navigate( www.xtec.cat)"});
  EXPECT_EQ(main.cboAddress.Items(), items) << "typed addresses stay out of the list";
  EXPECT_EQ(main.cboAddress.Text(), " www.xtec.cat");

  // Picking an entry of the list loads it at once.
  main.cboAddress.SetText(items.front());
  main.cboAddress.Click();
  EXPECT_EQ(browser.calls.back(), "Navigate(file:///w/index.htm)");

  browser.failCalls = true;
  EXPECT_NO_THROW(main.cboAddress.OnKeyDown(0x0D));
  EXPECT_EQ(main.cboAddress.Text(), "file:///w/index.htm") << "the box keeps its address";

  input.calls.clear();
  main.cboAddress.OnExit();
  EXPECT_EQ(input.calls, Lines{"ClickPage(1,1)"}) << "leaving the box gives the page the keyboard";
}

TEST_F(NavigationTest, TheBoxShowsThePageShownAndLeavingItNavigatesNowhere) {
  struct Case {
    const char* what;
    bool typing;  // the box has the keyboard when the page completes
    bool leave;   // and is left afterwards
    const char* showing;
  } const cases[] = {
      {"a page comes back (Anterior, a reload)", false, false, "file:///w/index.htm"},
      {"while an address is typed", true, false, "file:///w/tipus.htm"},
      {"an address typed and not sent, then left", true, true, "file:///w/index.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    main.GoToAddress("file:///w/index.htm");
    loop.RunFor(4000);
    main.cboAddress.SetText("file:///w/abans.htm");  // the box behind the page
    if (c.typing) {
      main.cboAddress.OnEnter();
      main.cboAddress.SetText("file:///w/tipus.htm");
    }
    main.menuRecarregarClick();
    loop.RunFor(4000);
    browser.calls.clear();
    if (c.leave) main.cboAddress.OnExit();
    EXPECT_EQ(main.cboAddress.Text(), c.showing);
    EXPECT_TRUE(browser.calls.empty());
    if (c.typing && !c.leave) main.cboAddress.OnExit();
  }
}

TEST_F(NavigationTest, AMenuKeyPressedWhileAPageIsAnnouncedRunsWhenTheWindowTakesInputAgain) {
  auto clicks = [&] {
    int n = 0;
    for (const auto& call : input.calls) n += call.rfind("ClickWindow", 0) == 0 ? 1 : 0;
    return n;
  };
  for (const bool announced : {true, false}) {
    SCOPED_TRACE(announced ? "during the announcement" : "with the window taking input");
    main.GoToAddress("file:///w/index.htm");
    if (!announced) loop.RunFor(4000);
    input.calls.clear();
    library.ClearLog();
    // F8, once the page is announced (the window held), or later.
    bool held = false;
    int clicksWhileHeld = -1;
    loop.Post(1000, [&] {
      held = !main.Enabled();
      main.KeepForLater(main.MenuEscriureDirectamentUnaAdesa);
    });
    loop.Post(1500, [&] { clicksWhileHeld = clicks(); });
    loop.RunFor(5000);
    EXPECT_EQ(held, announced);
    EXPECT_EQ(clicksWhileHeld, announced ? 0 : 1);
    EXPECT_EQ(clicks(), 1) << "into the address box, once";
    bool said = false;
    for (const auto& voice : library.voices) said = said || voice == "99/2 Escriviu l'adreça ";
    EXPECT_TRUE(said);
    main.cboAddress.OnExit();
  }
}

TEST_F(NavigationTest, TypeAnAddressClicksIntoTheBoxAndPutsThePointerBack) {
  input.pointer = {7, 900};
  input.browserTop = 124;
  platform::Point pointerDuringDispatch;
  loop.Post(0, [&] { pointerDuringDispatch = input.pointer; });
  main.MenuEscriureDirectamentUnaAdesa.Click();
  EXPECT_EQ(input.calls,
            (Lines{"SetCursorPos(103,164)", "ClickWindow(3,114)", "SetCursorPos(7,900)"}));
  EXPECT_EQ(pointerDuringDispatch, (platform::Point{103, 164}))
      << "pending messages are dispatched before the pointer goes back";
  EXPECT_EQ(input.pointer, (platform::Point{7, 900}));
  EXPECT_TRUE(browser.calls.empty());
}

TEST_F(NavigationTest, NextFramePressesF6AndTheLogoOpensTheMakersPage) {
  main.MenuMarcSeguent.Click();
  main.SpeedButtonMarcSeguent.OnClick();  // the hidden toolbar button's wiring
  EXPECT_EQ(input.calls, (Lines{"PressKey(117)", "PressKey(117)"}));
  main.ImageQuelva2000.Click();
  EXPECT_EQ(browser.calls, Lines{"Navigate(https://www.sonavia.cat/)"});
  EXPECT_EQ(main.cboAddress.Items(), Lines{"https://www.sonavia.cat/"});
}

}  // namespace
}  // namespace sonavia::shell
