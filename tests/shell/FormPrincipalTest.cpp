#include "shell/FormPrincipal.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"
#include "support/SimulatedWindow.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

class ProgramTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  ProgramTest() : SimulatedWindow("/home/u") {}

  std::vector<std::string> VisibleButtons() const {
    std::vector<std::string> names;
    for (auto* b : main.ToolbarButtons()) {
      if (b->Visible()) names.push_back(b->Name());
    }
    return names;
  }
};

// An item as the user meets it: caption, shortcut, and what is unusual,
// after the name by which the view gives it its picture and its name for
// a screen reader.
std::string Shown(const TFormPrincipal& main, const platform::Command& c) {
  std::string text = c.Name() + ": " + c.Caption();
  if (!c.Shortcut().empty()) text += " [" + c.Shortcut() + "]";
  if (main.Checkable(c)) text += c.Checked() ? " (checked)" : " (unchecked)";
  if (!c.Enabled()) text += " (disabled)";
  if (!c.Visible()) text += " (hidden)";
  return text;
}

TEST_F(ProgramTest, TheWindowIsLaidOutWithItsCaptionsKeysAndFirstValues) {
  Lines menus;
  for (const auto& menu : main.Menus()) {
    menus.push_back(Shown(main, *menu.title) + ":");
    for (const auto* item : menu.items) {
      // The favourites' own items come apart, below.
      if (item->Name().starts_with("mnuPreferit") && item->Name() != "mnuPreferits") continue;
      menus.push_back("  " + Shown(main, *item));
    }
  }
  // Twenty places for favourites, hidden until the list fills them, the
  // first nine with Ctrl and their number.
  ASSERT_EQ(main.mnuPreferit.size(), 20u);
  for (size_t i = 0; i < main.mnuPreferit.size(); ++i) {
    EXPECT_FALSE(main.mnuPreferit[i]->Visible());
    EXPECT_EQ(main.mnuPreferit[i]->Shortcut(), i < 9 ? "Ctrl+" + std::to_string(i + 1) : "");
  }
  EXPECT_EQ(menus, (Lines{"Opcions1: &Control:",
                          "  MenuObrir: &Obrir... [Ctrl+O]",
                          "  MenuImprimir: &Imprimir... [Ctrl+I]",
                          "  MenuDesarcom: &Desar com... (disabled) (hidden)",
                          "  N7: -",
                          "  mnuEndarrera: &Anterior [F9]",
                          "  mnuEndavant: &Segü"
                          "ent [Ctrl+F9]",
                          "  MenuPararlaCarrega: &Parar [Ctrl+P]",
                          "  menuRecarregar: &Refrescar [Ctrl+R]",
                          "  MenuMarcSeguent: &Marc segü"
                          "ent [F6]",
                          "  N8: -",
                          "  mnuAmpliar: Amp&liar la pàgina [Ctrl++]",
                          "  mnuReduir: Red&uir la pàgina [Ctrl+-]",
                          "  mnuMidaNormal: Mida &normal de la pàgina [Ctrl+0]",
                          "  mnuSilenciarPagina: Silenciar la pà&gina [Ctrl+M] (unchecked)",
                          "  N6: -",
                          "  MenuEscriureDirectamentUnaAdesa: Es&criure directament una adeç"
                          "a [F8]",
                          "  N5: -",
                          "  mnuEscaneig: &Escaneig automàtic [Ctrl+F2] (unchecked)",
                          "  N2: -",
                          "  mnuSortir: Sor&tir",
                          "Control1: Opcions de &lectura:",
                          "  mnuAnarALink: &Anar a link que s'està llegint [F2]",
                          "  N4: - [-]",
                          "  mnuParlar: Desactivar la &Lectura (pausa) [F3] (checked)",
                          "  mnuTornarAComencar: &Tornar a començ"
                          "ar [Ctrl+F3]",
                          "  N3: -",
                          "  mnuCanviLlegirLinksLectures: Lle&gir Links [F4]",
                          "  N1: -",
                          "  mnuCatala: &Català (checked) (disabled)",
                          "  mnuCastella: Cast&ellà [F7] (unchecked)",
                          "  mnuEscaneigParlat: E&scaneig parlat (unchecked)",
                          "  mnuMostrarLectura: &Mostrar el que es llegeix (checked)",
                          "  mnuLlenguaPagina: Lle&ngua de la pàgina (checked)",
                          "  mnuRepetirEscrit: &Repetir el que s'escriu (checked)",
                          "  mnuDeixarLector: &Deixar parlar el lector de pantalla (unchecked)",
                          "  mnuLlegirArticle: Llegir l'art&icle [Shift+F4] (checked)",
                          "mnuPreferits: P&referits:",
                          "  mnuAfegirPreferit: &Afegir la pàgina als preferits [Ctrl+D]",
                          "  mnuReanomenarPreferit: &Canviar el nom del preferit...",
                          "  mnuTreurePreferit: &Treure la pàgina dels preferits",
                          "  N9: -",
                          "MenuSaltar: &Saltar:",
                          "  mnuTitolSeguent: &Títol següent [F11]",
                          "  mnuTitolAnterior: Tít&ol anterior [Shift+F11]",
                          "  mnuParagrafSeguent: &Paràgraf següent [F12]",
                          "  mnuParagrafAnterior: Pa&ràgraf anterior [Shift+F12]",
                          "  mnuFraseSeguent: &Frase següent [F5]",
                          "  mnuFraseAnterior: Fr&ase anterior [Shift+F5]",
                          "MenuParlantDe: &Parlant de...:"}));
  Lines buttons;
  for (const auto* button : main.ToolbarButtons()) buttons.push_back(Shown(main, *button));
  EXPECT_EQ(
      buttons,
      (Lines{
          "SpeedButtonAnterior: Anterior",
          "SpeedButtonSeguent: Segü"
          "ent",
          "SpeedButtonPararCarrega: Parar", "SpeedButtonRecarregar: Refrescar",
          "SpeedButtonMarcSeguent: Marc Seg. (hidden)", "SpeedButtonRePag: Re Pag",
          "SpeedButtonAvPag: Av pag", "SpeedButtonTab: Tab", "SpeedButtonAlLink: Al link",
          "SpeedButtonParlar: No parlar", "SpeedButtonEscElements: Elements de\nla pàgina (hidden)",
          // The second cycle's places, shown while the scan walks them.
          "SpeedButtonEscEscriure: Escriure (hidden)",
          "SpeedButtonEscPreferits: Preferits (hidden)",
          "SpeedButtonEscAfegirPreferit: Afegir als\npreferits (hidden)",
          "SpeedButtonEscLinks: Llegir\nlinks (hidden)", "SpeedButtonEscLlengua: Castellà (hidden)",
          "SpeedButtonEscComencar: Tornar a\ncomenç"
          "ar (hidden)",
          "SpeedButtonEscLinkLlegit: Link\nllegit (hidden)",
          "SpeedButtonEscMarc: Marc\nsegü"
          "ent (hidden)",
          "SpeedButtonEscMesRapid: Més\nràpid (hidden)",
          "SpeedButtonEscMesLent: Més\nlent (hidden)",
          "SpeedButtonEscParlat: Escaneig\nparlat (hidden)",
          "SpeedButtonEscSo: Silenciar\npàgina (hidden)",
          "SpeedButtonEscAturar: Aturar\nescaneig (hidden)",
          "SpeedButtonEscArticle: Pàgina\nsencera (hidden)",
          "SpeedButtonEscTitolSeg: Títol\nsegüent (hidden)",
          "SpeedButtonEscTitolAnt: Títol\nanterior (hidden)",
          "SpeedButtonEscParagrafSeg: Paràgraf\nsegüent (hidden)",
          "SpeedButtonEscParagrafAnt: Paràgraf\nanterior (hidden)",
          "SpeedButtonEscFraseSeg: Frase\nsegüent (hidden)",
          "SpeedButtonEscFraseAnt: Frase\nanterior (hidden)"}));
  Lines others;
  for (const platform::Control* c : std::initializer_list<const platform::Control*>{
           &main.ImageQuelva2000, &main.cboAddress, &main.EditVelocitat, &main.TextDecimesScan,
           &main.TextTimerParo, &main.StatusBar1}) {
    others.push_back(c->Name());
  }
  EXPECT_EQ(others, (Lines{"ImageQuelva2000", "cboAddress", "EditVelocitat", "TextDecimesScan",
                           "TextTimerParo", "StatusBar1"}));
  EXPECT_EQ(main.ImageQuelva2000.Hint(), "https://www.sonavia.cat/");
  struct EditCase {
    const platform::Edit& edit;
    const char* text;
    const char* hint;
  } const edits[] = {
      {main.EditVelocitat, "180", "Velocitat de lectura"},
      {main.TextDecimesScan, "15",
       "Dè"
       "cimes de segon que dura el pas d'escaneig"},
      {main.TextTimerParo, "30",
       "Dè"
       "cimes de segon que dura el paro de l'escaneig"},
  };
  for (const auto& e : edits) {
    EXPECT_EQ(e.edit.Text(), e.text) << e.edit.Name();
    EXPECT_EQ(e.edit.Hint(), e.hint) << e.edit.Name();
  }
  EXPECT_EQ(main.OpenFileDialog.Name(), "OpenFileDialog");
  EXPECT_EQ(main.OpenFileDialog.Title, "Obrir - \"Ombrix Sonavia\"");
  EXPECT_EQ(main.OpenFileDialog.Filter,
            "fitxers html (*.htm, *.html)|*.htm;*.html|Tot tipus de fitxers (*.*)|*.*");
  EXPECT_EQ(main.Caption(), "Sonavia");
  struct TimerCase {
    const platform::Timer& timer;
    uint32_t interval;
    bool enabled;
  } const timers[] = {{*main.TimerEscaneig, 1000, false},
                      {*main.TimerParo, 2000, false},
                      {*main.TimerControlSituacio, 1000, true}};
  for (const auto& t : timers) {
    EXPECT_EQ(t.timer.Interval(), t.interval);
    EXPECT_EQ(t.timer.Enabled(), t.enabled);
  }
}

