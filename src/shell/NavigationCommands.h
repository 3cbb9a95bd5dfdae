// The commands that send the browser somewhere: open a file or take a
// dropped one, print, history, stop, reload, next frame, type an address,
// the maker's page, and the address box. They only start the navigation;
// the page events read what comes of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "platform/Input.h"
#include "platform/OpenDialog.h"
#include "reading/ReadingSequencer.h"
#include "shell/BrowserComponent.h"

namespace sonavia::shell {

inline constexpr const char* kOpenDialogTitle = "Obrir - \"Ombrix Sonavia\"";
inline constexpr const char* kOpenDialogFilter =
    "fitxers html (*.htm, *.html)|*.htm;*.html|Tot tipus de fitxers (*.*)|*.*";
// The address box lies this far above the browser area, near its left end.
inline constexpr int kAddressBoxAbove = 10;
inline constexpr int kAddressBoxLeft = 3;

// Where a text that is not an address is searched for.
inline constexpr const char* kSearchAddress = "https://duckduckgo.com/html/?q=";
// A text typed where an address goes: the address itself when it looks like
// one (a scheme, a path, a dot or a port in a single word), else a search
// for it.
std::string AddressOrSearch(const std::string& text);

// The window's controls and operations that the commands use.
struct NavigationWindow {
  platform::ComboBox& cboAddress;
  platform::OpenDialog& OpenFileDialog;
  std::function<void(const std::string&)> GoToAddress;
  std::function<void()> FocusPage;
  std::function<void(int)> PressKey;
  // The scanning's hold: a running scan pauses.
  std::function<void()> ScanHold;
  // The user asked for a page (GoToAddress says so itself).
  std::function<void()> PageAskedFor;
};

class NavigationCommands {
 public:
  NavigationCommands(NavigationWindow window, BrowserComponent& browser, platform::EventLoop& loop,
                     platform::Input& input, reading::ReadingSequencer& sequencer);

  void OpenFile();
  // Only the first file of a drop is opened.
  void DropFiles(const std::vector<std::string>& paths);
  void Print() { RunIfEnabled(OLECMDID_PRINT); }
  void SaveCopy() { RunIfEnabled(OLECMDID_SAVECOPYAS); }
  void Back();
  void Forward();
  void StopLoading();
  void Reload();
  void NextFrame();
  void TypeAddress();
  void OpenMakerPage();

  void AddressKeyDown(int virtualKey);
  void AddressClick();
  void AddressEnter() { editing_ = true; }
  // Leaving the box navigates nowhere: it shows the page being shown again,
  // whatever was typed and not sent.
  void AddressExit();
  // A page has completed: the box shows its address, unless the user is
  // typing there.
  void PageShown();

 private:
  void RunIfEnabled(int32_t command);
  void AskedFor() {
    if (w_.PageAskedFor) w_.PageAskedFor();
  }
  void Open(const std::string& address);
  void ShowShownAddress();

  NavigationWindow w_;
  BrowserComponent& browser_;
  platform::EventLoop& loop_;
  platform::Input& input_;
  reading::ReadingSequencer& sequencer_;
  bool editing_ = false;  // the address box has the keyboard
};

}  // namespace sonavia::shell
