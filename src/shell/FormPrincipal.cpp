#include "shell/FormPrincipal.h"

#include "platform/UnitTools.h"

namespace sonavia::shell {

namespace {

void Item(platform::MenuItem& item, const char* caption, const char* shortcut = "") {
  item.SetCaption(caption);
  item.SetShortcut(shortcut);
}

}  // namespace

TFormPrincipal::TFormPrincipal(platform::EventLoop& loop, platform::LibraryLoader& loader,
                               BrowserComponent& browser, platform::Input& input,
                               platform::WindowList& windows,
                               std::function<std::string()> currentDirectory,
                               reading::ReadingList& list, about::TAboutBox& about)
    : TimerEscaneig(loop.CreateTimer()),
      TimerParo(loop.CreateTimer()),
      TimerControlSituacio(loop.CreateTimer()),
      Speech(loader, list, EditVelocitat, currentDirectory),
      Sequencer(list, Speech, loop, *about.TimerStatusUpcTV, SpeedButtonParlar, EditVelocitat),
      Converter(list, &Sequencer),
      Pages(PageWindow{mnuParlar, mnuCanviLlegirLinksLectures, SpeedButtonAlLink, SpeedButtonTab,
                       StatusBar1, *TimerControlSituacio, LastStatusText, HoverSpeechArmed,
                       [this](const std::string& caption) { SetCaption(caption); },
                       [this](bool enabled) { SetEnabled(enabled); }, [this] { FocusPage(); },
                       [this](int key) { PressKey(key); }},
            browser, loop, windows, list, Sequencer, Converter, Speech),
      Scan(
          {mnuEscaneig, *TimerEscaneig, *TimerParo, TextDecimesScan, TextTimerParo},
          {ScanPosition, ScanFirst, ScanLast, ScanPitch}, input, [this] { FocusPage(); },
          [this] { Notify(); }),
      Commands({mnuParlar, mnuCanviLlegirLinksLectures, mnuCatala, mnuCastella, SpeedButtonParlar,
                SpeedButtonAlLink, EditVelocitat, EnterArmed, HoverSpeechArmed, LastStatusText,
                [this] { ToolBarBotonsClick(); },
                [this](const std::string& address) { GoToAddress(address); },
                [this](int key) { PressKey(key); }, [&browser] { browser.GoBack(); },
                [&browser] { browser.GoForward(); }},
               list, Sequencer, Speech),
      Navigation(NavigationWindow{cboAddress, OpenFileDialog,
                                  [this](const std::string& a) { GoToAddress(a); },
                                  [this] { FocusPage(); }, [this](int key) { PressKey(key); },
                                  [this] { ToolBarBotonsClick(); }},
                 browser, loop, input, Sequencer),
      Autosave(loop, Settings),
      Notices(loop, Speech, mnuParlar, StatusBarSo),
      loop_(loop),
      browser_(browser),
      input_(input),
      currentDirectory_(std::move(currentDirectory)),
      about_(about) {
  Item(Opcions1, "&Control");
  Item(MenuObrir, "&Obrir...", "Ctrl+O");
  Item(MenuImprimir, "&Imprimir...", "Ctrl+I");
  Item(MenuDesarcom, "&Desar com...");
  MenuDesarcom.SetEnabled(false);
  MenuDesarcom.SetVisible(false);
  Item(N7, "-");
  Item(mnuEndarrera, "&Anterior", "F9");
  Item(mnuEndavant,
       "&Seg\xFC"
       "ent",
       "Ctrl+F9");
  Item(MenuPararlaCarrega, "&Parar", "Ctrl+P");
  Item(menuRecarregar, "&Refrescar", "Ctrl+R");
  Item(MenuMarcSeguent,
       "&Marc seg\xFC"
       "ent",
       "F6");
  Item(N6, "-");
  Item(MenuEscriureDirectamentUnaAdesa,
       "Es&criure directament una ade\xE7"
       "a",
       "F8");
  Item(N5, "-");
  Item(mnuEscaneig, "&Escaneig autom\xE0tic", "Ctrl+F2");
  Item(N2, "-");
  Item(mnuSortir, "&Sortir");
  Item(Control1, "Opcions de &lectura");
  Item(mnuAnarALink, "&Anar a link que s'est\xE0 llegint", "F2");
  Item(N4, "-", "-");
  Item(mnuParlar, "Desactivar la &Lectura (pausa)", "F3");
  mnuParlar.SetChecked(true);
  Item(mnuTornarAComencar,
       "&Tornar a comen\xE7"
       "ar",
       "Ctrl+F3");
  Item(N3, "-");
  Item(mnuCanviLlegirLinksLectures, "Lle&gir Links", "F4");
  Item(N1, "-");
  Item(mnuCatala, "&Catal\xE0");
  mnuCatala.SetChecked(true);
  mnuCatala.SetEnabled(false);
  Item(mnuCastella, "Cast&ell\xE0", "F7");
  Item(MenuParlantDe, "&Parlant de...");
  menus_ = {
      {&Opcions1,
       {&MenuObrir, &MenuImprimir, &MenuDesarcom, &N7, &mnuEndarrera, &mnuEndavant,
        &MenuPararlaCarrega, &menuRecarregar, &MenuMarcSeguent, &N6,
        &MenuEscriureDirectamentUnaAdesa, &N5, &mnuEscaneig, &N2, &mnuSortir}},
      {&Control1,
       {&mnuAnarALink, &N4, &mnuParlar, &mnuTornarAComencar, &N3, &mnuCanviLlegirLinksLectures, &N1,
        &mnuCatala, &mnuCastella, &mnuMostrarLectura}},
      {&MenuParlantDe, {}},
  };

  SpeedButtonAnterior.SetCaption("Anterior");
  SpeedButtonSeguent.SetCaption(
      "Seg\xFC"
      "ent");
  SpeedButtonPararCarrega.SetCaption("Parar");
  SpeedButtonRecarregar.SetCaption("Refrescar");
  SpeedButtonMarcSeguent.SetCaption("Marc Seg.");
  SpeedButtonMarcSeguent.SetVisible(false);
  SpeedButtonRePag.SetCaption("Re Pag");
  SpeedButtonAvPag.SetCaption("Av pag");
  SpeedButtonTab.SetCaption("Tab");
  SpeedButtonAlLink.SetCaption("Al link");
  SpeedButtonParlar.SetCaption(std::string(reading::kSpeechOnCaption));
  buttons_ = {&SpeedButtonAnterior,   &SpeedButtonSeguent,     &SpeedButtonPararCarrega,
              &SpeedButtonRecarregar, &SpeedButtonMarcSeguent, &SpeedButtonRePag,
              &SpeedButtonAvPag,      &SpeedButtonTab,         &SpeedButtonAlLink,
              &SpeedButtonParlar};
  ImageQuelva2000.SetHint(about::kMakerAddress);
  OpenFileDialog.Title = kOpenDialogTitle;
  OpenFileDialog.Filter = kOpenDialogFilter;

  EditVelocitat.SetText("180");
  EditVelocitat.SetHint("Velocitat de lectura");
  TextDecimesScan.SetText("15");
  TextDecimesScan.SetHint(
      "D\xE8"
      "cimes de segon que dura el pas d'escaneig");
  TextTimerParo.SetText("30");
  TextTimerParo.SetHint(
      "D\xE8"
      "cimes de segon que dura el paro de l'escaneig");

  TimerEscaneig->SetEnabled(false);
  TimerEscaneig->SetInterval(1000);
  TimerParo->SetEnabled(false);
  TimerParo->SetInterval(2000);
  TimerControlSituacio->SetInterval(1000);
  TimerControlSituacio->SetEnabled(true);

  WireHandlers();
  SetUpShowReading();
}

void TFormPrincipal::SetUpShowReading() {
  Item(mnuMostrarLectura, "&Mostrar el que es llegeix");
  mnuMostrarLectura.SetChecked(true);
  mnuMostrarLectura.OnClick = [this] { mnuMostrarLecturaClick(); };
  Sequencer.Follower().SetView(&browser_);
  Settings.SetShowReading(mnuMostrarLectura, [this] { mnuMostrarLecturaClick(); });
}

void TFormPrincipal::mnuMostrarLecturaClick() {
  mnuMostrarLectura.SetChecked(!mnuMostrarLectura.Checked());
  Sequencer.Follower().SetEnabled(mnuMostrarLectura.Checked());
}

void TFormPrincipal::WireHandlers() {
  // A toolbar button and the menu item of the same command share a handler.
  const std::vector<std::pair<platform::Command*, void (TFormPrincipal::*)()>> clicks = {
      {&MenuObrir, &TFormPrincipal::MenuObrirClick},
      {&MenuImprimir, &TFormPrincipal::MenuImprimirClick},
      {&MenuDesarcom, &TFormPrincipal::MenuDesarcomClick},
      {&mnuEndarrera, &TFormPrincipal::mnuEndarreraClick},
      {&mnuEndavant, &TFormPrincipal::mnuEndavantClick},
      {&MenuPararlaCarrega, &TFormPrincipal::MenuPararlaCarregaClick},
      {&SpeedButtonPararCarrega, &TFormPrincipal::MenuPararlaCarregaClick},
      {&menuRecarregar, &TFormPrincipal::menuRecarregarClick},
      {&SpeedButtonRecarregar, &TFormPrincipal::menuRecarregarClick},
      {&MenuMarcSeguent, &TFormPrincipal::MenuMarcSeguentClick},
      {&SpeedButtonMarcSeguent, &TFormPrincipal::MenuMarcSeguentClick},
      {&MenuEscriureDirectamentUnaAdesa, &TFormPrincipal::MenuEscriureDirectamentUnaAdesaClick},
      {&mnuEscaneig, &TFormPrincipal::mnuEscaneigClick},
      {&mnuSortir, &TFormPrincipal::mnuSortirClick},
      {&mnuAnarALink, &TFormPrincipal::mnuAnarALinkClick},
      {&mnuParlar, &TFormPrincipal::mnuParlarClick},
      {&SpeedButtonParlar, &TFormPrincipal::mnuParlarClick},
      {&mnuTornarAComencar, &TFormPrincipal::mnuTornarAComencarClick},
      {&mnuCanviLlegirLinksLectures, &TFormPrincipal::mnuCanviLlegirLinksLecturesClick},
      {&mnuCatala, &TFormPrincipal::mnuCatalaClick},
      {&mnuCastella, &TFormPrincipal::mnuCastellaClick},
      {&MenuParlantDe, &TFormPrincipal::MenuParlantDeClick},
      {&SpeedButtonAnterior, &TFormPrincipal::SpeedButtonAnteriorClick},
      {&SpeedButtonSeguent, &TFormPrincipal::SpeedButtonSeguentClick},
      {&SpeedButtonRePag, &TFormPrincipal::SpeedButtonRePagClick},
      {&SpeedButtonAvPag, &TFormPrincipal::SpeedButtonAvPagClick},
      {&SpeedButtonTab, &TFormPrincipal::SpeedButtonTabClick},
      {&SpeedButtonAlLink, &TFormPrincipal::SpeedButtonAlLinkClick},
  };
  for (const auto& [command, handler] : clicks)
    command->OnClick = [this, h = handler] { (this->*h)(); };
  ImageQuelva2000.OnClick = [this] { ImageQuelva2000Click(); };
  cboAddress.OnClick = [this] { cboAddressClick(); };
  cboAddress.OnEnter = [this] { cboAddressEnter(); };
  cboAddress.OnExit = [this] { cboAddressExit(); };
  cboAddress.OnKeyDown = [this](int key) { cboAddressKeyDown(key); };
  EditVelocitat.OnChange = [this] { EditVelocitatChange(); };
  TextDecimesScan.OnExit = [this] { TextDecimesScanExit(); };
  TextTimerParo.OnExit = [this] { TextTimerParoExit(); };
  TimerEscaneig->SetOnTimer([this] { TimerEscaneigTimer(); });
  TimerParo->SetOnTimer([this] { TimerParoTimer(); });
  TimerControlSituacio->SetOnTimer([this] { TimerControlSituacioTimer(); });
  auto& e = browser_.events;
  e.StatusTextChange = [this](const std::string& text) { brwWebBrowserStatusTextChange(text); };
  e.ProgressChange = [this](int32_t p, int32_t max) { brwWebBrowserProgressChange(p, max); };
  e.DownloadBegin = [this] { brwWebBrowserDownloadBegin(); };
  e.DocumentComplete = [this] { brwWebBrowserDocumentComplete(); };
  e.DownloadComplete = [this] { brwWebBrowserDownloadComplete(); };
  e.NavigateComplete2 = [this] { brwWebBrowserNavigateComplete2(); };
}

void TFormPrincipal::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Notify();
}

