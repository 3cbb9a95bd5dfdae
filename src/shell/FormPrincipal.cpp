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
      TimerGuardades(loop.CreateTimer()),
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
            [this] { return Elements.Active() || Keyboard.Scanned() || Favs.Active(); },
            [this] {
              if (Keyboard.Scanned()) {
                Keyboard.Step();
              } else if (Favs.Active()) {
                Favs.Step();
              } else {
                Elements.Step();
              }
            },
            [this] {
              // A long press on the keyboard goes on to the second cycle at
              // once: a favourite stays three presses away from anywhere.
              Keyboard.Close();
              const bool choosing = Favs.Stop();
              return Elements.Stop() || choosing;
            },
            [this] { return Keyboard.Scanned(); }}),
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
                [this](int index) {
                  browser_.PressPageElement(index);
                  TypeInField(index);
                },
                [this] { return mnuCastella.Checked(); }}),
      Keyboard({[this](const std::string& text) {
                  // Said within the step, as the scan's captions are.
                  if (!SpeechState.On() || !Scan.Speaks()) return;
                  Sequencer.SpeakAside(text, controls::CaptionRate(text, TimerEscaneig->Interval(),
                                                                   Speech.AppliedRate));
                },
                [this] {
                  if (Keyboard.Open() && Keyboard.Text() != typedShown_) {
                    typedShown_ = Keyboard.Text();
                    if (typingField_ >= 0) {
                      browser_.TypeInPageElement(typingField_, typedShown_);
                    } else if (!typingName_) {
                      cboAddress.SetText(typedShown_);
                    }
                  }
                  Notify();
                },
                [this](const std::string& prefix) { return Words.Predict(prefix); },
                [this] { return mnuCastella.Checked(); },
                [this](const std::string& text) { KeyboardDone(text); },
                [this] {
                  // Closed over a page's field, the field keeps the keyboard.
                  const bool field = typingField_ >= 0;
                  typingField_ = -1;
                  if (!field) FocusPage();
                }}),
      Favs({[this] { return StartPageAddress(); },
            [this](const std::string& name) {
              StatusBar1.SetText(name);
              if (!SpeechState.On()) return;
              Sequencer.SpeakAside(
                  name, controls::CaptionRate(name, TimerEscaneig->Interval(), Speech.AppliedRate));
            },
            [this](const std::string& address) {
              try {
                GoToAddress(address);
              } catch (const BrowserError&) {
              }
            }}),
      Focus({mnuRepetirEscrit, [this] { return mnuCastella.Checked(); },
             [this](const std::string& text) { SayBriefly(text); }}),
      Presses(Scan, loop, *TimerPolsador,
              {[this] { ToolBarBotonsClick(); },
               [this, &list](int32_t link) {
                 // The link the user heard, even if the next has begun since.
                 list.LinkCursor = link;
                 mnuAnarALinkClick();
               },
               [this] {
                 if (Keyboard.Scanned()) {
                   Keyboard.Press();
                   // The next row or key gets a full step.
                   if (Keyboard.Scanned()) Scan.ElementsOffered();
                   return true;
                 }
                 if (Favs.Active()) {
                   Favs.Press();
                   return true;
                 }
                 if (!Elements.Active()) return false;
                 Elements.Press();
                 // A chosen group's first element gets a full step too.
                 if (Elements.Active()) Scan.ElementsOffered();
                 return true;
               },
               [this] { mnuEscaneigClick(); }}),
      Commands(
          {SpeechState, mnuCanviLlegirLinksLectures, mnuCatala, mnuCastella, SpeedButtonAlLink,
           EditVelocitat, EnterArmed, HoverSpeechArmed, LastStatusText,
           [this] { ToolBarBotonsClick(); },
           [this](const std::string& address) { GoToAddress(address); },
           [this](int key) { PressKey(key); },
           [this](const std::string& text) { Pages.Notice(text); },
           [this] { return Focus.KeyboardInControl() && (!PageHasKeyboard || PageHasKeyboard()); },
           [this] { Pages.RenameControls(); },
           [this](const std::string& text) { SayBriefly(text); }},
          list, Sequencer, Speech),
      Moves({SpeechState, mnuLlegirArticle,
             [this](reading::ReadingMode mode) { Commands.SetReadingMode(mode); },
             [this] { return mnuCastella.Checked(); }, [this] { ToolBarBotonsClick(); },
             [this]() -> const reading::ReadingPlaces& { return Pages.Places(); },
             [this] { return Pages.HasArticle(); }, [this] { return Pages.ReadAgain(); }},
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
      loop_(loop),
      browser_(browser),
      input_(input),
      startPagePath_(std::move(startPagePath)),
      about_(about),
      list_(list) {
  LayOutMenus();
  Pages.SetArticleChoice([this] { return mnuLlegirArticle.Checked(); });
  // The second cycle's places for the article and the moves, after the
  // others.
  const auto caption = [](const char* words) { return [words] { return std::string(words); }; };
  const auto any = [this](reading::Place place) {
    return [this, place] { return Pages.Places().Any(place); };
  };
  SwitchPlaces.AddPlaces(
      {{"SpeedButtonEscArticle", mnuLlegirArticle,
        [this] { return std::string(mnuLlegirArticle.Checked() ? "Pàgina\nsencera" : "Article"); }},
       {"SpeedButtonEscTitolSeg", mnuTitolSeguent, caption("Títol\nsegüent"),
        any(reading::Place::Heading)},
       {"SpeedButtonEscTitolAnt", mnuTitolAnterior, caption("Títol\nanterior"),
        any(reading::Place::Heading)},
       {"SpeedButtonEscParagrafSeg", mnuParagrafSeguent, caption("Paràgraf\nsegüent"),
        any(reading::Place::Paragraph)},
       {"SpeedButtonEscParagrafAnt", mnuParagrafAnterior, caption("Paràgraf\nanterior"),
        any(reading::Place::Paragraph)},
       {"SpeedButtonEscFraseSeg", mnuFraseSeguent, caption("Frase\nsegüent"),
        any(reading::Place::Paragraph)},
       {"SpeedButtonEscFraseAnt", mnuFraseAnterior, caption("Frase\nanterior"),
        any(reading::Place::Paragraph)}});
  LayOutToolbars();
  WireHandlers();
  SwitchPlaces.SetMore({[this] { OpenKeyboard(); },
                        [this] {
                          Favs.Start();
                          if (Favs.Active()) Scan.ElementsOffered();
                        },
                        [this] { mnuAfegirPreferitClick(); }, [this] { Rates.Faster(); },
                        [this] { Rates.Slower(); }, [this] { return mnuParlar.Enabled(); }});
  ShowSwitchPlaces(false);
  TimerGuardades->SetInterval(1);
  TimerGuardades->SetEnabled(false);
  Sequencer.Follower().SetView(&browser_);
  Sequencer.SetLinkListener(&Scan);
  Sequencer.SetBeforeUnit([this] { Rates.BeforeUnit(); });
  Settings.SetShowReading(mnuMostrarLectura, [this] { mnuMostrarLecturaClick(); });
  Settings.SetSwitchSettings({mnuEscaneigParlat, [this] { mnuEscaneigParlatClick(); },
                              [this] { return Presses.IgnoreTenths(); },
                              [this](int tenths) { Presses.SetIgnoreTenths(tenths); },
                              [this] { return Scan.DelayAfterPress(); },
                              [this](bool on) { Scan.SetDelayAfterPress(on); },
                              [this] { return Presses.LongPressOpens(); },
                              [this](bool on) { Presses.SetLongPressOpens(on); }});
  Settings.SetZoom(Zoom);
  Settings.SetPageLanguage(mnuLlenguaPagina, [this] { mnuLlenguaPaginaClick(); });
  Settings.SetEchoTyping(mnuRepetirEscrit, [this] { mnuRepetirEscritClick(); });
  Settings.SetScreenReader(
      mnuDeixarLector, [this] { mnuDeixarLectorClick(); }, screenReaderOffered_);
  Settings.SetReadArticle(mnuLlegirArticle,
                          [this] { mnuLlegirArticle.SetChecked(!mnuLlegirArticle.Checked()); });
}

void TFormPrincipal::SayBriefly(const std::string& text) {
  if (Speech.Loaded()) Sequencer.SpeakAside(text, Speech.AppliedRate);
}

void TFormPrincipal::mnuEscaneigClick() {
  Scan.Toggle();
  // A switch user who stopped it hears how to get it back.
  if (!mnuEscaneig.Checked()) SayBriefly(kScanStopped);
}

void TFormPrincipal::MenuEscriureDirectamentUnaAdesaClick() {
  Navigation.TypeAddress();
  SayBriefly(kTypeAnAddress);
  // A switch user types with the keyboard in the window.
  if (mnuEscaneig.Checked()) OpenKeyboard();
}

void TFormPrincipal::mnuAfegirPreferitClick() {
  const std::string address = list_.PageAddress;
  if (address.empty()) return;
  const std::string name = Favs.Add(address, list_.PageTitle.empty() ? address : list_.PageTitle);
  ShowFavourites();
  Pages.Notice("Afegit als preferits: " + name);
}

void TFormPrincipal::mnuReanomenarPreferitClick() {
  for (const controls::Favourite& f : Favs.List()) {
    if (f.address != list_.PageAddress || f.address == StartPageAddress()) continue;
    renaming_ = f.address;
    typingName_ = true;
    typingField_ = -1;
    typedShown_ = f.name;
    Keyboard.Open(f.name, mnuEscaneig.Checked());
    if (Keyboard.Scanned()) Scan.ElementsOffered();
    return;
  }
  Pages.Notice("Aquesta pàgina no és als preferits");
}

void TFormPrincipal::mnuTreurePreferitClick() {
  if (Favs.Remove(list_.PageAddress)) {
    ShowFavourites();
    Pages.Notice("Tret dels preferits");
  } else {
    Pages.Notice("Aquesta pàgina no és als preferits");
  }
}

void TFormPrincipal::ShowFavourites() {
  const std::vector<controls::Favourite> list = Favs.List();
  for (size_t i = 0; i < mnuPreferit.size(); ++i) {
    platform::MenuItem& item = *mnuPreferit[i];
    item.SetVisible(i < list.size());
    if (i >= list.size()) continue;
    // Its number underlined, for the first nine; "&" in a name is no mark.
    std::string name;
    for (const char c : list[i].name) name += c == '&' ? std::string("&&") : std::string(1, c);
    std::string caption;
    if (i < 9) caption.append("&").append(std::to_string(i + 1)).append(" ");
    item.SetCaption(caption.append(name));
    const std::string address = list[i].address;
    item.OnClick = [this, address] {
      try {
        GoToAddress(address);
      } catch (const BrowserError&) {
      }
    };
  }
}

void TFormPrincipal::TypeInField(int index) {
  const reading::PageControl* field = Elements.Element(static_cast<size_t>(index));
  if (field == nullptr || !mnuEscaneig.Checked()) return;
  // A password is never shown in large letters on the screen.
  if (field->kind != reading::ControlKind::TextField &&
      field->kind != reading::ControlKind::TextArea)
    return;
  typingName_ = false;
  typingField_ = index;
  typedShown_ = field->value;
  Keyboard.Open(field->value, true);
  if (Keyboard.Scanned()) Scan.ElementsOffered();
}

void TFormPrincipal::OpenKeyboard() {
  typingName_ = false;
  typingField_ = -1;
  typedShown_ = cboAddress.Text();
  std::vector<std::string> page;
  for (int32_t i = 1; i <= list_.UnitCount && i <= reading::UnitCapacity; ++i)
    page.push_back(list_.Units[static_cast<size_t>(i)].Text);
  Words.SetPage(page);
  Words.SetOwnWords(cboAddress.Items());
  Keyboard.Open(cboAddress.Text(), mnuEscaneig.Checked());
  if (Keyboard.Scanned()) Scan.ElementsOffered();
}

void TFormPrincipal::KeyboardDone(const std::string& text) {
  if (typingField_ >= 0) {
    // "Fet" is Enter in the field: the page sends its form.
    typingField_ = -1;
    PressKey(platform::kReturnKey);
    return;
  }
  if (typingName_) {
    typingName_ = false;
    if (Favs.Rename(renaming_, text)) ShowFavourites();
    return;
  }
  if (text.empty()) {
    FocusPage();
    return;
  }
  try {
    GoToAddress(AddressOrSearch(text));
  } catch (const BrowserError&) {
  }
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
  // The places take the nine buttons' room, so that all of them fit on the
  // screen; the nine come back as they were. They go before the places come
  // and come back after the places go: the row never needs more room than
  // the window has.
  const size_t nine = buttons_.size() - SwitchPlaces.Buttons().size();
  auto hideNine = [this, nine] {
    if (!ninesShown_.empty()) return;
    for (size_t i = 0; i < nine; ++i) {
      ninesShown_.push_back(buttons_[i]->Visible());
      buttons_[i]->SetVisible(false);
    }
  };
  auto restoreNine = [this, nine] {
    for (size_t i = 0; i < nine && i < ninesShown_.size(); ++i)
      buttons_[i]->SetVisible(ninesShown_[i]);
    ninesShown_.clear();
  };
  if (show) hideNine();
  const int shown = SwitchPlaces.Show(show);
  if (!show || shown == 0) restoreNine();
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
  // After the handler that gave the input back has run its course.
  if (enabled && !kept_.empty()) TimerGuardades->SetEnabled(true);
  Notify();
}

void TFormPrincipal::TimerGuardadesTimer() {
  TimerGuardades->SetEnabled(false);
  std::vector<platform::MenuItem*> kept;
  kept.swap(kept_);
  for (platform::MenuItem* item : kept) {
    // One of them may hold the window again: the rest wait once more.
    if (!enabled_) {
      kept_.push_back(item);
    } else if (item->Enabled()) {
      item->Click();
    }
  }
}

void TFormPrincipal::KeepForLater(platform::MenuItem& item) {
  // A few, in the order pressed: enough for a user who did not hear the
  // window was busy, and no more.
  constexpr size_t kMostKept = 4;
  if (kept_.size() < kMostKept) kept_.push_back(&item);
  if (enabled_) TimerGuardades->SetEnabled(true);
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
    for (platform::MenuItem* item :
         {&mnuLlegirArticle, &mnuTitolSeguent, &mnuTitolAnterior, &mnuParagrafSeguent,
          &mnuParagrafAnterior, &mnuFraseSeguent, &mnuFraseAnterior}) {
      item->SetEnabled(false);
    }
    ScanLast -= 1;  // the speech button has left the toolbar
  }
  LastStatusText.clear();
  acceptDrops_ = true;
  Notify();
  EnterArmed = true;
  Settings.ReadAndApply();
  Autosave.Start();
  ShowFavourites();
}

void TFormPrincipal::FormClose() {
  // A page completing during the wait below must not start a reading.
  Pages.Close();
  Requests.Close();
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

void TFormPrincipal::OfferScreenReaderItem() {
  if (!screenReaderPresent_ || screenReaderOffered_ || mnuDeixarLector.Checked()) return;
  screenReaderOffered_ = true;
  Pages.Notice(kScreenReaderOffer);
}

void TFormPrincipal::EditVelocitatChange() {
  Commands.RateChanged();
  // Only what the user types is answered, with the rate now in force (the
  // one refused while a sentence is spoken).
  if (rateEditing_) SayBriefly(kRateWord + EditVelocitat.Text());
}

void TFormPrincipal::MenuParlantDeClick() {
  SayBriefly(kAboutBoxOpened);
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
  main.OfferScreenReaderItem();
  main.Sound.Start();
  main.OpenStartPage();
}

}  // namespace sonavia::shell
