#include "shell/FormPrincipal.h"

#include <algorithm>

#include "platform/FileAddress.h"
#include "platform/UnitTools.h"
#include "reading/PageConverter.h"

namespace sonavia::shell {

TFormPrincipal::TFormPrincipal(platform::EventLoop& loop, platform::LibraryLoader& loader,
                               BrowserComponent& browser, platform::Input& input,
                               platform::WindowList& windows,
                               std::function<std::string()> startPagePath,
                               reading::ReadingList& list, about::TAboutBox& about)
    : TimerEscaneig(loop.CreateTimer()),
      TimerParo(loop.CreateTimer()),
      TimerControlSituacio(loop.CreateTimer()),
      TimerPolsador(loop.CreateTimer()),
      Speech(loader, list, EditVelocitat, [this] { return StartPageAddress(); }),
      Sequencer(
          list, Speech, loop, *about.TimerStatusUpcTV, [this] { return SpeechState.On(); },
          EditVelocitat),
      Converter(list, &Sequencer),
      Pages(PageWindow{mnuParlar, SpeedButtonAlLink, SpeedButtonTab, StatusBar1,
                       *TimerControlSituacio, LastStatusText, HoverSpeechArmed,
                       [this](const std::string& caption) { SetCaption(caption); },
                       [this](reading::ReadingMode mode) { Commands.SetReadingMode(mode); },
                       [this](bool enabled) { SetEnabled(enabled); }, [this] { FocusPage(); },
                       [this](int key) { PressKey(key); }},
            browser, loop, windows, list, Sequencer, Converter, Speech),
      Scan({mnuEscaneig, *TimerEscaneig, *TimerParo, TextDecimesScan, TextTimerParo,
            mnuEscaneigParlat},
           {ScanPosition, ScanFirst, ScanLast, ScanPitch}, input,
           {[this] { FocusPage(); }, [this] { Notify(); },
            [this](int index) { SpokenScan.Reached(index); },
            [this](controls::ScanNews news) { SpokenScan.Told(news); },
            [this](bool show) { return ShowSwitchPlaces(show); }}),
      SwitchPlaces({mnuCanviLlegirLinksLectures, mnuCatala, mnuCastella, mnuTornarAComencar,
                    mnuAnarALink, MenuMarcSeguent, mnuEscaneigParlat, mnuEscaneig},
                   [this](const std::function<void()>& command) { Scan.RunChosenPlace(command); }),
      SpokenScan(buttons_, Sequencer, Speech, *TimerEscaneig),
      Presses(Scan, loop, *TimerPolsador,
              {[this] { ToolBarBotonsClick(); },
               [this, &list](int32_t link) {
                 // The link the user heard, even if the next has begun since.
                 list.LinkCursor = link;
                 mnuAnarALinkClick();
               }}),
      Commands({SpeechState, mnuCanviLlegirLinksLectures, mnuCatala, mnuCastella, SpeedButtonAlLink,
                EditVelocitat, EnterArmed, HoverSpeechArmed, LastStatusText,
                [this] { ToolBarBotonsClick(); },
                [this](const std::string& address) { GoToAddress(address); },
                [this](int key) { PressKey(key); },
                [this](const std::string& text) { Pages.Notice(text); }},
               list, Sequencer, Speech),
      Navigation(NavigationWindow{
                     cboAddress, OpenFileDialog, [this](const std::string& a) { GoToAddress(a); },
                     [this] { FocusPage(); }, [this](int key) { PressKey(key); },
                     [this] { ToolBarBotonsClick(); }, [this] { Pages.PageAskedFor(); }},
                 browser, loop, input, Sequencer),
      Autosave(loop, Settings),
      Notices(loop, Speech, mnuParlar, StatusBarSo),
      Zoom({StatusBar1, [this] { return SpeechState.On(); },
            [this](int percent) { browser_.SetZoom(percent); }},
           list, Sequencer, Speech),
      loop_(loop),
      browser_(browser),
      input_(input),
      startPagePath_(std::move(startPagePath)),
      about_(about) {
  LayOutMenus();
  LayOutToolbars();
  WireHandlers();
  ShowSwitchPlaces(false);
  Sequencer.Follower().SetView(&browser_);
  Sequencer.SetLinkListener(&Scan);
  Settings.SetShowReading(mnuMostrarLectura, [this] { mnuMostrarLecturaClick(); });
  Settings.SetSwitchSettings({mnuEscaneigParlat, [this] { mnuEscaneigParlatClick(); },
                              [this] { return Presses.IgnoreTenths(); },
                              [this](int tenths) { Presses.SetIgnoreTenths(tenths); },
                              [this] { return Scan.DelayAfterPress(); },
                              [this](bool on) { Scan.SetDelayAfterPress(on); }});
  Settings.SetZoom(Zoom);
  Settings.SetPageLanguage(mnuLlenguaPagina, [this] { mnuLlenguaPaginaClick(); });
}

void TFormPrincipal::LayOutMenus() {
  // A title row starts a menu on the menu bar; the item rows below it are
  // its items, in order, "-" a separator. A caption left out comes with the
  // item's state (speech on or off). Letters beyond ASCII are Windows-1252
  // in octal, whose escapes end after three digits.
  constexpr bool Title = true, Item = false;
  struct Row {
    bool title;
    platform::MenuItem& item;
    const char* caption;
    const char* shortcut = "";
  };
  const Row rows[] = {
      {Title, Opcions1, "&Control"},
      {Item, MenuObrir, "&Obrir...", "Ctrl+O"},
      {Item, MenuImprimir, "&Imprimir...", "Ctrl+I"},
      {Item, MenuDesarcom, "&Desar com..."},
      {Item, N7, "-"},
      {Item, mnuEndarrera, "&Anterior", "F9"},
      {Item, mnuEndavant, "&Seg\374ent", "Ctrl+F9"},
      {Item, MenuPararlaCarrega, "&Parar", "Ctrl+P"},
      {Item, menuRecarregar, "&Refrescar", "Ctrl+R"},
      {Item, MenuMarcSeguent, "&Marc seg\374ent", "F6"},
      {Item, N8, "-"},
      {Item, mnuAmpliar, "Amp&liar la p\xE0gina", "Ctrl++"},
      {Item, mnuReduir, "Red&uir la p\xE0gina", "Ctrl+-"},
      {Item, mnuMidaNormal, "Mida &normal de la p\xE0gina", "Ctrl+0"},
      {Item, N6, "-"},
      {Item, MenuEscriureDirectamentUnaAdesa, "Es&criure directament una ade\347a", "F8"},
      {Item, N5, "-"},
      {Item, mnuEscaneig, "&Escaneig autom\xE0tic", "Ctrl+F2"},
      {Item, N2, "-"},
      {Item, mnuSortir, "Sor&tir"},
      {Title, Control1, "Opcions de &lectura"},
      {Item, mnuAnarALink, "&Anar a link que s'est\xE0 llegint", "F2"},
      {Item, N4, "-", "-"},
      {Item, mnuParlar, nullptr, "F3"},
      {Item, mnuTornarAComencar, "&Tornar a comen\347ar", "Ctrl+F3"},
      {Item, N3, "-"},
      {Item, mnuCanviLlegirLinksLectures, controls::ReadingModeCaption(reading::ReadingMode::Page),
       "F4"},
      {Item, N1, "-"},
      {Item, mnuCatala, "&Catal\xE0"},
      {Item, mnuCastella, "Cast&ell\xE0", controls::kLanguageShortcut},
      {Item, mnuEscaneigParlat, "E&scaneig parlat"},
      {Item, mnuMostrarLectura, "&Mostrar el que es llegeix"},
      {Item, mnuLlenguaPagina, "Lle&ngua de la p\xE0gina"},
      {Title, MenuParlantDe, "&Parlant de..."},
  };
  for (const Row& row : rows) {
    if (row.caption != nullptr) row.item.SetCaption(row.caption);
    row.item.SetShortcut(row.shortcut);
    if (row.title) {
      menus_.push_back({&row.item, {}});
    } else {
      menus_.back().items.push_back(&row.item);
    }
  }
  MenuDesarcom.SetEnabled(false);
  MenuDesarcom.SetVisible(false);
  mnuCatala.SetChecked(true);
  mnuCatala.SetEnabled(false);
  mnuMostrarLectura.SetChecked(true);
  mnuLlenguaPagina.SetChecked(true);
  checkable_ = {&mnuEscaneig,       &mnuParlar,         &mnuCatala,       &mnuCastella,
                &mnuEscaneigParlat, &mnuMostrarLectura, &mnuLlenguaPagina};
}

void TFormPrincipal::LayOutToolbars() {
  // The button toolbar, left to right; the speech button's caption comes
  // with speech on or off. Letters beyond ASCII as in the menus.
  const std::pair<platform::Button*, const char*> buttons[] = {
      {&SpeedButtonAnterior, "Anterior"},     {&SpeedButtonSeguent, "Seg\374ent"},
      {&SpeedButtonPararCarrega, "Parar"},    {&SpeedButtonRecarregar, "Refrescar"},
      {&SpeedButtonMarcSeguent, "Marc Seg."}, {&SpeedButtonRePag, "Re Pag"},
      {&SpeedButtonAvPag, "Av pag"},          {&SpeedButtonTab, "Tab"},
      {&SpeedButtonAlLink, "Al link"},        {&SpeedButtonParlar, nullptr},
  };
  for (const auto& [button, caption] : buttons) {
    if (caption != nullptr) button->SetCaption(caption);
    buttons_.push_back(button);
  }
  // The second cycle's places follow, hidden until the scan walks them.
  for (platform::Button* place : SwitchPlaces.Buttons()) buttons_.push_back(place);
  SpeedButtonMarcSeguent.SetVisible(false);
  ImageQuelva2000.SetHint(about::kMakerAddress);

  // The address toolbar's edits: their first text and their hint.
  struct EditRow {
    platform::Edit& edit;
    const char* text;
    const char* hint;
  };
  const EditRow edits[] = {
      {EditVelocitat, "180", "Velocitat de lectura"},
      {TextDecimesScan, controls::kScanStepFallback,
       "D\350cimes de segon que dura el pas d'escaneig"},
      {TextTimerParo, controls::kScanPauseFallback,
       "D\350cimes de segon que dura el paro de l'escaneig"},
  };
  for (const EditRow& row : edits) {
    row.edit.SetText(row.text);
    row.edit.SetHint(row.hint);
  }
  OpenFileDialog.Title = kOpenDialogTitle;
  OpenFileDialog.Filter = kOpenDialogFilter;

  // The scanning's step and pause until the settings set them from their
  // edits, and the watchdog.
  struct TimerRow {
    platform::Timer& timer;
    uint32_t interval;
    bool enabled;
  };
  const TimerRow timers[] = {{*TimerEscaneig, 1000, false},
                             {*TimerParo, 2000, false},
                             {*TimerControlSituacio, 1000, true},
                             {*TimerPolsador, controls::kShortestLongPress, false}};
  for (const TimerRow& row : timers) {
    row.timer.SetInterval(row.interval);
    row.timer.SetEnabled(row.enabled);
  }
}

int TFormPrincipal::ShowSwitchPlaces(bool show) {
  const int shown = SwitchPlaces.Show(show);
  ImageQuelva2000.SetVisible(!show || shown == 0);
  return shown;
}

bool TFormPrincipal::Checkable(const platform::MenuItem& item) const {
  return std::find(checkable_.begin(), checkable_.end(), &item) != checkable_.end();
}

void TFormPrincipal::mnuMostrarLecturaClick() {
  mnuMostrarLectura.SetChecked(!mnuMostrarLectura.Checked());
  Sequencer.Follower().SetEnabled(mnuMostrarLectura.Checked());
}

void TFormPrincipal::mnuLlenguaPaginaClick() {
  mnuLlenguaPagina.SetChecked(!mnuLlenguaPagina.Checked());
  // From the next unit on; nothing is said.
  Speech.SetFollowPageLanguage(mnuLlenguaPagina.Checked());
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
      {&mnuMostrarLectura, &TFormPrincipal::mnuMostrarLecturaClick},
      {&mnuLlenguaPagina, &TFormPrincipal::mnuLlenguaPaginaClick},
      {&mnuEscaneigParlat, &TFormPrincipal::mnuEscaneigParlatClick},
      {&mnuAmpliar, &TFormPrincipal::mnuAmpliarClick},
      {&mnuReduir, &TFormPrincipal::mnuReduirClick},
      {&mnuMidaNormal, &TFormPrincipal::mnuMidaNormalClick},
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
  TimerPolsador->SetOnTimer([this] { TimerPolsadorTimer(); });
  auto& e = browser_.events;
  e.StatusTextChange = [this](const std::string& text) { brwWebBrowserStatusTextChange(text); };
  e.ProgressChange = [this](int32_t p, int32_t max) { brwWebBrowserProgressChange(p, max); };
  e.DownloadBegin = [this] { brwWebBrowserDownloadBegin(); };
  e.DocumentComplete = [this] { brwWebBrowserDocumentComplete(); };
  e.DownloadComplete = [this] { brwWebBrowserDownloadComplete(); };
  e.NavigateComplete2 = [this] { brwWebBrowserNavigateComplete2(); };
  e.PageProcessEnded = [this] { brwWebBrowserPageProcessEnded(); };
}

void TFormPrincipal::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Notify();
}

void TFormPrincipal::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  // The view keeps the user's input from the window while it is disabled,
  // the release of a press already down included: that press is dropped.
  if (!enabled) Presses.Cancel();
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
    mnuEscaneigParlat.SetEnabled(false);
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
  return platform::FileAddress(startPagePath_());
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
  Pages.PageAskedFor();
  // The box shows as much of an address as the program keeps of one.
  cboAddress.SetText(address.substr(0, reading::kMaxAddressLength));
  cboAddress.AddItem(cboAddress.Text());
  browser_.Navigate(address);
}

void TFormPrincipal::FocusPage() {
  if (keyboardMoving_) return;
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
