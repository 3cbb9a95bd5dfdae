#include "shell/NavigationCommands.h"

#include <cctype>
#include <string_view>

#include "about/AboutBox.h"
#include "platform/FileAddress.h"
#include "platform/VirtualKeys.h"
#include "reading/PageConverter.h"

namespace sonavia::shell {

namespace {

// Runs one call into the component; its errors are nobody's business:
// going back on the first page, for one, simply does nothing.
template <typename F>
void Guarded(F&& call) {
  try {
    call();
  } catch (const BrowserError&) {
  }
}

// An address with its %XX escapes read, and without a final "/": the box
// keeps an address as it was given while it names the page shown.
std::string Plain(std::string_view address) {
  std::string plain;
  for (size_t i = 0; i < address.size(); ++i) {
    if (address[i] == '%' && i + 2 < address.size() &&
        std::isxdigit(static_cast<unsigned char>(address[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(address[i + 2]))) {
      plain += static_cast<char>(std::stoi(std::string(address.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      plain += address[i];
    }
  }
  if (!plain.empty() && plain.back() == '/') plain.pop_back();
  return plain;
}

}  // namespace

std::string AddressOrSearch(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::string typed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  const bool oneWord = typed.find(' ') == std::string::npos;
  if (oneWord && (typed.find_first_of(".:/") != std::string::npos || typed[0] == '~')) return typed;
  std::string address = kSearchAddress;
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : typed) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 && byte < 0x80) {
      address += c;
    } else if (c == ' ') {
      address += '+';
    } else if (c == '-' || c == '_' || c == '.' || c == '~') {
      address += c;
    } else {
      address += '%';
      address += kHex[byte >> 4];
      address += kHex[byte & 15];
    }
  }
  return address;
}

NavigationCommands::NavigationCommands(NavigationWindow window, BrowserComponent& browser,
                                       platform::EventLoop& loop, platform::Input& input,
                                       reading::ReadingSequencer& sequencer)
    : w_(std::move(window)), browser_(browser), loop_(loop), input_(input), sequencer_(sequencer) {}

void NavigationCommands::Open(const std::string& address) {
  Guarded([&] { w_.GoToAddress(address); });
}

void NavigationCommands::OpenFile() {
  // The reading stops first, whatever the user then chooses.
  sequencer_.StartReadingAt(0);
  const auto path = w_.OpenFileDialog.Execute();
  if (path) Open(platform::FileAddress(*path));
}

void NavigationCommands::DropFiles(const std::vector<std::string>& paths) {
  // The reading goes on: the download that follows stops it.
  if (!paths.empty()) Open(platform::FileAddress(paths.front()));
}

void NavigationCommands::RunIfEnabled(int32_t command) {
  Guarded([&] {
    if ((browser_.QueryStatusWB(command) & OLECMDF_ENABLED) != 0)
      browser_.ExecWB(command, OLECMDEXECOPT_PROMPTUSER);
  });
}

void NavigationCommands::Back() {
  AskedFor();
  Guarded([&] { browser_.GoBack(); });
}

void NavigationCommands::Forward() {
  AskedFor();
  Guarded([&] { browser_.GoForward(); });
}

void NavigationCommands::StopLoading() {
  Guarded([&] { browser_.Stop(); });
}

void NavigationCommands::Reload() {
  AskedFor();
  Guarded([&] { browser_.Refresh(); });
}

void NavigationCommands::NextFrame() {
  w_.ScanHold();
  // The page moves to its next frame when it has the keyboard.
  w_.PressKey(platform::kF6Key);
}

void NavigationCommands::TypeAddress() {
  // A click into the address box, as a user's would be; the pointer ends
  // where it was, so a scanning pointer is not disturbed.
  const platform::Point saved = input_.CursorPos();
  const platform::Point box{kAddressBoxLeft, input_.BrowserTop() - kAddressBoxAbove};
  input_.SetCursorPos(input_.ClientToScreen(box));
  input_.ClickWindow(box);
  loop_.ProcessMessages();
  input_.SetCursorPos(saved);
}

void NavigationCommands::OpenMakerPage() {
  Open(about::kMakerAddress);
}

void NavigationCommands::AddressKeyDown(int virtualKey) {
  if (virtualKey == platform::kReturnKey) AddressClick();
}

void NavigationCommands::AddressClick() {
  // What the user typed goes as it is, and stays out of the list.
  AskedFor();
  Guarded([&] { browser_.Navigate(w_.cboAddress.Text()); });
}

void NavigationCommands::AddressExit() {
  editing_ = false;
  ShowShownAddress();
  w_.FocusPage();
}

void NavigationCommands::PageShown() {
  if (!editing_ && !browser_.Busy()) ShowShownAddress();
}

void NavigationCommands::ShowShownAddress() {
  Guarded([&] {
    const std::string address = browser_.LocationURL();
    if (address.empty() || Plain(address) == Plain(w_.cboAddress.Text())) return;
    w_.cboAddress.SetText(address.substr(0, reading::kMaxAddressLength));
  });
}

}  // namespace sonavia::shell
