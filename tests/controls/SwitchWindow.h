// The whole window under simulated time, worked by a switch: presses of the
// switch on the button the pointer is on, and what the program says.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/FormPrincipal.h"
#include "support/SimulatedWindow.h"

namespace sonavia::testing {

using Lines = std::vector<std::string>;

// A page of text with three links, then text again.
inline constexpr const char* kLinksPage =
    "<body><p>Un. Dos.</p><p><a href=\"a.htm\">Primer</a> <a href=\"b.htm\">Segon</a> "
    "<a href=\"c.htm\">Tercer</a></p><p>Tres.</p></body>";

struct SwitchRig : SimulatedWindow {
  // Created: the window after its creation, a page of links known.
  explicit SwitchRig(bool speech = true) : SimulatedWindow("/w") {
    library.available = speech;
    ScriptedPage page;
    page.title = "Inici";
    page.body = kLinksPage;
    page.links = {"file:///w/a.htm", "file:///w/b.htm", "file:///w/c.htm"};
    browser.AddPage("file:///w/index.htm", page);
    main.FormCreate();
    about.FormCreate();
    // The second cycle is what most of these tests are about.
    main.Presses.SetLongPressOpens(true);
    main.TimerControlSituacio->SetEnabled(false);
  }

  // The client area starts at (100, 50) on the screen: button i is at
  // (120 + 62 i, 70). The index the pointer is on, or -1.
  int Pointer() const {
    const platform::Point p = input.pointer;
    if (p.y != 70 || (p.x - 120) % 62 != 0) return -1;
    return (p.x - 120) / 62;
  }
  // The index-th button shown, as the pointer finds it.
  platform::Button* ButtonAt(int index) {
    for (platform::Button* button : main.ToolbarButtons()) {
      if (button->Visible() && index-- == 0) return button;
    }
    return nullptr;
  }
  // The switch goes down on the button the pointer is on and comes up `ms`
  // later, the clock running meanwhile.
  void Press(uint32_t ms = 100) {
    main.ToolBarBotonsSwitchDown(ButtonAt(Pointer()));
    loop.RunFor(ms);
    main.ToolBarBotonsSwitchUp();
  }
  // The same, at `time` ms since the start.
  void PressAt(uint64_t time, uint32_t ms = 100) {
    At(time, [this] { main.ToolBarBotonsSwitchDown(ButtonAt(Pointer())); });
    At(time + ms, [this] { main.ToolBarBotonsSwitchUp(); });
  }
  void At(uint64_t time, std::function<void()> action) {
    loop.Post(static_cast<uint32_t>(time - loop.Elapsed()), std::move(action));
  }
  void RunTo(uint64_t time) { loop.RunFor(time - loop.Elapsed()); }
  // Runs until `done`, in 10 ms strides, for at most `ms`.
  bool RunUntil(const std::function<bool()>& done, uint64_t ms = 60000) {
    const uint64_t end = loop.Elapsed() + ms;
    while (!done() && loop.Elapsed() < end) loop.RunFor(10);
    return done();
  }

  // The texts handed to the library since `from` ms, "time text".
  Lines Said(uint64_t from = 0) const {
    Lines said;
    for (const auto& line : library.timeline) {
      const auto at = line.find(" Read(");
      if (at == std::string::npos || std::stoull(line) < from) continue;
      said.push_back(line.substr(0, at) + " " + line.substr(at + 6, line.size() - at - 8));
    }
    return said;
  }
  // The pointer's moves to a button, "time:index", in order.
  Lines moves;
  void WatchPointer() {
    input.onMove = [this] {
      moves.push_back(std::to_string(loop.Elapsed()) + ":" + std::to_string(Pointer()));
    };
  }

  void ScanOn(bool spoken) {
    if (spoken) main.mnuEscaneigParlat.Click();
    main.mnuEscaneig.Click();
  }
  // A page of `sentences` sentences, loaded and being read.
  void LoadLongPage(int sentences) {
    ScriptedPage page;
    page.title = "Llarga";
    page.body = "<body>";
    for (int i = 1; i <= sentences; ++i) page.body += "Una frase de la pàgina. ";
    page.body += "</body>";
    browser.AddPage("file:///w/llarga.htm", page);
    main.GoToAddress("file:///w/llarga.htm");
    RunUntil([this] { return main.HoverSpeechArmed; });
  }
  void LoadPage() {
    main.GoToAddress("file:///w/index.htm");
    RunUntil([this] { return main.HoverSpeechArmed; });
  }
  bool Navigated(const std::string& address) const {
    for (const auto& call : browser.calls) {
      if (call == "Navigate(" + address + ")") return true;
    }
    return false;
  }
};

class SwitchWindow : public ::testing::Test, protected SwitchRig {
 protected:
  explicit SwitchWindow(bool speech = true) : SwitchRig(speech) {}
};

}  // namespace sonavia::testing
