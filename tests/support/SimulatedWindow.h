// The main window's behaviour on the simulated platform with every stand-in
// it needs: the virtual clock, the speech library, the scripted browser,
// the input recorder and the window list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "about/AboutBox.h"
#include "platform/Desktop.h"
#include "reading/ReadingList.h"
#include "shell/FormPrincipal.h"
#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::testing {

// The pages handed to the user's default browser.
struct RecordingDesktop : platform::Desktop {
  std::vector<std::string> opened;
  void OpenWebPage(const std::string& address) override { opened.push_back(address); }
};

struct SimulatedWindow {
  // `folder` is the folder the program is started from.
  explicit SimulatedWindow(std::string folder = "/w", uint32_t startTick = 0)
      : folder_(std::move(folder)), loop(startTick) {}

 private:
  std::string folder_;

 public:
  SimulatedEventLoop loop;
  FakeSpeechLibrary library{loop};
  ScriptedBrowser browser{loop};
  RecordingInput input;
  FakeWindowList windows;
  RecordingDesktop desktop;
  std::unique_ptr<reading::ReadingList> list = std::make_unique<reading::ReadingList>();
  about::TAboutBox about{loop, desktop};
  shell::TFormPrincipal main{loop,  library, browser,
                             input, windows, [this] { return folder_ + "/index.htm"; },
                             *list, about};

  // Runs until the engine has begun a unit holding `text`; false when none
  // has within `limit` ms.
  bool RunUntilReading(const std::string& text, uint64_t limit = 30000) {
    const uint64_t end = loop.Elapsed() + limit;
    while (loop.Elapsed() < end) {
      if (main.Speech.Speaking && list->Unit(list->UnitCursor).Text.find(text) != std::string::npos)
        return true;
      loop.RunFor(5);
    }
    return false;
  }
};

}  // namespace sonavia::testing
