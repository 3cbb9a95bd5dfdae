// The main window's behaviour: its controls as plain objects, its start and
// close, and the shared operations GoToAddress, FocusPage and PressKey.
// The Qt view mirrors the controls and turns input into handler calls.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "about/AboutBox.h"
#include "controls/Favourites.h"
#include "controls/PageElementsScan.h"
#include "controls/PageZoom.h"
#include "controls/RateSteps.h"
#include "controls/ReadingCommands.h"
#include "controls/ReadingMoves.h"
#include "controls/ScanKeyboard.h"
#include "controls/Scanning.h"
#include "controls/SettingsAutosave.h"
#include "controls/SettingsFile.h"
#include "controls/SpeechSwitch.h"
#include "controls/SpokenScanning.h"
#include "controls/SwitchMenu.h"
#include "controls/SwitchPresses.h"
#include "controls/WordPrediction.h"
#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "platform/Input.h"
#include "platform/LibraryLoader.h"
#include "platform/OpenDialog.h"
#include "platform/VirtualKeys.h"
#include "platform/WindowList.h"
#include "reading/PageConverter.h"
#include "reading/ReadingList.h"
#include "reading/ReadingSequencer.h"
#include "shell/BrowserComponent.h"
#include "shell/NavigationCommands.h"
#include "shell/PageEvents.h"
#include "shell/PageFocus.h"
#include "shell/PageRequests.h"
#include "shell/PageSound.h"
#include "shell/SpeechNotices.h"
#include "speech/SpeechEngine.h"

namespace sonavia::shell {

inline constexpr int kButtonPitch = 62;
// The answers of actions that would otherwise be silent.
inline constexpr const char* kTypeAnAddress = "Escriviu l'adreça";
inline constexpr const char* kScreenReaderOffer =
    "Hi ha un lector de pantalla. Perquè només parli ell, activeu Deixar parlar el lector de "
    "pantalla, al menú Opcions de lectura.";
inline constexpr const char* kAboutBoxOpened = "Parlant de Sonavia. Retorn la tanca.";
inline constexpr const char* kRateWord = "Velocitat ";
// Said when scanning goes off; switched on, the scan's first step answers.
inline constexpr const char* kScanStopped =
    "Escaneig aturat. Premeu llarg per tornar-lo a engegar.";

class TFormPrincipal {
 public:
  TFormPrincipal(platform::EventLoop& loop, platform::LibraryLoader& loader,
                 BrowserComponent& browser, platform::Input& input, platform::WindowList& windows,
                 std::function<std::string()> startPagePath, reading::ReadingList& list,
                 about::TAboutBox& about);
  TFormPrincipal(const TFormPrincipal&) = delete;
  TFormPrincipal& operator=(const TFormPrincipal&) = delete;

