// A start is never silent without a word: speech kept off from the last run
// is announced once, in the item voice and the language in force, with the
// key that turns it on; and the status bar's sound panel says when nothing
// can be heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/SimulatedWindow.h"
#include "support/TempDir.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

const char* const kNoSound = "No es pot reproduir cap so: la lectura no se sent";

// One run of the program, started with `stored` as its settings file.
struct StartedRun : testing::SimulatedWindow {
  explicit StartedRun(const std::string& stored, bool withLibrary = true, int32_t sound = 1)
      : SimulatedWindow("/w") {
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = "<body><p>Una frase. Una altra frase.</p></body>";
    browser.AddPage("file:///w/index.htm", page);
    library.available = withLibrary;
    library.sound = sound;
    testing::WriteBytes(path, "[Ombrix Sonavia]\n" + stored);
    main.Settings.SetPath(path);
    StartProgram(main, about, loop);
  }

  // What was read, in order.
  Lines Reads() const {
    Lines reads;
    for (const auto& call : library.calls) {
      if (call.rfind("Read(", 0) == 0) reads.push_back(call);
    }
    return reads;
  }

  testing::TempDir dir;
  std::string path = dir.File("Quelva2001.ini");
};

TEST(SpeechNotices, AStartWithSpeechOffSaysSoOnceInTheItemVoiceAndItsLanguage) {
  struct Case {
    const char* name;
    const char* stored;
    Lines voice;  // the language and speaker sent just before it
    const char* said;
  } const cases[] = {
      {"Catalan",
       "Parlar=no\n",
       {"SetLanguage(99)", "SetSpeaker(2)"},
       "Read(La lectura està aturada. Premeu F3 per activar-la. )"},
      {"Castilian",
       "Llengua=Castellà\nParlar=no\n",
       {"SetLanguage(101)", "SetSpeaker(0)"},
       "Read(La lectura está detenida. Pulse F3 para activarla. )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartedRun run(c.stored);
    run.loop.RunFor(20000);  // the start page loads, in silence
    EXPECT_EQ(run.Reads(), Lines{c.said});
    const auto& calls = run.library.calls;
    const auto at = std::find(calls.begin(), calls.end(), c.said);
    ASSERT_GE(at - calls.begin(), 2);
    EXPECT_EQ(Lines(at - 2, at), c.voice);
    EXPECT_FALSE(run.main.mnuParlar.Checked()) << "the setting is kept";
    EXPECT_EQ(run.main.SpeedButtonParlar.Caption(), "Parlar");
  }
}

TEST(SpeechNotices, NothingIsSaidBeforeThePageWhenSpeechIsOnOrThereIsNoLibrary) {
  {
    StartedRun run("Parlar=sí\n");
    const Lines before = run.Reads();
    EXPECT_TRUE(before.empty()) << before.front();
    run.loop.RunFor(20000);
    ASSERT_FALSE(run.Reads().empty());
    EXPECT_EQ(run.Reads().front(), "Read(Pàgina carregada )") << "the page comes first";
  }
  {
    StartedRun run("Parlar=no\n", false);
    run.loop.RunFor(20000);
    EXPECT_TRUE(run.Reads().empty());
    EXPECT_EQ(run.main.StatusBarSo.Text(), "") << "no speech at all: nothing about its sound";
  }
}

TEST(SpeechNotices, TheSoundPanelSaysWhileNothingCanBeHeardAndFollowsTheLibrary) {
  struct Case {
    const char* name;
    int32_t atStart;
    const char* shown;
  } const cases[] = {
      {"heard", 1, ""},
      {"no sound server", 0, kNoSound},
      {"still looking for one", -1, kNoSound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartedRun run("", true, c.atStart);
    EXPECT_EQ(run.main.StatusBarSo.Text(), c.shown) << "when the splash ends";
  }
  StartedRun run("", true, 0);
  run.library.sound = 1;  // the server comes
  run.loop.RunFor(1000);
  EXPECT_EQ(run.main.StatusBarSo.Text(), "");
  run.library.sound = 0;  // and goes
  run.loop.RunFor(1000);
  EXPECT_EQ(run.main.StatusBarSo.Text(), kNoSound);
  EXPECT_EQ(run.main.StatusBar1.Text().find("so"), std::string::npos)
      << "the browser's panel is its own";
}

}  // namespace
}  // namespace sonavia::shell