void TFormPrincipal::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Notify();
}

void TFormPrincipal::FormCreate() {
  ScanFirst = 0;
  ScanLast = 8;
  ScanPosition = 8;
  ScanPitch = kButtonPitch;
  if (Speech.LoadSpeechEngine()) {
    // Reduced mode: a browser with scanning and without speech commands.
    mnuCatala.SetChecked(false);
    mnuCatala.SetEnabled(false);
    mnuCastella.SetEnabled(false);
    mnuParlar.SetChecked(false);
    mnuParlar.SetEnabled(false);
    SpeedButtonParlar.SetVisible(false);
    mnuTornarAComencar.SetEnabled(false);
    mnuCanviLlegirLinksLectures.SetEnabled(false);
    mnuAnarALink.SetEnabled(false);
    ScanLast -= 1;  // the speech button has left the toolbar
  }
  LastStatusText.clear();
  acceptDrops_ = true;
  Notify();
  EnterArmed = true;
  Settings.ReadAndApply();
  Autosave.Start();
}

void TFormPrincipal::FormClose() {
  // A page completing during the wait below must not start a reading.
  Pages.Close();
  // The settings are written once speech is over, below.
  Autosave.Stop();
  Notices.Close();
  if (Speech.IsSpeaking()) Sequencer.StopSpeaking();
  platform::WaitProcessingMessages(loop_, 1500);
  if (Speech.IsSpeaking()) Sequencer.StopSpeaking();
  Speech.FreeSpeechEngine();
  Settings.Write();
}