  // Main menu, in order; a separator has the caption "-".
  platform::MenuItem Opcions1{"Opcions1"}, MenuObrir{"MenuObrir"}, MenuImprimir{"MenuImprimir"},
      MenuDesarcom{"MenuDesarcom"}, N7{"N7"}, mnuEndarrera{"mnuEndarrera"},
      mnuEndavant{"mnuEndavant"}, MenuPararlaCarrega{"MenuPararlaCarrega"},
      menuRecarregar{"menuRecarregar"}, MenuMarcSeguent{"MenuMarcSeguent"}, N6{"N6"},
      MenuEscriureDirectamentUnaAdesa{"MenuEscriureDirectamentUnaAdesa"}, N5{"N5"},
      mnuEscaneig{"mnuEscaneig"}, N2{"N2"}, mnuSortir{"mnuSortir"};
  // The page's zoom, after the browser commands.
  platform::MenuItem N8{"N8"}, mnuAmpliar{"mnuAmpliar"}, mnuReduir{"mnuReduir"},
      mnuMidaNormal{"mnuMidaNormal"};
  // The page's own sound, silenced or not.
  platform::MenuItem mnuSilenciarPagina{"mnuSilenciarPagina"};
  platform::MenuItem Control1{"Control1"}, mnuAnarALink{"mnuAnarALink"}, N4{"N4"},
      mnuParlar{"mnuParlar"}, mnuTornarAComencar{"mnuTornarAComencar"}, N3{"N3"},
      mnuCanviLlegirLinksLectures{"mnuCanviLlegirLinksLectures"}, N1{"N1"}, mnuCatala{"mnuCatala"},
      mnuCastella{"mnuCastella"};
  platform::MenuItem mnuEscaneigParlat{"mnuEscaneigParlat"};
  platform::MenuItem mnuMostrarLectura{"mnuMostrarLectura"};
  platform::MenuItem mnuLlenguaPagina{"mnuLlenguaPagina"};
  platform::MenuItem mnuRepetirEscrit{"mnuRepetirEscrit"};
  // Checked: the program says nothing, leaving the speaking to a screen
  // reader; the reading, its mark and every command go on.
  platform::MenuItem mnuDeixarLector{"mnuDeixarLector"};
  // The favourites: add, rename, remove, then the favourites themselves, the
  // first nine with Ctrl and their number.
  platform::MenuItem mnuPreferits{"mnuPreferits"}, mnuAfegirPreferit{"mnuAfegirPreferit"},
      mnuReanomenarPreferit{"mnuReanomenarPreferit"}, mnuTreurePreferit{"mnuTreurePreferit"},
      N9{"N9"};
  static constexpr size_t kFavouriteItems = 20;
  std::vector<std::unique_ptr<platform::MenuItem>> mnuPreferit;
  platform::MenuItem mnuLlegirArticle{"mnuLlegirArticle"};
  // The moves by heading, paragraph and sentence.
  platform::MenuItem MenuSaltar{"MenuSaltar"}, mnuTitolSeguent{"mnuTitolSeguent"},
      mnuTitolAnterior{"mnuTitolAnterior"}, mnuParagrafSeguent{"mnuParagrafSeguent"},
      mnuParagrafAnterior{"mnuParagrafAnterior"}, mnuFraseSeguent{"mnuFraseSeguent"},
      mnuFraseAnterior{"mnuFraseAnterior"};
  platform::MenuItem MenuParlantDe{"MenuParlantDe"};

  // Button toolbar, left to right.
  platform::Button SpeedButtonAnterior{"SpeedButtonAnterior"},
      SpeedButtonSeguent{"SpeedButtonSeguent"}, SpeedButtonPararCarrega{"SpeedButtonPararCarrega"},
      SpeedButtonRecarregar{"SpeedButtonRecarregar"},
      SpeedButtonMarcSeguent{"SpeedButtonMarcSeguent"}, SpeedButtonRePag{"SpeedButtonRePag"},
      SpeedButtonAvPag{"SpeedButtonAvPag"}, SpeedButtonTab{"SpeedButtonTab"},
      SpeedButtonAlLink{"SpeedButtonAlLink"}, SpeedButtonParlar{"SpeedButtonParlar"};
  platform::Label ImageQuelva2000{"ImageQuelva2000"};

  // Address toolbar.
  platform::ComboBox cboAddress{"cboAddress"};
  platform::Edit EditVelocitat{"EditVelocitat"};
  platform::Edit TextDecimesScan{"TextDecimesScan"};
  platform::Edit TextTimerParo{"TextTimerParo"};

  platform::Label StatusBar1{"StatusBar1"};
  // The status bar's own panel for the sound: empty while speech is heard.
  platform::Label StatusBarSo{"StatusBarSo"};
  platform::OpenDialog OpenFileDialog{"OpenFileDialog"};
  std::unique_ptr<platform::Timer> TimerEscaneig;
  std::unique_ptr<platform::Timer> TimerParo;
  std::unique_ptr<platform::Timer> TimerControlSituacio;
  // Measures a press of the switch: one that lasts it is a long press.
  std::unique_ptr<platform::Timer> TimerPolsador;
  // Runs the commands kept while the window took no input, once it does.
  std::unique_ptr<platform::Timer> TimerGuardades;
  // Speech on or off: mnuParlar's check mark and caption and the speech
  // button's caption.
  controls::SpeechSwitch SpeechState{mnuParlar, SpeedButtonParlar};

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool AcceptsDrops() const { return acceptDrops_; }
  // Whether the window takes the user's input; the page keeps its focus.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // A menu command whose key the user pressed while the window took no
  // input: it runs as soon as the window takes input again.
  void KeepForLater(platform::MenuItem& item);

  int ScanPosition = 0;
  int ScanLast = 0;
  int ScanFirst = 0;
  int ScanPitch = 0;
  bool EnterArmed = false;
  bool HoverSpeechArmed = false;
  std::string LastStatusText;