TEST_F(ProgramTest, AnAddressGivenAtStartOpensInsteadOfTheStartPageAndIsShown) {
  main.SetStartAddress("file:///tmp/other.htm");
  StartProgram(main, about, loop);
  EXPECT_EQ(browser.calls, Lines{"Navigate(file:///tmp/other.htm)"});
  EXPECT_EQ(main.cboAddress.Text(), "file:///tmp/other.htm");
}

TEST(StartPage, AFolderWhosePathHoldsWhatAnAddressReadsOtherwiseOpensItsOwnPage) {
  testing::SimulatedWindow window("/home/u/pàgines #1 ?100%");
  StartProgram(window.main, window.about, window.loop);
  const std::string address = "file:///home/u/pàgines %231 %3F100%25/index.htm";
  EXPECT_EQ(window.browser.calls, Lines{"Navigate(" + address + ")"});
  EXPECT_EQ(window.main.cboAddress.Text(), address);
  EXPECT_EQ(window.list->PageAddress, address) << "links resolve against it until a page loads";
}

TEST_F(ProgramTest, StartsWithASplashThenOpensTheStartPage) {
  Lines events;
  struct Seen {
    bool visible;
    int height;
    bool ok, rotating, animating;
  } atHalf{};
  loop.Post(500, [&] {
    atHalf = {about.Visible(), about.Height(), about.OKButton.Visible(), about.Timer1->Enabled(),
              about.Timer2->Enabled()};
  });
  bool toldOfDrops = false;
  main.OnStateChanged = [&] { toldOfDrops = toldOfDrops || main.AcceptsDrops(); };
  StartProgram(main, about, loop);
  EXPECT_TRUE(toldOfDrops) << "the view takes drops from the start";
  EXPECT_EQ(library.timeline.front(), "0 Load");
  EXPECT_TRUE(atHalf.visible);
  EXPECT_EQ(atHalf.height, about::kClientHeight - 28);
  EXPECT_FALSE(atHalf.ok);
  EXPECT_FALSE(atHalf.rotating) << "the views stand still during the splash";
  EXPECT_TRUE(atHalf.animating);
  EXPECT_EQ(browser.calls, Lines{"Navigate(file:///home/u/index.htm)"});
  EXPECT_EQ(loop.Elapsed(), 1000u);
  loop.RunFor(0);
  ASSERT_FALSE(browser.raised.empty());
  EXPECT_EQ(browser.raised.front(), "1000 DownloadBegin") << "requested after the splash";
  EXPECT_FALSE(about.Visible());
  EXPECT_EQ(about.Height(), about::kClientHeight);
  EXPECT_TRUE(about.OKButton.Visible());
  EXPECT_FALSE(about.Timer1->Enabled());
  EXPECT_FALSE(about.Timer2->Enabled());
  EXPECT_TRUE(about.MemoReadOnly());
  EXPECT_EQ(main.cboAddress.Text(), "file:///home/u/index.htm");
  EXPECT_EQ(main.ScanLast, 8);
  EXPECT_EQ(main.ScanPosition, 8);
  EXPECT_EQ(main.ScanPitch, 62);
  EXPECT_TRUE(main.EnterArmed);
  EXPECT_TRUE(main.AcceptsDrops());
  EXPECT_EQ(VisibleButtons().size(), 9u);
  EXPECT_EQ(VisibleButtons().back(), "SpeedButtonParlar");
  EXPECT_TRUE(main.mnuParlar.Checked() && main.mnuParlar.Enabled());
  EXPECT_TRUE(main.mnuCatala.Checked());
  EXPECT_TRUE(main.TimerControlSituacio->Enabled());
  EXPECT_FALSE(main.TimerEscaneig->Enabled());
}

