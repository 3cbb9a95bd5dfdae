#include "speech/SpeechEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/UnitTools.h"
#include "support/FakeSpeechLibrary.h"

namespace sonavia::speech {
namespace {

using Calls = std::vector<std::string>;

class SpeechEngineTest : public ::testing::Test {
 protected:
  testing::SimulatedEventLoop loop;
  testing::FakeSpeechLibrary library{loop};
  std::unique_ptr<reading::ReadingList> list = std::make_unique<reading::ReadingList>();
  platform::Edit speedField{"EditVelocitat"};
  SpeechEngine engine{library, *list, speedField,
                      [] { return std::string("file:///home/u/index.htm"); }};

  void SetUp() override { speedField.SetText("180"); }
  void Start() {
    ASSERT_FALSE(engine.LoadSpeechEngine());
    library.ClearLog();
  }
};

TEST_F(SpeechEngineTest, LoadSendsOnlyTheDefaultRateAndSetsTheReadingState) {
  list->PageTitle = "old";
  list->WorkingText = "w";
  list->MarkedText = "m";
  EXPECT_FALSE(engine.LoadSpeechEngine());
  EXPECT_EQ(library.calls, (Calls{"Load", "SetSpeed(140)"}));
  EXPECT_TRUE(engine.Loaded());
  EXPECT_EQ(engine.AppliedRate, 140);
  EXPECT_TRUE(engine.TextVoiceActive);
  EXPECT_TRUE(engine.CatalanActive);
  EXPECT_FALSE(engine.Speaking);
  EXPECT_EQ(list->PageAddress, "file:///home/u/index.htm");
  EXPECT_EQ(list->ReadingMode, reading::ReadingMode::Page);
  EXPECT_TRUE(list->PageTitle.empty() && list->WorkingText.empty() && list->MarkedText.empty());
  EXPECT_EQ(speedField.Text(), "180");
}

TEST_F(SpeechEngineTest, WithoutTheLibraryEverythingIsHarmless) {
  library.available = false;
  list->PageTitle = "old";
  EXPECT_TRUE(engine.LoadSpeechEngine());
  EXPECT_FALSE(engine.Loaded());
  EXPECT_EQ(list->PageTitle, "");
  EXPECT_EQ(list->PageAddress, "file:///home/u/index.htm");
  speedField.SetText("abc");
  engine.UseItemVoice();
  engine.SelectCastilian();
  engine.SpeakMessage("hola");
  engine.upcTVStop();
  EXPECT_EQ(engine.upcTVStatus(), 0);
  EXPECT_TRUE(engine.ReloadSpeechEngine());
  engine.SetSpeechRate(200);
  EXPECT_EQ(engine.AppliedRate, 200);
  engine.FreeSpeechEngine();
  EXPECT_TRUE(library.calls.empty());
  EXPECT_EQ(speedField.Text(), "abc");   // never read, never rewritten
  EXPECT_FALSE(engine.TextVoiceActive);  // the flags still follow the switches
  EXPECT_FALSE(engine.CatalanActive);
}

TEST_F(SpeechEngineTest, SpeedFieldAtAReload) {
  struct Case {
    const char* field;
    int32_t sent;
    const char* fieldAfter;
  };
  const Case cases[] = {
      {"0", 140, "140"}, {"256", 140, "140"}, {"abc", 140, "140"},         {"", 140, "140"},
      {"1", 1, "1"},     {"255", 255, "255"}, {"120 abc", 120, "120 abc"}, {"-5", 140, "140"},
      {" 90", 90, " 90"}};
  for (const auto& c : cases) {
    SpeechEngine fresh{library, *list, speedField, [] { return std::string("file:///index.htm"); }};
    ASSERT_FALSE(fresh.LoadSpeechEngine());
    speedField.SetText(c.field);
    library.ClearLog();
    fresh.UseItemVoice();
    EXPECT_EQ(library.calls, (Calls{"Free", "Load", "SetSpeed(" + std::to_string(c.sent) + ")",
                                    "SetLanguage(99)", "SetSpeaker(2)"}))
        << c.field;
    EXPECT_EQ(speedField.Text(), c.fieldAfter) << c.field;
    EXPECT_EQ(fresh.AppliedRate, c.sent) << c.field;
    fresh.FreeSpeechEngine();
  }
}

TEST_F(SpeechEngineTest, RewritingTheFieldRunsItsChangeHandlingInsideTheReload) {
  Start();
  speedField.OnChange = [&] { engine.SetSpeechRate(platform::ReadWholeNumber(speedField.Text())); };
  speedField.SetText("abc");  // the handler's own reload reads "abc" and rewrites it
  EXPECT_EQ(speedField.Text(), "140");
  EXPECT_EQ(engine.AppliedRate, 140);
  EXPECT_EQ(library.rate, 140);
  EXPECT_EQ(library.frees, library.loads - 1);  // exactly one library left loaded
}

TEST_F(SpeechEngineTest, VoiceAndLanguageSwitches) {
  Start();
  engine.UseTextVoice();
  EXPECT_TRUE(library.calls.empty()) << "the text voice is already selected";
  engine.UseItemVoice();
  EXPECT_EQ(library.calls,
            (Calls{"Free", "Load", "SetSpeed(180)", "SetLanguage(99)", "SetSpeaker(2)"}));
  library.ClearLog();
  engine.UseItemVoice();
  EXPECT_TRUE(library.calls.empty());
  engine.SelectCastilian();
  EXPECT_EQ(library.calls,
            (Calls{"Free", "Load", "SetSpeed(180)", "SetLanguage(101)", "SetSpeaker(0)"}));
  library.ClearLog();
  engine.UseTextVoice();
  EXPECT_EQ(library.calls,
            (Calls{"Free", "Load", "SetSpeed(180)", "SetLanguage(101)", "SetSpeaker(1)"}));
  library.ClearLog();
  engine.SelectCastilian();
  EXPECT_TRUE(library.calls.empty());
  engine.SelectCatalan();
  EXPECT_EQ(library.calls,
            (Calls{"Free", "Load", "SetSpeed(180)", "SetLanguage(99)", "SetSpeaker(0)"}));
  EXPECT_TRUE(engine.CatalanActive);
  EXPECT_TRUE(engine.TextVoiceActive);
}

TEST_F(SpeechEngineTest, SwitchWhileSpeakingStopsFirst) {
  Start();
  const std::vector<std::function<void()>> switches = {[&] { engine.UseItemVoice(); },
                                                       [&] { engine.SelectCastilian(); },
                                                       [&] { engine.SetSpeechRate(150); }};
  for (const auto& doSwitch : switches) {
    engine.upcTVRead("UNA FRASE ");
    engine.Speaking = true;
    library.ClearLog();
    doSwitch();
    ASSERT_FALSE(library.calls.empty());
    EXPECT_EQ(library.calls.front(), "Stop");
    EXPECT_EQ(library.calls[1], "Free");
    EXPECT_FALSE(engine.Speaking);
  }
}

TEST_F(SpeechEngineTest, RateChangeKeepsLanguageAndSpeaker) {
  Start();
  engine.SelectCastilian();
  speedField.SetText("90");
  library.ClearLog();
  engine.SetSpeechRate(200);
  EXPECT_EQ(library.calls,
            (Calls{"Free", "Load", "SetSpeed(90)", "SetLanguage(101)", "SetSpeaker(1)"}));
  EXPECT_EQ(engine.AppliedRate, 90);
}

TEST_F(SpeechEngineTest, MessagesAreDroppedWhileTheEngineIsBusy) {
  Start();
  engine.SpeakMessage("Pàgina carregada");
  EXPECT_EQ(library.calls, (Calls{"Read(Pàgina carregada )"}));
  EXPECT_FALSE(engine.Speaking);
  library.ClearLog();
  engine.SpeakMessage("Another");
  EXPECT_TRUE(library.calls.empty()) << "still speaking the first";
  loop.RunFor(1000);
  engine.SpeakMessage("Another");
  EXPECT_EQ(library.calls, (Calls{"Read(Another )"}));
}

TEST_F(SpeechEngineTest, MissingEntryPointsAreHarmless) {
  library.missing = {"upcTVRead", "upcTVStatus", "upcTVSetSpeed", "upcTVStop"};
  Start();
  engine.SpeakMessage("x");
  engine.upcTVStop();
  engine.UseItemVoice();
  EXPECT_EQ(engine.upcTVStatus(), 0);
  EXPECT_EQ(library.calls, (Calls{"Free", "Load", "SetLanguage(99)", "SetSpeaker(2)"}));
}

TEST_F(SpeechEngineTest, FreeingTwiceFreesOnce) {
  Start();
  engine.FreeSpeechEngine();
  engine.FreeSpeechEngine();
  EXPECT_EQ(library.calls, (Calls{"Free"}));
  engine.UseItemVoice();  // a reload without a library does nothing
  EXPECT_EQ(library.calls, (Calls{"Free"}));
}

}  // namespace
}  // namespace sonavia::speech