  speech::SpeechEngine Speech;
  reading::ReadingSequencer Sequencer;
  reading::PageConverter Converter;
  PageEvents Pages;
  controls::Scanning Scan;
  // The second cycle's places, after the nine buttons.
  controls::SwitchMenu SwitchPlaces;
  controls::SpokenScanning SpokenScan;
  // The second cycle's "Elements de la pàgina".
  controls::PageElementsScan Elements;
  // The scanning keyboard, with the words it offers.
  controls::WordPrediction Words;
  controls::ScanKeyboard Keyboard;
  // The user's named addresses, "Preferits".
  controls::Favourites Favs;
  // Where the user put the page's keyboard; typing heard.
  PageFocus Focus;
  controls::SwitchPresses Presses;
  controls::ReadingCommands Commands;
  // The second cycle's "Més ràpid" and "Més lent".
  controls::RateSteps Rates{EditVelocitat, Sequencer, Speech, [this] { return SpeechState.On(); }};
  // The article or the whole page, and the moves by heading, paragraph and
  // sentence.
  controls::ReadingMoves Moves;
  // Read at the end of FormCreate, written at the end of FormClose; the
  // program's entry gives it the file's path.
  controls::SettingsFile Settings{{mnuCatala, SpeechState, mnuEscaneig, EditVelocitat,
                                   TextDecimesScan, TextTimerParo, *TimerEscaneig, *TimerParo},
                                  Speech,
                                  [this] { mnuCastellaClick(); },
                                  [this] { Scan.Toggle(); }};
  NavigationCommands Navigation;
  controls::SettingsAutosave Autosave;
  SpeechNotices Notices;
  controls::PageZoom Zoom;
  PageRequests Requests;
  PageSound Sound;

  struct Menu {
    platform::MenuItem* title;
    std::vector<platform::MenuItem*> items;
  };
  const std::vector<Menu>& Menus() const { return menus_; }
  // Every button of the toolbar, hidden ones included, left to right.
  const std::vector<platform::Button*>& ToolbarButtons() const { return buttons_; }
  // Whether the item shows a check mark, which the behaviour sets.
  bool Checkable(const platform::MenuItem& item) const;

  void FormCreate();
  void FormClose();
  void FormDestroy();
  void mnuSortirClick();
  // The start page's path made an address, computed when it is needed.
  std::string StartPageAddress() const;
  // An address to open instead of the start page (one the program was
  // started with); empty for the start page.
  void SetStartAddress(std::string address) { startAddress_ = std::move(address); }
  void OpenStartPage();
  void GoToAddress(const std::string& address);
  void FocusPage();
  void PressKey(int virtualKey);
  // While the user moves the keyboard from one of the window's controls to
  // another (the view's keys for it), leaving an edit does not hand the
  // keyboard back to the page: FocusPage does nothing.
  void SetKeyboardMoving(bool moving) { keyboardMoving_ = moving; }
  void MenuParlantDeClick();
  // The brief answer to an action of the user's that shows nothing else
  // they can hear, in the item voice: over a unit being read (read again
  // after it), or alone.
  void SayBriefly(const std::string& text);

  // Files dropped on the window.
  void FormDropFiles(const std::vector<std::string>& paths) { Navigation.DropFiles(paths); }