TEST_F(ProgramTest, WithoutTheSpeechLibraryTheWindowIsABrowserWithScanning) {
  library.available = false;
  StartProgram(main, about, loop);
  EXPECT_EQ(VisibleButtons(),
            (std::vector<std::string>{"SpeedButtonAnterior", "SpeedButtonSeguent",
                                      "SpeedButtonPararCarrega", "SpeedButtonRecarregar",
                                      "SpeedButtonRePag", "SpeedButtonAvPag", "SpeedButtonTab",
                                      "SpeedButtonAlLink"}));
  EXPECT_EQ(main.ScanLast, 7);
  for (const auto* item :
       {&main.mnuCatala, &main.mnuCastella, &main.mnuParlar, &main.mnuTornarAComencar,
        &main.mnuCanviLlegirLinksLectures, &main.mnuAnarALink}) {
    EXPECT_FALSE(item->Enabled()) << item->Name();
  }
  EXPECT_FALSE(main.mnuCatala.Checked());
  EXPECT_FALSE(main.mnuCastella.Checked());
  EXPECT_FALSE(main.mnuParlar.Checked());
  EXPECT_EQ(browser.calls, Lines{"Navigate(file:///home/u/index.htm)"});
}

// The close stops the unit being read, waits 1.5 s, stops what began in
// the wait and frees the library; a page completing in the wait is not read.
TEST(Closing, StopsWaitsAndFreesTheLibraryWithNothingLeftSpeaking) {
  struct Case {
    const char* name;
    std::function<void(testing::SimulatedWindow&)> before;
    Lines timeline;  // ms from the close
  } const cases[] = {
      {"speaking",
       [](auto& w) { w.main.Sequencer.SpeakUnit("UNA FRASE PROU LLARGA "); },
       {"0 Stop", "1500 Free"}},
      {"silent", [](auto&) {}, {"1500 Free"}},
      {"a page completing in the wait",
       [](auto& w) { w.main.GoToAddress("file:///w/altra.htm"); },
       {"1500 Free"}},
      {"speech on again in the wait",
       [](auto& w) {
         w.main.GoToAddress("file:///w/index.htm");
         while (w.list->UnitCursor < 3) w.loop.RunFor(1);
         w.main.mnuParlar.Click();
         w.loop.Post(500, [&w] { w.main.mnuParlar.Click(); });
       },
       // The pause before the second unit, begun in the wait, ends it.
       {"1000 Read(UN )", "1600 Read(DOS " + std::string(200, 'A') + ".  )", "1600 Stop",
        "1600 Free"}},
  };
  for (const auto& c : cases) {
    testing::SimulatedWindow w("/w");
    testing::ScriptedPage page;
    page.body = "<body>Un. Dos " + std::string(200, 'a') + ".</body>";
    w.browser.AddPage("file:///w/index.htm", page);
    w.browser.failCalls = true;  // no start page to read
    StartProgram(w.main, w.about, w.loop);
    w.browser.failCalls = false;
    c.before(w);
    w.library.ClearLog();
    const uint64_t t0 = w.loop.Elapsed();
    w.main.FormClose();
    Lines timeline;
    for (const auto& line : w.library.timeline) {
      timeline.push_back(std::to_string(std::stoull(line) - t0) + line.substr(line.find(' ')));
    }
    EXPECT_EQ(timeline, c.timeline) << c.name;
    EXPECT_FALSE(w.main.Speech.Loaded()) << c.name;
    bool told = false;
    w.main.OnStateChanged = [&] { told = !w.main.AcceptsDrops(); };
    w.main.FormDestroy();
    EXPECT_TRUE(told) << c.name << ": the view no longer takes drops";
  }
}