void TFormPrincipal::FormDestroy() {
  acceptDrops_ = false;
  Notify();
}

void TFormPrincipal::mnuSortirClick() {
  if (OnCloseRequested) OnCloseRequested();
}

std::string TFormPrincipal::StartPageAddress() const {
  // A file address is "file://" and the absolute path, which starts with "/".
  return "file://" + currentDirectory_() + "/index.htm";
}

void TFormPrincipal::OpenStartPage() {
  const std::string address = startAddress_.empty() ? StartPageAddress() : startAddress_;
  if (address.empty()) return;
  // A failure here would end the program before it starts; the browser
  // shows what it shows for a page it cannot open instead.
  try {
    GoToAddress(address);
  } catch (const BrowserError&) {
  }
}

void TFormPrincipal::GoToAddress(const std::string& address) {
  cboAddress.SetText(address);
  cboAddress.AddItem(cboAddress.Text());
  browser_.Navigate(address);
}

void TFormPrincipal::FocusPage() {
  // A click one pixel inside the browser area's corner; the pointer stays.
  input_.ClickPage(1, 1);
  loop_.ProcessMessages();
}

void TFormPrincipal::PressKey(int virtualKey) {
  input_.PressKey(virtualKey);
}

void TFormPrincipal::MenuParlantDeClick() {
  about_.ShowModal();
}

void StartProgram(TFormPrincipal& main, about::TAboutBox& about, platform::EventLoop& loop) {
  main.FormCreate();
  about.FormCreate();
  // The splash: the box without its OK button, its views still.
  about.OKButton.SetVisible(false);
  const int height = about.Height();
  about.SetHeight(height - 28);
  about.ShowNonModal();
  about.Timer1->SetEnabled(false);
  platform::WaitProcessingMessages(loop, 1000);
  about.Hide();
  about.SetHeight(height);
  about.OKButton.SetVisible(true);
  main.Notices.AtStart();
  main.OpenStartPage();
}

}  // namespace sonavia::shell