  // The handlers of the other commands, controls, timers and browser
  // events; they come with the commands, scanning, settings and page
  // loading.
  void MenuObrirClick() { Navigation.OpenFile(); }
  void MenuImprimirClick() { Navigation.Print(); }
  void MenuDesarcomClick() { Navigation.SaveCopy(); }
  void mnuEndarreraClick() { Navigation.Back(); }
  void mnuEndavantClick() { Navigation.Forward(); }
  void MenuPararlaCarregaClick() { Navigation.StopLoading(); }
  void menuRecarregarClick() { Navigation.Reload(); }
  void MenuMarcSeguentClick() { Navigation.NextFrame(); }
  void MenuEscriureDirectamentUnaAdesaClick();
  // The scanning keyboard over the address box.
  void OpenKeyboard();
  // The current page among the favourites, named by its title.
  void mnuAfegirPreferitClick();
  // The current page's favourite renamed with the keyboard in the window.
  void mnuReanomenarPreferitClick();
  void mnuTreurePreferitClick();
  // The favourites' items show the list as it is now.
  void ShowFavourites();
  void mnuEscaneigClick();
  void mnuAnarALinkClick() { Commands.FollowLinkBeingRead(); }
  void mnuParlarClick() {
    Commands.SpeechOnOff();
    Sound.SpeechSwitched(SpeechState.On());
  }
  // The page as it is now, what arrived after it was read included.
  void mnuTornarAComencarClick() {
    Pages.TakeAgain([this] { Commands.Restart(); });
  }
  void mnuCanviLlegirLinksLecturesClick() { Commands.SwitchPageOrLinks(); }
  void mnuCatalaClick() { Commands.SelectLanguage(speech::Language::Catalan); }
  void mnuCastellaClick() { Commands.SelectLanguage(speech::Language::Castilian); }
  void mnuEscaneigParlatClick() { Scan.ToggleSpoken(); }
  void mnuMostrarLecturaClick();
  void mnuLlenguaPaginaClick();
  void mnuRepetirEscritClick() { mnuRepetirEscrit.SetChecked(!mnuRepetirEscrit.Checked()); }
  void mnuDeixarLectorClick() {
    mnuDeixarLector.SetChecked(!mnuDeixarLector.Checked());
    Speech.SetMuted(mnuDeixarLector.Checked());
  }
  // Whether the accessibility bus showed a screen reader at the start; the
  // start then offers the item above, once for good.
  void SetScreenReaderPresent(bool present) { screenReaderPresent_ = present; }
  void OfferScreenReaderItem();
  void mnuLlegirArticleClick() { Moves.SwitchArticle(); }
  void mnuTitolSeguentClick() { Moves.Move(reading::Place::Heading, true); }
  void mnuTitolAnteriorClick() { Moves.Move(reading::Place::Heading, false); }
  void mnuParagrafSeguentClick() { Moves.Move(reading::Place::Paragraph, true); }
  void mnuParagrafAnteriorClick() { Moves.Move(reading::Place::Paragraph, false); }
  void mnuFraseSeguentClick() { Moves.Move(reading::Place::Sentence, true); }
  void mnuFraseAnteriorClick() { Moves.Move(reading::Place::Sentence, false); }
  void mnuAmpliarClick() { Zoom.ZoomIn(); }
  void mnuReduirClick() { Zoom.ZoomOut(); }
  void mnuMidaNormalClick() { Zoom.Reset(); }
  void mnuSilenciarPaginaClick() { Sound.ToggleSilence(); }
  void SpeedButtonAnteriorClick() { Navigation.Back(); }
  void SpeedButtonSeguentClick() { Navigation.Forward(); }
  void SpeedButtonRePagClick() { Commands.PressPageKey(platform::kPageUpKey); }
  void SpeedButtonAvPagClick() { Commands.PressPageKey(platform::kPageDownKey); }
  void SpeedButtonTabClick() { Commands.PressPageKey(platform::kTabKey); }
  void SpeedButtonAlLinkClick() { Commands.GoToPointedLink(); }
  void ImageQuelva2000Click() { Navigation.OpenMakerPage(); }
  void ToolBarBotonsClick() { Scan.Hold(); }
  void ToolBarBotonsContextPopup() { mnuEscaneigClick(); }
  // While scanning is on, the view hands every left press and release on the
  // button toolbar here, not to the buttons: the press goes down on `button`,
  // or on the bare toolbar with nullptr.
  bool ToolBarBotonsTakesSwitch() const { return mnuEscaneig.Checked(); }
  void ToolBarBotonsSwitchDown(platform::Button* button) { Presses.Down(button); }
  void ToolBarBotonsSwitchUp() { Presses.Up(); }
  void TimerPolsadorTimer() { Presses.LongPressTimer(); }
  void TimerGuardadesTimer();
  // While scanning is off, the view hands here every left press the user
  // makes anywhere in the window (it goes on to its widget as well), the
  // pointer moving away while it is down, and its release: a long press
  // held still switches scanning on, and its release must then reach
  // nothing (FormSwitchUp says so).
  void FormSwitchDown() {
    if (enabled_) Presses.OffDown();
  }
  void FormSwitchMoved() { Presses.OffMoved(); }
  bool FormSwitchUp() { return Presses.OffUp(); }
  void cboAddressClick() { Navigation.AddressClick(); }
  void cboAddressEnter() {
    Commands.AddressBoxEntered();
    Navigation.AddressEnter();
  }
  void cboAddressExit() { Navigation.AddressExit(); }
  void cboAddressKeyDown(int virtualKey) { Navigation.AddressKeyDown(virtualKey); }
  void EditVelocitatChange();
  // Every plain press of Return or Enter that the user makes in the program's
  // window or its about box. While the window takes no input (a page just
  // announced) it follows nothing. Returns whether it followed a link (or
  // said why not); otherwise the key goes on to its window.
  bool ApplicationEvents1Message(int virtualKey) {
    return virtualKey == platform::kReturnKey && enabled_ && Commands.EnterKey();
  }
  void TextDecimesScanExit() { Scan.CheckStepEdit(); }
  void TextTimerParoExit() { Scan.CheckPauseEdit(); }
  void TimerEscaneigTimer() { Scan.Step(); }
  void TimerParoTimer() { Scan.EndHold(); }
  void TimerControlSituacioTimer() { Pages.WatchdogTick(); }
  void brwWebBrowserStatusTextChange(const std::string& text) { Pages.StatusTextChange(text); }
  void brwWebBrowserProgressChange(int32_t progress, int32_t progressMax) {
    Pages.ProgressChange(progress, progressMax);
  }
  void brwWebBrowserDownloadBegin() {
    Requests.NewPage();
    Sound.NewPage();
    Focus.PageLeft();
    Elements.Stop();
    Pages.DownloadBegin();
  }
  void brwWebBrowserControlFocus(const std::optional<reading::PageControl>& control, bool users) {
    Focus.FocusMoved(control, users);
  }
  void brwWebBrowserTyped(const std::string& text) { Focus.Typed(text); }
  void brwWebBrowserDocumentComplete() {
    Navigation.PageShown();
    Pages.DocumentComplete();
  }
  void brwWebBrowserDownloadComplete() { Pages.DownloadComplete(); }
  void brwWebBrowserNavigateComplete2() {}
  void brwWebBrowserPageProcessEnded() { Pages.PageProcessEnded(); }
  void brwWebBrowserPermissionRefused(PageAsk ask) { Requests.Refused(ask); }
  void brwWebBrowserPageWindowOpened(PageWindowKind kind) { Requests.WindowOpened(kind); }
  void brwWebBrowserPageNotResponding() { Pages.Notice(kPageNotResponding); }

