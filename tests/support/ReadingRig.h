// The reading's parts wired as the window wires them, over the simulated
// loop and the fake speech library: a page converted into the list and
// read by the sequencer through the speech engine.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/Controls.h"
#include "reading/PageConverter.h"
#include "reading/ReadingList.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"
#include "support/FakeSpeechLibrary.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::testing {

struct ReadingRig {
  // `startPage` is the address the engine is told the program starts on.
  explicit ReadingRig(std::string startPage)
      : engine{library, *list, speedField, [startPage] { return startPage; }} {
    speedField.SetText("180");
  }

  // Runs `action` at the virtual time `time`.
  void At(uint64_t time, std::function<void()> action) {
    loop.Post(static_cast<uint32_t>(time - loop.Elapsed()), std::move(action));
  }
  bool Silent() const { return !engine.Speaking && !poll->Enabled(); }

  SimulatedEventLoop loop;
  FakeSpeechLibrary library{loop};
  std::unique_ptr<reading::ReadingList> list = std::make_unique<reading::ReadingList>();
  platform::Edit speedField{"EditVelocitat"};
  bool speechOn = true;
  speech::SpeechEngine engine;
  std::unique_ptr<platform::Timer> poll = loop.CreateTimer();
  reading::ReadingSequencer sequencer{*list,     engine, loop, *poll, [this] { return speechOn; },
                                      speedField};
  reading::PageConverter converter{*list, &sequencer};
};

}  // namespace sonavia::testing
