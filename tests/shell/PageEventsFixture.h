// The window's page events on the simulated platform, with the start page
// of three links that their tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/FormPrincipal.h"
#include "support/SimulatedWindow.h"

namespace sonavia::shell {

using Lines = std::vector<std::string>;

inline const char* const kPage =
    "<body><p>Un. <a href=\"a.htm\">Primer</a> dos. <a href=\"b.htm\">Segon</a> "
    "<a href=\"c%20d.htm\">Tercer</a> tres.</p></body>";

class PageEventsTest : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  explicit PageEventsTest(uint32_t startTick = 0) : SimulatedWindow("/w", startTick) {}

  void SetUp() override {
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = kPage;
    page.links = {"file:///w/a.htm", "file:///w/b.htm", "file:///w/c%20d.htm"};
    browser.AddPage("file:///w/index.htm", page);
    main.FormCreate();
    about.FormCreate();
    main.TimerControlSituacio->SetEnabled(false);  // the watchdog has tests of its own
  }

  void Load(const std::string& address = "file:///w/index.htm") {
    main.GoToAddress(address);
    loop.RunFor(0);
  }

  Lines Reads() const { return library.ReadsAndStops(); }
  Lines ReadTexts() const {
    Lines reads;
    for (const auto& call : library.calls) {
      if (call.rfind("Read(", 0) == 0) reads.push_back(call.substr(5, call.size() - 6));
    }
    return reads;
  }
  void At(uint64_t time, std::function<void()> action) {
    loop.Post(static_cast<uint32_t>(time - loop.Elapsed()), std::move(action));
  }
  // Runs until the engine speaks the unit `text`.
  bool RunUntilReading(const std::string& text) {
    for (int i = 0; i < 6000; ++i, loop.RunFor(5)) {
      if (main.Speech.Speaking && list->Unit(list->UnitCursor).Text == text) return true;
    }
    return false;
  }
};

}  // namespace sonavia::shell
