// The main window's layout and wiring, as tables: its menus, its buttons
// and edits with their first texts, and which handler each control, timer
// and browser event calls.
#include "shell/FormPrincipal.h"

#include <utility>
#include <vector>

namespace sonavia::shell {

void TFormPrincipal::LayOutMenus() {
  // A title row starts a menu on the menu bar; the item rows below it are
  // its items, in order, "-" a separator. A caption left out comes with the
  // item's state (speech on or off).
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
      {Item, mnuEndavant, "&Següent", "Ctrl+F9"},
      {Item, MenuPararlaCarrega, "&Parar", "Ctrl+P"},
      {Item, menuRecarregar, "&Refrescar", "Ctrl+R"},
      {Item, MenuMarcSeguent, "&Marc següent", "F6"},
      {Item, N8, "-"},
      {Item, mnuAmpliar, "Amp&liar la pàgina", "Ctrl++"},
      {Item, mnuReduir, "Red&uir la pàgina", "Ctrl+-"},
      {Item, mnuMidaNormal, "Mida &normal de la pàgina", "Ctrl+0"},
      {Item, mnuSilenciarPagina, "Silenciar la pà&gina", "Ctrl+M"},
      {Item, N6, "-"},
      {Item, MenuEscriureDirectamentUnaAdesa, "Es&criure directament una adeça", "F8"},
      {Item, N5, "-"},
      {Item, mnuEscaneig, "&Escaneig automàtic", "Ctrl+F2"},
      {Item, N2, "-"},
      {Item, mnuSortir, "Sor&tir"},
      {Title, Control1, "Opcions de &lectura"},
      {Item, mnuAnarALink, "&Anar a link que s'està llegint", "F2"},
      {Item, N4, "-", "-"},
      {Item, mnuParlar, nullptr, "F3"},
      {Item, mnuTornarAComencar, "&Tornar a començar", "Ctrl+F3"},
      {Item, N3, "-"},
      {Item, mnuCanviLlegirLinksLectures, controls::ReadingModeCaption(reading::ReadingMode::Page),
       "F4"},
      {Item, N1, "-"},
      {Item, mnuCatala, "&Català"},
      {Item, mnuCastella, "Cast&ellà", controls::kLanguageShortcut},
      {Item, mnuEscaneigParlat, "E&scaneig parlat"},
      {Item, mnuMostrarLectura, "&Mostrar el que es llegeix"},
      {Item, mnuLlenguaPagina, "Lle&ngua de la pàgina"},
      {Item, mnuRepetirEscrit, "&Repetir el que s'escriu"},
      {Item, mnuDeixarLector, "&Deixar parlar el lector de pantalla"},
      {Item, mnuLlegirArticle, "Llegir l'art&icle", "Shift+F4"},
      {Title, mnuPreferits, "P&referits"},
      {Item, mnuAfegirPreferit, "&Afegir la pàgina als preferits", "Ctrl+D"},
      {Item, mnuReanomenarPreferit, "&Canviar el nom del preferit..."},
      {Item, mnuTreurePreferit, "&Treure la pàgina dels preferits"},
      {Item, N9, "-"},
      {Title, MenuSaltar, "&Saltar"},
      {Item, mnuTitolSeguent, "&Títol següent", "F11"},
      {Item, mnuTitolAnterior, "Tít&ol anterior", "Shift+F11"},
      {Item, mnuParagrafSeguent, "&Paràgraf següent", "F12"},
      {Item, mnuParagrafAnterior, "Pa&ràgraf anterior", "Shift+F12"},
      {Item, mnuFraseSeguent, "&Frase següent", "F5"},
      {Item, mnuFraseAnterior, "Fr&ase anterior", "Shift+F5"},
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
  // The favourites themselves, after their commands; shown as the list has them.
  for (size_t i = 0; i < kFavouriteItems; ++i) {
    mnuPreferit.push_back(
        std::make_unique<platform::MenuItem>("mnuPreferit" + std::to_string(i + 1)));
    mnuPreferit.back()->SetShortcut(i < 9 ? "Ctrl+" + std::to_string(i + 1) : "");
    mnuPreferit.back()->SetVisible(false);
    for (Menu& menu : menus_) {
      if (menu.title == &mnuPreferits) menu.items.push_back(mnuPreferit.back().get());
    }
  }
  MenuDesarcom.SetEnabled(false);
  MenuDesarcom.SetVisible(false);
  mnuCatala.SetChecked(true);
  mnuCatala.SetEnabled(false);
  mnuMostrarLectura.SetChecked(true);
  mnuLlenguaPagina.SetChecked(true);
  mnuRepetirEscrit.SetChecked(true);
  mnuLlegirArticle.SetChecked(true);
  checkable_ = {&mnuEscaneig,       &mnuParlar,         &mnuCatala,        &mnuCastella,
                &mnuEscaneigParlat, &mnuMostrarLectura, &mnuLlenguaPagina, &mnuSilenciarPagina,
                &mnuRepetirEscrit,  &mnuDeixarLector,   &mnuLlegirArticle};
}

void TFormPrincipal::LayOutToolbars() {
  // The button toolbar, left to right; the speech button's caption comes
  // with speech on or off. Letters beyond ASCII as in the menus.
  const std::pair<platform::Button*, const char*> buttons[] = {
      {&SpeedButtonAnterior, "Anterior"},     {&SpeedButtonSeguent, "Següent"},
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
      {TextDecimesScan, controls::kScanStepFallback, "Dècimes de segon que dura el pas d'escaneig"},
      {TextTimerParo, controls::kScanPauseFallback,
       "Dècimes de segon que dura el paro de l'escaneig"},
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
      {&mnuRepetirEscrit, &TFormPrincipal::mnuRepetirEscritClick},
      {&mnuDeixarLector, &TFormPrincipal::mnuDeixarLectorClick},
      {&mnuEscaneigParlat, &TFormPrincipal::mnuEscaneigParlatClick},
      {&mnuAmpliar, &TFormPrincipal::mnuAmpliarClick},
      {&mnuReduir, &TFormPrincipal::mnuReduirClick},
      {&mnuMidaNormal, &TFormPrincipal::mnuMidaNormalClick},
      {&mnuSilenciarPagina, &TFormPrincipal::mnuSilenciarPaginaClick},
      {&mnuAfegirPreferit, &TFormPrincipal::mnuAfegirPreferitClick},
      {&mnuReanomenarPreferit, &TFormPrincipal::mnuReanomenarPreferitClick},
      {&mnuTreurePreferit, &TFormPrincipal::mnuTreurePreferitClick},
      {&mnuLlegirArticle, &TFormPrincipal::mnuLlegirArticleClick},
      {&mnuTitolSeguent, &TFormPrincipal::mnuTitolSeguentClick},
      {&mnuTitolAnterior, &TFormPrincipal::mnuTitolAnteriorClick},
      {&mnuParagrafSeguent, &TFormPrincipal::mnuParagrafSeguentClick},
      {&mnuParagrafAnterior, &TFormPrincipal::mnuParagrafAnteriorClick},
      {&mnuFraseSeguent, &TFormPrincipal::mnuFraseSeguentClick},
      {&mnuFraseAnterior, &TFormPrincipal::mnuFraseAnteriorClick},
  };
  for (const auto& [command, handler] : clicks)
    command->OnClick = [this, h = handler] { (this->*h)(); };
  ImageQuelva2000.OnClick = [this] { ImageQuelva2000Click(); };
  cboAddress.OnClick = [this] { cboAddressClick(); };
  cboAddress.OnEnter = [this] { cboAddressEnter(); };
  cboAddress.OnExit = [this] { cboAddressExit(); };
  cboAddress.OnKeyDown = [this](int key) { cboAddressKeyDown(key); };
  EditVelocitat.OnChange = [this] { EditVelocitatChange(); };
  EditVelocitat.OnEnter = [this] { rateEditing_ = true; };
  EditVelocitat.OnExit = [this] { rateEditing_ = false; };
  TextDecimesScan.OnExit = [this] { TextDecimesScanExit(); };
  TextTimerParo.OnExit = [this] { TextTimerParoExit(); };
  TimerEscaneig->SetOnTimer([this] { TimerEscaneigTimer(); });
  TimerParo->SetOnTimer([this] { TimerParoTimer(); });
  TimerControlSituacio->SetOnTimer([this] { TimerControlSituacioTimer(); });
  TimerPolsador->SetOnTimer([this] { TimerPolsadorTimer(); });
  TimerGuardades->SetOnTimer([this] { TimerGuardadesTimer(); });
  auto& e = browser_.events;
  e.StatusTextChange = [this](const std::string& text) { brwWebBrowserStatusTextChange(text); };
  e.ProgressChange = [this](int32_t p, int32_t max) { brwWebBrowserProgressChange(p, max); };
  e.DownloadBegin = [this] { brwWebBrowserDownloadBegin(); };
  e.DocumentComplete = [this] { brwWebBrowserDocumentComplete(); };
  e.DownloadComplete = [this] { brwWebBrowserDownloadComplete(); };
  e.NavigateComplete2 = [this] { brwWebBrowserNavigateComplete2(); };
  e.PageProcessEnded = [this] { brwWebBrowserPageProcessEnded(); };
  e.PermissionRefused = [this](PageAsk ask) { brwWebBrowserPermissionRefused(ask); };
  e.PageWindowOpened = [this](PageWindowKind kind) { brwWebBrowserPageWindowOpened(kind); };
  e.PageNotResponding = [this] { brwWebBrowserPageNotResponding(); };
  e.ControlFocus = [this](const std::optional<reading::PageControl>& control, bool users) {
    brwWebBrowserControlFocus(control, users);
  };
  e.Typed = [this](const std::string& text) { brwWebBrowserTyped(text); };
  e.PageChanged = [this](int32_t characters) { Pages.PageChanged(characters); };
}

}  // namespace sonavia::shell