  // Set by the view: whether the page view has the window's keyboard (not
  // the address box or an edit); none for always.
  std::function<bool()> PageHasKeyboard;
  // Set by the view: close the window as its close box does.
  std::function<void()> OnCloseRequested;
  std::function<void()> OnStateChanged;

 private:
  void Notify() {
    if (OnStateChanged) OnStateChanged();
  }
  void LayOutMenus();
  void LayOutToolbars();
  // Shows the second cycle's places, the logo giving them its room.
  int ShowSwitchPlaces(bool show);
  // The page's elements gathered and offered to the scan.
  void OfferPageElements();
  // What the keyboard is typing: an address (or a search), or the new name
  // of the favourite of `renaming_`.
  std::string renaming_;
  bool typingName_ = false;
  // The page's field the keyboard types in (from 0), or -1.
  int typingField_ = -1;
  // The text as the keyboard last typed it where it types.
  std::string typedShown_;
  // A field pressed among the page's elements, while scanning: the keyboard
  // types in it.
  void TypeInField(int index);
  // What the keyboard typed, done: opened as an address or searched.
  void KeyboardDone(const std::string& text);
  // A short text over the reading, in the item voice, with the reading on.
  void SayAside(const std::string& text);
  void WireHandlers();

  platform::EventLoop& loop_;
  BrowserComponent& browser_;
  platform::Input& input_;
  std::function<std::string()> startPagePath_;
  std::string startAddress_;
  about::TAboutBox& about_;
  reading::ReadingList& list_;
  std::string caption_ = kWindowCaption;
  bool acceptDrops_ = false;
  bool enabled_ = true;
  bool keyboardMoving_ = false;
  bool rateEditing_ = false;  // the rate edit has the keyboard
  bool screenReaderPresent_ = false;
  bool screenReaderOffered_ = false;  // kept in the settings
  std::vector<Menu> menus_;
  std::vector<platform::Button*> buttons_;
  // While the second cycle shows: whether each of the nine buttons showed.
  std::vector<bool> ninesShown_;
  std::vector<const platform::MenuItem*> checkable_;
  std::vector<platform::MenuItem*> kept_;
};

// The program's start once the application is initialised: the two
// windows' creation, the one-second splash, and the start page.
void StartProgram(TFormPrincipal& main, about::TAboutBox& about, platform::EventLoop& loop);

}  // namespace sonavia::shell