TEST_F(ProgramTest, GoToAddressKeepsEveryAddressInTheList) {
  main.GoToAddress("www.xtec.cat");
  main.GoToAddress("www.xtec.cat");
  EXPECT_EQ(main.cboAddress.Items(), (Lines{"www.xtec.cat", "www.xtec.cat"}));
  EXPECT_EQ(main.cboAddress.Text(), "www.xtec.cat");
  EXPECT_EQ(browser.calls, (Lines{"Navigate(www.xtec.cat)", "Navigate(www.xtec.cat)"}));
  browser.failCalls = true;
  EXPECT_THROW(main.GoToAddress("x"), BrowserError) << "its callers discard the error";
  main.OpenStartPage();  // but the start page never ends the program
}

TEST_F(ProgramTest, FocusPageClicksInsideTheBrowserAreaAndKeysGoToTheFocus) {
  bool dispatched = false;
  loop.Post(0, [&] { dispatched = true; });
  main.FocusPage();
  EXPECT_TRUE(dispatched) << "pending messages are dispatched once";
  main.PressKey(0x22);
  main.PressKey(0x75);
  EXPECT_EQ(input.calls, (Lines{"ClickPage(1,1)", "PressKey(34)", "PressKey(117)"}));
}

TEST_F(ProgramTest, SortirClosesTheWindowThroughTheView) {
  int closes = 0;
  main.OnCloseRequested = [&] { ++closes; };
  main.mnuSortir.Click();
  EXPECT_EQ(closes, 1);
}

