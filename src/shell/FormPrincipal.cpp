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
            [this](bool show) { return ShowSwitchPlaces(show); },
            [this] { return Elements.Active(); }, [this] { Elements.Step(); },
            [this] { return Elements.Stop(); }}),
      SwitchPlaces(
          {mnuCanviLlegirLinksLectures, mnuCatala, mnuCastella, mnuTornarAComencar, mnuAnarALink,
           MenuMarcSeguent, mnuEscaneigParlat, mnuSilenciarPagina, mnuEscaneig},
          [this](const std::function<void()>& command) { Scan.RunChosenPlace(command); },
          [this] { OfferPageElements(); }),
      SpokenScan(buttons_, Sequencer, Speech, *TimerEscaneig),
      Elements({[this](const std::string& text) {
                  // Said within the step, as the scan's captions are.
                  if (!SpeechState.On()) return;
                  Sequencer.SpeakAside(text, controls::CaptionRate(text, TimerEscaneig->Interval(),
                                                                   Speech.AppliedRate));
                },
                [this](int first, int last) {
                  browser_.ShowPageElements(first, last);
                  // The reading's mark gives way while the elements are framed.
                  if (first < 0) Sequencer.Follower().SetEnabled(mnuMostrarLectura.Checked());
                },
                [this](int index) { browser_.PressPageElement(index); },
                [this] { return mnuCastella.Checked(); }}),
      Focus({mnuRepetirEscrit, [this] { return mnuCastella.Checked(); },
             [this](const std::string& text) { SayAside(text); }}),
      Presses(Scan, loop, *TimerPolsador,
              {[this] { ToolBarBotonsClick(); },
               [this, &list](int32_t link) {
                 // The link the user heard, even if the next has begun since.
                 list.LinkCursor = link;
                 mnuAnarALinkClick();
               },
               [this] {
                 if (!Elements.Active()) return false;
                 Elements.Press();
                 // A chosen group's first element gets a full step too.
                 if (Elements.Active()) Scan.ElementsOffered();
                 return true;
               }}),
      Commands(
          {SpeechState, mnuCanviLlegirLinksLectures, mnuCatala, mnuCastella, SpeedButtonAlLink,
           EditVelocitat, EnterArmed, HoverSpeechArmed, LastStatusText,
           [this] { ToolBarBotonsClick(); },
           [this](const std::string& address) { GoToAddress(address); },
           [this](int key) { PressKey(key); },
           [this](const std::string& text) { Pages.Notice(text); },
           [this] { return Focus.KeyboardInControl() && (!PageHasKeyboard || PageHasKeyboard()); },
           [this] { Pages.RenameControls(); }},
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
      Requests(loop, [this](const std::string& text) { Pages.Notice(text); }),
      Sound(loop, browser, Speech, mnuSilenciarPagina,
            [this](const std::string& text) { Pages.Notice(text); }),
      Files(loop, [this](const std::string& text) { Pages.Notice(text); }),
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
  Settings.SetEchoTyping(mnuRepetirEscrit, [this] { mnuRepetirEscritClick(); });
}

void TFormPrincipal::SayAside(const std::string& text) {
  if (SpeechState.On()) Sequencer.SpeakAside(text, Speech.AppliedRate);
}

void TFormPrincipal::OfferPageElements() {
  browser_.ListPageElements([this](PageElements found) {
    if (!mnuEscaneig.Checked()) return;
    // The reading's mark gives way to the elements' frame.
    Sequencer.Follower().SetEnabled(false);
    Elements.Start(std::move(found.elements), found.consent);
    if (Elements.Active()) {
      Scan.ElementsOffered();
    } else {
      Sequencer.Follower().SetEnabled(mnuMostrarLectura.Checked());
    }
    Notify();
  });
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
  Requests.Close();
  Files.Close();
  // The settings are written once speech is over, below.
  Autosave.Stop();
  Notices.Close();
  Sound.Close();
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
  main.Sound.Start();
  main.OpenStartPage();
}

}  // namespace sonavia::shell