TEST_F(ProgramTest, TheAboutBoxRotatesAnimatesAndAnswersClicks) {
  StartProgram(main, about, loop);
  main.MenuParlantDe.Click();
  EXPECT_TRUE(about.Visible());
  EXPECT_TRUE(about.OKButton.Visible());
  EXPECT_EQ(about.Height(), about::kClientHeight);
  EXPECT_TRUE(about.Image2.Visible());
  loop.RunFor(10000);
  EXPECT_TRUE(about.Image1.Visible()) << "ten seconds on, the second view";
  EXPECT_FALSE(about.Image2.Visible());
  const std::vector<const platform::Label*> views = {&about.Image2, &about.Image1, &about.Label1,
                                                     &about.Label2};
  auto visibleView = [&] {
    int shown = -1, count = 0;
    for (size_t i = 0; i < views.size(); ++i) {
      if (views[i]->Visible()) {
        shown = static_cast<int>(i);
        ++count;
      }
    }
    return count == 1 ? shown : -1;
  };
  about.Image1.Click();
  EXPECT_EQ(visibleView(), 2);
  about.Label1.Click();
  EXPECT_EQ(visibleView(), 3);
  about.Label2.Click();
  EXPECT_EQ(visibleView(), 0);

  const bool ear = about.ImageOrella.Visible();
  loop.RunFor(500);
  EXPECT_NE(about.ImageOrella.Visible(), ear);
  EXPECT_NE(about.ImageOrdinador.Visible(), about.ImageOrella.Visible());

  about.Panel2.Click();
  EXPECT_TRUE(about.Memo1.Visible());
  about.Panel2.Click();
  EXPECT_FALSE(about.Memo1.Visible());
  about.Panel1.Click();
  EXPECT_FALSE(about.Panel1.Visible() || about.Panel2.Visible());
  EXPECT_TRUE(about.Image3.Visible());
  about.Image3.Click();
  EXPECT_TRUE(about.Panel1.Visible() && about.Panel2.Visible());
  about.ProductName.Click();
  about.MakerLabel.Click();
  EXPECT_EQ(desktop.opened, (Lines{"https://www.sonavia.cat/", "https://www.sonavia.cat/"}));

  about.OKButton.Click();
  EXPECT_FALSE(about.Visible());
  EXPECT_FALSE(about.Timer1->Enabled());
  EXPECT_FALSE(about.Timer2->Enabled());
}

TEST_F(ProgramTest, TheReadingGoesOnWhetherTheAboutBoxIsShownOrNot) {
  browser.failCalls = true;  // the list below is the only one read
  StartProgram(main, about, loop);
  list->SetPageTitle("T");
  main.Converter.ConvertPage("Un. Dos. Tres.");
  library.ClearLog();
  main.Sequencer.StartReadingAt(1);
  loop.Post(800, [&] { main.MenuParlantDe.Click(); });
  loop.Post(1500, [&] { about.OKButton.Click(); });
  loop.RunFor(4000);
  Lines reads;
  for (const auto& call : library.calls) {
    if (call.rfind("Read(", 0) == 0) reads.push_back(call);
  }
  // The box answers as it opens, and the reading goes on after it.
  EXPECT_EQ(reads,
            (Lines{"Read(Títol )", "Read(T )", "Read(UN )",
                   "Read(Parlant de Sonavia. Retorn la tanca. )", "Read(DOS )", "Read(TRES.  )"}));
}

}  // namespace
}  // namespace sonavia::shell
